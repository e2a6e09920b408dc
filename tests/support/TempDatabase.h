#pragma once
#include <QTemporaryDir>
#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "app/Dialogs.h"
#include "records/AppState.h"
#include "records/Startup.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "support/ServerDatabase.h"
#include "text/Cp1251.h"

namespace veltor::test {

using Fields = std::map<std::string, std::string>; // field name -> UTF-8 value

// A program folder and an empty database folder in a temporary directory, with dialogs
// answered by the tests. The fixtures of the windows build on it. With VELTOR_TEST_STORAGE=server
// the database the test filled is opened on the test server instead (see ServerDatabase.h).
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
        // Last, so that the fixtures built on this one still fill a folder before the test is skipped.
        if (onServer() && !ServerDatabase::available())
            GTEST_SKIP() << "No PostgreSQL server for the tests: run scripts/test.sh, which starts one.";
    }

    // Reads the personnel tables into the state as start-up does: from the database folder, or
    // on the server from a database the folder is first moved into.
    OpeningReport openDatabase(AppState &state)
    {
        // Without a server the test is skipped, but the fixtures may start the windows first.
        if (!onServer() || !ServerDatabase::available())
            return loadPersonnelTables(state);
        m_server = std::make_unique<ServerDatabase>();
        m_server->moveIn(database / "osnova.dbf");
        // No folder behind the database: whatever the program still wrote beside it would fail.
        state.MainTablePath = pathToCp1251(root / "no-folder" / "osnova.dbf");
        return m_server->open(state);
    }

    static bool isProgramTable(std::string_view name)
    {
        for (const auto &t : schema::ProgramTables)
            if (t.fileName == name)
                return true;
        return false;
    }

    // A table file of the program folder or the database folder, by its schema name. Once the
    // database is on the server, a database table is read from a fresh export of what it holds.
    std::filesystem::path file(std::string_view name) const
    {
        if (isProgramTable(name))
            return resolveFileName(program, name);
        if (m_server) {
            const std::filesystem::path folder = root / ("server-export-" + std::to_string(++m_exports));
            m_server->exportTo(folder);
            return resolveFileName(folder, name);
        }
        return resolveFileName(database, name);
    }

    // Appends one record (UTF-8 values) to a table file; of `folder` when given.
    void add(std::string_view table, const Fields &fields, const std::filesystem::path &folder = {})
    {
        if (m_server && folder.empty() && !isProgramTable(table))
            FAIL() << "the database is on the server: a table file written now reaches no program";
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
    // Dropped after the windows and the state of the derived fixtures are gone.
    std::unique_ptr<ServerDatabase> m_server;
    mutable int m_exports = 0;
};

} // namespace veltor::test
