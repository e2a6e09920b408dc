#pragma once
#include <QTemporaryDir>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "storage/DBFUnit.h"
#include "storage/FileNames.h"

namespace veltor::test {

// A folder that is removed with everything in it when the test ends.
class TempFolder {
public:
    std::filesystem::path path() const { return pathFromQString(m_dir.path()); }
    std::filesystem::path operator/(const std::string &name) const { return path() / name; }

private:
    QTemporaryDir m_dir;
};

inline std::string readBytes(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path &file, const std::string &bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void putLe(std::string &bytes, size_t at, uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Raw bytes of a table file, built field by field so that tests can shape every byte the way
// other software (or damage) leaves it.
struct DbfBuilder {
    struct Field {
        std::string name; // up to 11 bytes, copied as they are
        char type = 'C';
        int length = 0;
        int decimals = 0;
    };
    std::vector<Field> fields;
    std::vector<std::string> records; // each without the deletion flag
    char deletionFlag = ' ';
    uint32_t recordCount = UINT32_MAX; // UINT32_MAX: the number of records
    int headerLength = -1;             // -1: 32 n + 33
    int recordLength = -1;             // -1: 1 + sum of the lengths
    int padding = 0;                   // zero bytes after the 0x0D terminator
    bool endMarker = true;
    std::string prefix = std::string("\x03\x00\x00\x00", 4); // version and date bytes

    DbfBuilder &field(std::string name, char type, int length, int decimals = 0)
    {
        fields.push_back({std::move(name), type, length, decimals});
        return *this;
    }
    DbfBuilder &record(std::string bytes)
    {
        records.push_back(std::move(bytes));
        return *this;
    }

    std::string bytes() const
    {
        const int n = static_cast<int>(fields.size());
        int sum = 1;
        for (const Field &f : fields)
            sum += f.length;
        std::string out(static_cast<size_t>(32 * n + 33 + padding), '\0');
        out.replace(0, 4, prefix);
        putLe(out, 4,
              recordCount == UINT32_MAX ? static_cast<uint32_t>(records.size()) : recordCount, 4);
        putLe(out, 8,
              static_cast<uint32_t>(headerLength < 0 ? 32 * n + 33 + padding : headerLength), 2);
        putLe(out, 10, static_cast<uint32_t>(recordLength < 0 ? sum : recordLength), 2);
        for (int i = 0; i < n; ++i) {
            const Field &f = fields[static_cast<size_t>(i)];
            const size_t at = 32 * static_cast<size_t>(i + 1);
            out.replace(at, f.name.size(), f.name);
            out[at + 11] = f.type;
            out[at + 16] = static_cast<char>(f.length);
            out[at + 17] = static_cast<char>(f.decimals);
        }
        out[static_cast<size_t>(32 * n + 32)] = 0x0D;
        for (const std::string &r : records)
            out += deletionFlag + r;
        if (endMarker)
            out += '\x1A';
        return out;
    }
};

// A table built in memory through the engine: fields from a list, then records of values.
inline LoadedTable makeTable(const std::vector<std::pair<std::string, int>> &fields,
                             const std::vector<std::vector<std::string>> &rows)
{
    LoadedTable t;
    t.Loaded = true; // made on purpose, so it may be written
    for (const auto &[name, length] : fields)
        AddField(t.Header, t.Data, name, length, 'C');
    for (const auto &row : rows) {
        AppendBlankRecord(t.Header, t.Data);
        for (size_t f = 0; f < row.size(); ++f)
            SetField(t.Header, t.Header.RecordCount, static_cast<int>(f + 1), t.Data, row[f]);
    }
    return t;
}

} // namespace veltor::test
