// dbftool: looks into table files with the program's own table engine.
//   dbftool info FILE      record count, header length, record length, then one line per field
//   dbftool dump FILE      field names, then one line per record; tab-separated UTF-8
//   dbftool copy IN OUT    reads IN and writes it to OUT as the program writes tables
#include <QFile>

#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "text/Cp1251.h"

namespace {

using namespace veltor;

// A field value on one line of a tab-separated dump: tabs, line breaks and backslashes inside it
// are escaped so that every record stays one line.
std::string escaped(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

std::string fieldName(const TTableHeader &header, int field)
{
    // Names read from a file hold their NUL padding.
    return cp1251ToUtf8(header.FieldNames[field].c_str());
}

void printInfo(const std::filesystem::path &file)
{
    const LoadedTable table = ReadTable(file);
    const TTableHeader &h = table.Header;
    std::cout << "records\t" << h.RecordCount << '\n'
              << "header_length\t" << h.HeaderLength << '\n'
              << "record_length\t" << h.RecordLength << '\n';
    for (int f = 1; f <= FieldCount(h); ++f) {
        std::cout << escaped(fieldName(h, f)) << '\t' << h.FieldTypes[f] << '\t'
                  << static_cast<int>(h.FieldLengths[f]) << '\n';
    }
}

void printDump(const std::filesystem::path &file)
{
    const LoadedTable table = ReadTable(file);
    const TTableHeader &h = table.Header;
    const int fields = FieldCount(h);
    for (int f = 1; f <= fields; ++f)
        std::cout << (f > 1 ? "\t" : "") << escaped(fieldName(h, f));
    std::cout << '\n';
    for (int r = 1; r <= h.RecordCount; ++r) {
        for (int f = 1; f <= fields; ++f)
            std::cout << (f > 1 ? "\t" : "")
                      << escaped(cp1251ToUtf8(GetField(h, table.Data, r, f)));
        std::cout << '\n';
    }
}

void copyTable(const std::filesystem::path &in, const std::filesystem::path &out)
{
    const LoadedTable table = ReadTable(in);
    WriteTable(out, table.Header, table.Data, table.Header.RecordCount);
}

int usage()
{
    std::cerr << "Использование:\n"
                 "  dbftool info ФАЙЛ\n"
                 "  dbftool dump ФАЙЛ\n"
                 "  dbftool copy ИСХОДНЫЙ НОВЫЙ\n";
    return 2;
}

std::filesystem::path argumentPath(const char *argument)
{
    // Arguments arrive in the local 8-bit encoding, which Qt's file-name codec knows.
    return pathFromQString(QFile::decodeName(argument));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    const std::string_view command = argv[1];
    try {
        if (command == "info" && argc == 3)
            printInfo(argumentPath(argv[2]));
        else if (command == "dump" && argc == 3)
            printDump(argumentPath(argv[2]));
        else if (command == "copy" && argc == 4)
            copyTable(argumentPath(argv[2]), argumentPath(argv[3]));
        else
            return usage();
    } catch (const std::exception &e) {
        std::cout.flush();
        std::cerr << "dbftool: " << e.what() << '\n';
        return 1;
    }
    std::cout.flush();
    return std::cout.good() ? 0 : 1;
}
