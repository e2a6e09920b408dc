// Damaged table files and refused writes: a clear error naming the file, nothing read past the
// end of the bytes, nothing written.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "storage/DBFUnit.h"
#include "text/Errors.h"

#ifdef __unix__
#include <csignal>
#include <sys/resource.h>
#endif

namespace veltor {
namespace {

using test::DbfBuilder;
using test::TempFolder;

struct DamagedCase {
    const char *what;
    std::string bytes;
    const char *messagePart; // what the message says is wrong
};

DbfBuilder twoFields()
{
    DbfBuilder b;
    b.field("KOD", 'C', 4).field("FIO", 'C', 6).record("1   Ann   ");
    return b;
}

std::vector<DamagedCase> damagedCases()
{
    std::vector<DamagedCase> cases;
    {
        DbfBuilder b = twoFields();
        b.headerLength = 4000;
        cases.push_back({"header length past the end", b.bytes(), "больше длины файла"});
    }
    {
        const std::string whole = twoFields().bytes();
        cases.push_back(
            {"file cut inside the descriptors", whole.substr(0, 50), "больше длины файла"});
    }
    {
        DbfBuilder b = twoFields();
        b.headerLength = 20;
        cases.push_back({"header length below 32", b.bytes(), "меньше 32"});
    }
    {
        DbfBuilder b = twoFields();
        b.recordLength = 0;
        cases.push_back({"record length 0", b.bytes(), "длина записи равна 0"});
    }
    {
        DbfBuilder b = twoFields();
        b.recordLength = 8; // less than 1 + 4 + 6
        cases.push_back({"record shorter than its fields", b.bytes(), "выходит за пределы записи"});
    }
    {
        // Records padded behind the last field: written back with the length of the fields,
        // every record after the first would have moved.
        DbfBuilder b = twoFields();
        b.recordLength = 14;
        b.records = {"1   Ann   ~~~", "2   Bob   ~~~"};
        cases.push_back({"record longer than its fields", b.bytes(), "не равна сумме длин полей"});
    }
    {
        DbfBuilder b;
        b.field("BIG", 'C', 200).recordLength = 100;
        cases.push_back({"one field past the record", b.bytes(), "\"BIG\" выходит"});
    }
    {
        DbfBuilder b;
        for (int i = 0; i < 201; ++i)
            b.field("F" + std::to_string(i), 'C', 1);
        cases.push_back({"201 fields", b.bytes(), "больше 200 полей"});
    }
    return cases;
}

TEST(DamagedFile, IsRejectedNamingTheFileAndTheFault)
{
    TempFolder dir;
    for (const DamagedCase &c : damagedCases()) {
        SCOPED_TRACE(c.what);
        const auto file = dir / "bad.dbf";
        test::writeBytes(file, c.bytes);
        try {
            ReadTable(file);
            ADD_FAILURE() << "no error";
        } catch (const FileError &e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("Файл \"" + pathToUtf8(file) + "\" поврежден"),
                      std::string::npos)
                << message;
            EXPECT_NE(message.find(c.messagePart), std::string::npos) << message;
        }
        // The same bytes held in memory fail the same way.
        TTableHeader header;
        std::string data;
        EXPECT_THROW(ReadTableFromBytes(c.bytes, "bad.dbf", header, data), FileError);
    }
}

TEST(DamagedFile, TwoHundredFieldsAreStillAccepted)
{
    TempFolder dir;
    DbfBuilder b;
    for (int i = 1; i <= 200; ++i)
        b.field("F" + std::to_string(i), 'C', 1);
    b.record(std::string(199, ' ') + "z");
    test::writeBytes(dir / "t.dbf", b.bytes());
    const LoadedTable t = ReadTable(dir / "t.dbf");
    EXPECT_EQ(FieldCount(t.Header), 200);
    EXPECT_EQ(GetField(t.Header, t.Data, 1, 200), "z");

    // Written back whole: more fields than a structure string may hold are no reason to drop any.
    WriteTable(dir / "w.dbf", t);
    EXPECT_EQ(test::readBytes(dir / "w.dbf"), test::readBytes(dir / "t.dbf"));
}

TEST(DamagedFile, MissingFileCannotBeOpened)
{
    TempFolder dir;
    try {
        ReadTable(dir / "none.dbf");
        FAIL() << "no error";
    } catch (const FileError &e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "Не удается открыть файл \"" + pathToUtf8(dir / "none.dbf") + "\"", 0),
                  0u)
            << e.what();
    }
}

struct RefusedWrite {
    const char *what;
    std::function<void(const std::filesystem::path &)> write;
    const char *messagePart;
};

TEST(RefusedWrite, LeavesTheOldFileByteIdentical)
{
    const LoadedTable table = test::makeTable({{"KOD", 3}}, {{"1"}});
    std::string structure101;
    for (int i = 0; i < 101; ++i)
        structure101 += "F" + std::to_string(i) + "%C(1)";
    const std::vector<RefusedWrite> cases = {
        {"a count past 2 GB", [&](const auto &f) { WriteTable(f, table.Header, table.Data, 600000000); },
         "600000000"},
        {"negative count", [&](const auto &f) { WriteTable(f, table.Header, table.Data, -1); },
         "-1"},
        {"create past 2 GB", [&](const auto &f) { CreateTableFile(f, "A%C(1)", 1100000000); },
         "1100000000"},
        {"101 structure items", [&](const auto &f) { CreateTableFile(f, structure101, 0); },
         "больше 100 полей"},
        {"no closing parenthesis", [&](const auto &f) { CreateTableFile(f, "A%C(10", 0); },
         "неверное описание"},
        {"length not a number", [&](const auto &f) { CreateTableFile(f, "A%C(x)", 0); },
         "неверное описание"},
        {"length 0", [&](const auto &f) { CreateTableFile(f, "A%C(0)", 0); }, "от 1 до 255"},
        {"length 256", [&](const auto &f) { CreateTableFile(f, "A%C(256)", 0); }, "от 1 до 255"},
    };
    TempFolder dir;
    const auto file = dir / "t.dbf";
    WriteTable(file, table);
    const std::string before = test::readBytes(file);
    for (const RefusedWrite &c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.write(file);
            ADD_FAILURE() << "no error";
        } catch (const FileError &e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("Не удается записать файл \"" + pathToUtf8(file) + "\""),
                      std::string::npos)
                << message;
            EXPECT_NE(message.find(c.messagePart), std::string::npos) << message;
        }
        EXPECT_EQ(test::readBytes(file), before);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(RefusedWrite, UnwritablePlacesRaiseFileError)
{
    TempFolder dir;
    const LoadedTable table = test::makeTable({{"KOD", 3}}, {{"1"}});
    test::writeBytes(dir / "plain", "x");
    std::filesystem::create_directories(dir / "folder" / "inner");
    // Tests run as root, for whom permission bits block nothing; these places stop root too.
    for (const auto &target :
         {dir / "missing" / "t.dbf", dir / "plain" / "t.dbf", dir / "folder"}) {
        SCOPED_TRACE(pathToUtf8(target));
        try {
            WriteTable(target, table);
            ADD_FAILURE() << "no error";
        } catch (const FileError &e) {
            EXPECT_NE(std::string(e.what()).find(pathToUtf8(target)), std::string::npos)
                << e.what();
        }
    }
    EXPECT_EQ(test::readBytes(dir / "plain"), "x");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder" / "inner"));
}

TEST(RefusedWrite, TableNeverLoadedIsNotWrittenOverTheFile)
{
    TempFolder dir;
    const auto file = dir / "Voen.dbf";
    WriteTable(file, test::makeTable({{"KOD", 3}}, {{"1"}, {"2"}}));
    const std::string before = test::readBytes(file);

    LoadedTable failed = test::makeTable({{"KOD", 3}}, {{"1"}});
    test::writeBytes(dir / "bad.dbf", std::string(40, '\x7F'));
    EXPECT_THROW(ReadTable(dir / "bad.dbf", failed), FileError);
    const LoadedTable never;
    for (const LoadedTable *table : {static_cast<const LoadedTable *>(&failed), &never}) {
        try {
            WriteTable(file, *table);
            ADD_FAILURE() << "no error";
        } catch (const FileError &e) {
            EXPECT_NE(std::string(e.what()).find("\"Voen.dbf\" не была загружена"), std::string::npos)
                << e.what();
        }
        EXPECT_EQ(test::readBytes(file), before);
    }
}

#ifdef __unix__
// Limits the size of files the process may write, which stops root as it stops anyone: a write
// past the limit fails the way a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST(RefusedWrite, DiskFullMidWriteLeavesTheOldFileWhole)
{
    TempFolder dir;
    const auto file = dir / "trud.dbf";
    WriteTable(file, test::makeTable({{"KOD", 10}}, {{"1"}, {"2"}}));
    const std::string before = test::readBytes(file);

    LoadedTable big = test::makeTable({{"KOD", 10}}, {});
    for (int i = 0; i < 2000; ++i)
        AppendBlankRecord(big.Header, big.Data);
    {
        FileSizeLimit limit(4096);
        // This used to truncate the file first and leave it half-written.
        EXPECT_THROW(WriteTable(file, big), FileError);
    }
    EXPECT_EQ(test::readBytes(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
              1); // no temporary left
}
#endif

} // namespace
} // namespace veltor
