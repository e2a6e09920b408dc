// Any bytes as a table file: reading either rejects them with FileError or gives a table whose
// every field can be read, and which writes and reads back unchanged. The file and the
// in-memory reader must agree.
#include "storage/DBFUnit.h"
#include "text/Errors.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace veltor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    // In memory where the system has such a folder: a disk write per run slows the search down.
    static const std::string file = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/veltor-fuzz-table-" + std::to_string(getpid()) + ".dbf";
    {
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char *>(bytes), static_cast<std::streamsize>(size));
    }
    TTableHeader header;
    std::string data;
    bool fileRejected = false;
    try {
        ReadTable(file, header, data);
    } catch (const FileError &) {
        fileRejected = true;
    }
    TTableHeader fromBytes;
    std::string fromBytesData;
    bool bytesRejected = false;
    try {
        ReadTableFromBytes(std::string_view(reinterpret_cast<const char *>(bytes), size), "fuzz.dbf",
                           fromBytes, fromBytesData);
    } catch (const FileError &) {
        bytesRejected = true;
    }
    if (fileRejected != bytesRejected)
        std::abort();
    if (fileRejected)
        return 0;
    if (fromBytesData != data || FieldCount(fromBytes) != FieldCount(header) ||
        fromBytes.RecordCount != header.RecordCount)
        std::abort();
    const int fields = FieldCount(header);
    const int records = WholeRecordCount(header, data);
    // Every field of the first and last records and one past each end: the offsets of the
    // records between are the same arithmetic, and reading them all made a run of a table of
    // thousands of one-byte records a thousand times slower. `next` steps over the records
    // between the first and last nine of `last`.
    const auto next = [](int r, int last) { return (r > 8 && r < last - 8 ? last - 8 : r) + 1; };
    for (int r = 0; r <= records + 1; r = next(r, records))
        for (int f = 0; f <= fields + 1; ++f)
            (void)GetField(header, data, r, f);
    (void)FieldIndex(header, "KOD");
    // A code that is not an integer is the conversion error the user is shown.
    try {
        (void)nomerstrokipokodu(header, data, 1);
    } catch (const ConversionError &) {
    }
    if (fields > 0) {
        TIndex index;
        (void)SelectContainingIdx(header, data, 1, "1", index);
        try {
            (void)SelectEqualIdx(header, data, 1, "1", index);
        } catch (const ConversionError &) {
        }
    }
    if (header.RecordCount < 0)
        return 0;
    // What the program writes back must read as the same table.
    const std::string written = TableFileBytes(header, data, header.RecordCount);
    TTableHeader again;
    std::string againData;
    try {
        ReadTableFromBytes(written, "fuzz.dbf", again, againData);
    } catch (const FileError &) {
        std::abort();
    }
    if (FieldCount(again) != fields || again.RecordCount != header.RecordCount)
        std::abort();
    const int kept = std::min(records, header.RecordCount);
    for (int r = 1; r <= kept; r = next(r, kept))
        for (int f = 1; f <= fields; ++f)
            if (GetField(again, againData, r, f) != GetField(header, data, r, f))
                std::abort();
    return 0;
}
