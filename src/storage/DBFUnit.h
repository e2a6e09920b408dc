#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The table engine: dBASE III table files read whole into memory as a header plus one byte
// string of records, field access on that string, and whole-file rewriting. Texts are CP1251
// bytes, never converted. Records and fields are numbered from 1.
namespace veltor {

constexpr int MaxFields = 200;          // slots of a TTableHeader
constexpr int MaxStructureItems = 100;  // fields CreateTableFile accepts

// How a table read from its file was written, so that writing it back keeps what other
// software put there. A table the program makes itself has no such form (FromFile false) and is
// written the program's own way: version 0x03, no code page, names of up to 10 bytes, a field
// with decimals as N with length div 4 decimals.
struct TFileForm {
    bool FromFile = false;
    uint8_t Version = 0x03;
    uint8_t CodePage = 0;                   // byte 29: the language driver, 0xC9 = Windows-1251
    std::array<uint8_t, 3> Updated{};       // bytes 1-3: date of the last update, YY MM DD
    // Per field: the type letter and decimal count as stored; type 0 for a field the program
    // added, which is written the program's way.
    std::array<char, MaxFields + 1> Types{};
    std::array<uint8_t, MaxFields + 1> Decimals{};
};

struct TTableHeader {
    int32_t RecordCount = 0;
    int32_t HeaderLength = 0; // 32 * n + 33 for n fields; the field count derives from it
    int32_t RecordLength = 0; // deletion flag included
    // Slot 0 is unused so that slot i is field i.
    std::array<std::string, MaxFields + 1> FieldNames{};
    std::array<char, MaxFields + 1> FieldTypes{};
    std::array<uint8_t, MaxFields + 1> FieldLengths{};
    std::array<int32_t, MaxFields + 1> FieldOffsets{};
    // A field with decimals reads as type 'R'; its stored letter and decimals are kept here.
    TFileForm Form;
};

// Number of fields: trunc((HeaderLength - 33) / 32), never below 0 nor above 200.
int FieldCount(const TTableHeader &header);

// What a table's file looked like when it was read or last committed: a commit refuses to write
// over a file that other software changed since.
struct FileStamp {
    int64_t size = -1; // -1: no file
    int64_t modified = 0; // modification time, nanoseconds since the epoch
};

// What changed in memory since the table was read or last committed, kept by the tracked
// changes below, so that a commit writes exactly that and a failed one can be taken back.
struct TableChanges {
    bool tracking = false; // a committed image exists (read from its file or written)
    bool rewrite = false;  // the next commit writes the file whole (a new file, a foreign form)
    bool replaced = false; // header and records were replaced at once: written whole
    TTableHeader header;   // the committed header
    std::string wholeData; // the committed records once `replaced`
    // Committed bytes of the changed records below `movedFrom` (record number, 1-based).
    std::map<int32_t, std::string> originals;
    // From this record on everything may have moved (a deletion); 0 when nothing moved.
    int32_t movedFrom = 0;
    std::string tail; // the committed records from movedFrom on
    std::set<std::string> codes; // KOD values of the records changed, added or removed
};

// A table as loaded: header and record data. Data holds exactly the records the header counts,
// followed by the end-of-file byte 0x1A.
struct LoadedTable {
    TTableHeader Header;
    std::string Data;
    // Set only when the table was read from its file (or made on purpose in memory). A table
    // whose reading failed or never happened is empty, and writing it would wipe the file.
    bool Loaded = false;
    // Bytes the file held past its counted records other than the end-of-file byte (left there
    // by other software): never read as records; a commit of the table drops them.
    int64_t BytesPastRecords = 0;
    FileStamp Stamp;
    TableChanges Changes;
    // Changes whenever records may have changed their KOD or their place (read, replaced,
    // taken back, a KOD set, a record deleted): an index by code built at another generation
    // is rebuilt. 0 for a table never read; never the same for two tables otherwise.
    uint64_t Generation = 0;
    // The record count when the generation began. Records appended since then, and a KOD or
    // ID_DOK set in them, keep the generation: an index covers the records up to this count and
    // looks at the few after it directly.
    int32_t GenerationRecords = 0;
    // A table read from a database server: the key and the version of the row of each committed
    // record, in record order. Empty for a table read from a file.
    std::vector<int64_t> RowKeys;
    std::vector<int64_t> RowVersions;
};

// A new generation for a table whose codes or record places changed.
void NewGeneration(LoadedTable &table);

// Reads the whole file. The file name is resolved without regard to letter case (as are the
// names WriteTable and CreateTableFile write to). A missing file raises FileError; a damaged one
// (shorter than its 32-byte header, header past the end, record length 0 or not 1 + the sum of
// the field lengths, more than 200 fields, fewer records than counted) raises FileError naming
// the file, as does a table of a format the engine does not read (dBASE 7, Visual FoxPro,
// FoxPro), naming that format. Exactly the counted records are read; bytes past them are not records.
void ReadTable(const std::filesystem::path &fileName, TTableHeader &header, std::string &data);
LoadedTable ReadTable(const std::filesystem::path &fileName);
// Into an existing table: not Loaded (and empty) when the read fails.
void ReadTable(const std::filesystem::path &fileName, LoadedTable &table);

// As ReadTable, from the bytes of a whole file held in memory; nameForMessages (UTF-8) names it
// in errors.
void ReadTableFromBytes(std::string_view bytes, std::string_view nameForMessages,
                        TTableHeader &header, std::string &data);

// Recreates the file from the header's fields and Data, stating recordCount. Every record is
// written with a blank deletion flag: records are never marked deleted here, and a '*' that
// other software left would make every other reader drop the record. The file is replaced
// atomically: a failed write raises FileError and leaves the old file whole. The record count
// takes 32 bits in the file (bytes 6-7 stay zero up to 65535 records); a negative count, or one
// that would make the file reach 2 GB, raises FileError and writes nothing.
void WriteTable(const std::filesystem::path &fileName, TTableHeader header, const std::string &data,
                int32_t recordCount);
// As above with the table's own record count. A table that is not Loaded raises FileError
// naming the file and writes nothing.
void WriteTable(const std::filesystem::path &fileName, const LoadedTable &table);

// The bytes WriteTable writes for these arguments: the header made from the fields, then Data
// with blank deletion flags.
std::string TableFileBytes(const TTableHeader &header, const std::string &data, int32_t recordCount);

// The header WriteTable writes for these fields and count: 32-byte file header, descriptors, 0x0D.
std::string TableHeaderBytes(const TTableHeader &header, int32_t recordCount);
// The size in bytes of the file WriteTable writes; raises FileError when the count is negative or
// the file would reach 2 GB.
int64_t TableFileSize(const std::filesystem::path &fileName, const TTableHeader &header, int32_t recordCount);

// Writes a header only (no records, no 0x1A) from a structure string such as
// "KOD%C(10)OKLAD%N(10.2)". More than 100 items, a length outside 1..255 or a malformed item
// raise FileError and write nothing.
void CreateTableFile(const std::filesystem::path &fileName, std::string_view structure,
                     int32_t recordCount);

// 1-based number of the field named exactly `name` (stored names are trimmed), -1 when none.
int FieldIndex(const TTableHeader &header, std::string_view name);

// The field's text trimmed of bytes 0x00-0x20 on both sides; empty for record or field < 1
// (or beyond the data).
std::string GetField(const TTableHeader &header, const std::string &data, int record, int field);

// Stores the value left-aligned, cut or blank-padded to the field length. Does nothing for a
// record outside 1..RecordCount or a field outside 1..field count.
void SetField(const TTableHeader &header, int record, int field, std::string &data,
              std::string_view value);

void AppendBlankRecord(TTableHeader &header, std::string &data);
void DeleteRecord(TTableHeader &header, std::string &data, int record);
void AddField(TTableHeader &header, std::string &data, std::string_view name, int length,
              char type);
void DeleteField(const TTableHeader &header, const std::string &data, int field,
                 std::string &newData, TTableHeader &newHeader);

// Changes to a loaded table that a commit writes in place. They keep what the committed file
// held, so that only the changed records are written and a failed commit can take them back.
// Every change to a table that is committed goes through these.
void SetField(LoadedTable &table, int record, int field, std::string_view value);
void SetField(LoadedTable &table, int record, std::string_view fieldName, std::string_view value);
// Appends a blank record and returns its number.
int AppendBlankRecord(LoadedTable &table);
void DeleteRecord(LoadedTable &table, int record);
// Replaces header and records at once (a new structure, a converted table): written whole.
void ReplaceTable(LoadedTable &table, TTableHeader header, std::string data);
// The table as its committed file holds it: changes since the last commit are taken back.
void RevertChanges(LoadedTable &table);
// The table is what its file now holds: the next commit writes only what changes from here.
void AcceptChanges(LoadedTable &table);
bool HasChanges(const LoadedTable &table);

// Selections (a selection is whole records copied back to back, without 0x1A). Element 0 of a
// TIndex is unused; elements 1..m are the 1-based source record numbers.
using TIndex = std::vector<int32_t>;

std::string SelectContaining(const TTableHeader &header, const std::string &data, int field,
                             std::string_view text);
// SelectEqual raises ConversionError when a field containing the text is not an integer or
// the text is not one.
std::string SelectEqual(const TTableHeader &header, const std::string &data, int field,
                        std::string_view text);
std::string SelectContainingIdx(const TTableHeader &header, const std::string &data, int field,
                                std::string_view text, TIndex &index);
std::string SelectEqualIdx(const TTableHeader &header, const std::string &data, int field,
                           std::string_view text, TIndex &index);

// Record in which `text` first occurs anywhere in Data; 0 when absent.
int RecordNoOfText(std::string_view text, const std::string &data, const TTableHeader &header);

// First record whose KOD equals the code; 0 when none.
int nomerstrokipokodu(const TTableHeader &header, const std::string &data, int code);

// Number of whole records in a data string: trunc(length / RecordLength).
int WholeRecordCount(const TTableHeader &header, const std::string &data);

} // namespace veltor
