#pragma once
#include <QTemporaryDir>
#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "app/Dialogs.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"

namespace veltor::test {

using Fields = std::map<std::string, std::string>; // field name -> UTF-8 value

// A program folder and an empty database folder in a temporary directory, with dialogs
// answered by the tests. The fixtures of the windows build on it.
class TempDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        root = m_temp.path().toStdString();
        program = root / "program";
        database = root / "database";
        std::filesystem::create_directories(program);
        schema::createEmptyDatabase(database);
        schema::createProgramTables(program);
        Dialogs::setTestMode(true);
        Dialogs::clearRecorded();
    }

    // A table file of the program folder or the database folder, by its schema name.
    std::filesystem::path file(std::string_view name) const
    {
        for (const auto &t : schema::ProgramTables)
            if (t.fileName == name)
                return resolveFileName(program, name);
        return resolveFileName(database, name);
    }

    // Appends one record (UTF-8 values) to a table file; of `folder` when given.
    void add(std::string_view table, const Fields &fields, const std::filesystem::path &folder = {})
    {
        const std::filesystem::path path = folder.empty() ? file(table) : resolveFileName(folder, table);
        LoadedTable t = ReadTable(path);
        AppendBlankRecord(t.Header, t.Data);
        for (const auto &[name, value] : fields) {
            const int f = FieldIndex(t.Header, name);
            ASSERT_GT(f, 0) << name;
            SetField(t.Header, t.Header.RecordCount, f, t.Data, utf8ToCp1251(value));
        }
        WriteTable(path, t);
    }

    // The seven fixed constants of Konstanty, as a new program folder holds them.
    void addFixedConstants()
    {
        for (int i = 1; i <= 7; ++i)
            add(schema::KonstantyTable, {{"N", std::to_string(i)}, {"PEREMEN", "C" + std::to_string(i)}});
    }

    // A column of the employee list (Stolb), shown.
    void addColumn(const std::string &caption, const std::string &field, const std::string &tableNo)
    {
        add(schema::StolbTable, {{"NOM", "1"}, {"STOLB_GRID", caption}, {"SHIRINA", "30"},
                                 {"POLE_BAZY", field}, {"NOMER_BAZY", tableNo}, {"POKAZ", "1"}});
    }

    std::filesystem::path root, program, database;

private:
    QTemporaryDir m_temp;
};

} // namespace veltor::test
