// File names resolved without regard to letter case, and the schema's tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "TestSupport.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"

namespace veltor {
namespace {

using test::TempFolder;

TEST(FileNames, NameIsFoundUnderAnyLetterCase)
{
    TempFolder dir;
    test::writeBytes(dir / "TRUD.DBF", "t");
    test::writeBytes(dir / "Приказ.RTF", "p");
    test::writeBytes(dir / "Stolb", "s");
    const struct {
        std::string asked;
        std::string found;
    } cases[] = {
        {"trud.dbf", "TRUD.DBF"},     {"Trud.dbf", "TRUD.DBF"},         {"TRUD.DBF", "TRUD.DBF"},
        {"приказ.rtf", "Приказ.RTF"}, {cp("ПРИКАЗ.rtf"), "Приказ.RTF"}, // a CP1251 name from a
                                                                        // table
        {"stolb", "Stolb"},           {"Voen.dbf", "Voen.dbf"},         // absent: the name as given
    };
    for (const auto &c : cases) {
        EXPECT_EQ(resolveFileName(dir.path(), c.asked),
                  dir.path() / std::filesystem::path(std::u8string(c.found.begin(), c.found.end())))
            << c.asked;
    }
    EXPECT_EQ(resolvePath(dir / "trud.DBF"), dir / "TRUD.DBF");
    EXPECT_TRUE(fileExists(dir / "tRUD.dbf"));
    EXPECT_FALSE(fileExists(dir / "osnova.dbf"));
}

TEST(FileNames, ExactNameWinsOverOtherCases)
{
    TempFolder dir;
    test::writeBytes(dir / "trud.dbf", "lower");
    test::writeBytes(dir / "Trud.dbf", "upper");
    EXPECT_EQ(resolveFileName(dir.path(), "Trud.dbf"), dir / "Trud.dbf");
    EXPECT_EQ(resolveFileName(dir.path(), "trud.dbf"), dir / "trud.dbf");
}

TEST(FileNames, TablesAreReadAndWrittenUnderTheExistingName)
{
    TempFolder dir;
    CreateTableFile(dir / "PASSPORT.DBF", "KOD%C(10)", 0);
    LoadedTable t = ReadTable(dir / "passport.dbf");
    AppendBlankRecord(t.Header, t.Data);
    WriteTable(dir / "Passport.dbf", t);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(ReadTable(dir / "PASSPORT.DBF").Header.RecordCount, 1);
}

TEST(FileNames, Cp1251PathsConvertBothWays)
{
    const std::string cp1251 = cp("/база/Отдел кадров/osnova.dbf");
    const std::filesystem::path path = pathFromCp1251(cp1251);
    EXPECT_EQ(pathToUtf8(path), "/база/Отдел кадров/osnova.dbf");
    EXPECT_EQ(pathToCp1251(path), cp1251);
    EXPECT_EQ(pathFromQString(pathToQString(path)), path);
}

TEST(Schema, EmptyDatabaseHasEveryTableWithItsFields)
{
    TempFolder dir;
    schema::createEmptyDatabase(dir / "db");
    schema::createProgramTables(dir / "prog");
    std::vector<schema::TableDefinition> all(std::begin(schema::PersonnelTables),
                                             std::end(schema::PersonnelTables));
    EXPECT_EQ(all.size(), 15u);
    all.insert(all.end(), std::begin(schema::ProgramTables), std::end(schema::ProgramTables));
    for (const schema::TableDefinition &def : all) {
        SCOPED_TRACE(std::string(def.fileName));
        const bool program = def.fileName.find('.') == std::string_view::npos;
        const LoadedTable t =
            ReadTable((program ? dir / "prog" : dir / "db") / std::string(def.fileName));
        EXPECT_EQ(t.Header.RecordCount, 0);
        EXPECT_EQ(t.Data, "\x1A");
        // Every field of the list arrives under its full name (no name longer than 10 bytes,
        // none twice), and every one is text.
        std::set<std::string> names;
        for (int f = 1; f <= FieldCount(t.Header); ++f) {
            const std::string name = t.Header.FieldNames[f].c_str();
            EXPECT_EQ(FieldIndex(t.Header, name), f);
            EXPECT_EQ(t.Header.FieldTypes[f], 'C');
            names.insert(name);
        }
        EXPECT_EQ(static_cast<int>(names.size()), FieldCount(t.Header));
        EXPECT_EQ(static_cast<int>(std::count(def.structure.begin(), def.structure.end(), '%')),
                  FieldCount(t.Header));
    }
}

TEST(Schema, TrudFieldOrderIsTheHistoryGridOrder)
{
    TempFolder dir;
    schema::createEmptyDatabase(dir.path());
    const LoadedTable trud = ReadTable(dir / "Trud.dbf");
    std::vector<std::string> names;
    for (int f = 1; f <= FieldCount(trud.Header); ++f)
        names.emplace_back(trud.Header.FieldNames[f].c_str());
    EXPECT_EQ(names, (std::vector<std::string>{"KOD", "N_IZM", "D_IZM", "D_POST", "DOLZH", "OTDEL",
                                               "OKLAD", "VID_RAB", "D_DOG", "NOM_DOG", "D_PRIL",
                                               "NOM_PRIL", "D_UVOL", "PR_UVOL", "ID_DOK"}));
    const LoadedTable dopoln = ReadTable(dir / "Dopoln.dbf");
    EXPECT_EQ(FieldCount(dopoln.Header), 1);
    EXPECT_EQ(schema::dopolnFieldName(12), "DOPOLN12");
}

} // namespace
} // namespace veltor
