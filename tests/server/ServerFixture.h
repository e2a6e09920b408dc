#pragma once
#include "GenerateDatabase.h"

#include "records/AppState.h"
#include "records/Migration.h"
#include "records/PgStorage.h"
#include "records/Startup.h"
#include "storage/FileNames.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace veltor {

// A throwaway PostgreSQL server is named by VELTOR_TEST_PGHOST (its socket folder),
// VELTOR_TEST_PGPORT and VELTOR_TEST_PGUSER, as scripts/test.sh starts it. Each test gets a
// database of its own, made empty and dropped at the end.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char *host = std::getenv("VELTOR_TEST_PGHOST");
        if (host == nullptr || *host == '\0')
            GTEST_SKIP() << "No PostgreSQL server for the tests: run scripts/test.sh, which starts one.";
        m_settings.host = host;
        m_settings.port = env("VELTOR_TEST_PGPORT");
        m_settings.user = env("VELTOR_TEST_PGUSER");
        static int counter = 0;
        m_settings.database = "veltor_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
        admin("CREATE DATABASE " + m_settings.database + " TEMPLATE template0 ENCODING 'UTF8'");
        m_root = m_dir.path().toStdString();
    }

    void TearDown() override
    {
        if (!m_settings.database.empty() && std::getenv("VELTOR_TEST_PGHOST"))
            admin("DROP DATABASE IF EXISTS " + m_settings.database + " WITH (FORCE)");
    }

    static std::string env(const char *name)
    {
        const char *v = std::getenv(name);
        return v ? v : "";
    }

    void admin(const std::string &sql)
    {
        ServerSettings s = m_settings;
        s.database = "postgres";
        PGconn *c = PQconnectdb(connectionString(s).c_str());
        ASSERT_EQ(PQstatus(c), CONNECTION_OK) << PQerrorMessage(c);
        PGresult *r = PQexec(c, sql.c_str());
        EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQerrorMessage(c);
        PQclear(r);
        PQfinish(c);
    }

    // A generated folder database of that many employees under `name`.
    std::filesystem::path generate(const std::string &name, int employees)
    {
        const std::filesystem::path folder = m_root / name;
        generateDatabase(folder, employees, 42);
        return folder;
    }

    // A program opened on the server database, as start-up opens it.
    std::unique_ptr<AppState> openServer()
    {
        auto state = std::make_unique<AppState>();
        state->ProgramFolder = m_root;
        state->MainTablePath = pathToCp1251(m_root / "no-folder" / "osnova.dbf");
        auto storage = std::make_shared<PgStorage>(m_settings);
        state->Storage = storage;
        loadPersonnelTables(*state);
        storage->follow(*state);
        return state;
    }

    static std::unique_ptr<AppState> openFolder(const std::filesystem::path &database)
    {
        auto state = std::make_unique<AppState>();
        state->ProgramFolder = database.parent_path() / "program";
        state->MainTablePath = pathToCp1251(database / "osnova.dbf");
        loadPersonnelTables(*state);
        return state;
    }

    static std::map<std::string, std::string> folderBytes(const std::filesystem::path &folder)
    {
        std::map<std::string, std::string> files;
        for (const auto &entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() != ".dbf")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            files[entry.path().filename().string()] = bytes.str();
        }
        return files;
    }

    QTemporaryDir m_dir;
    std::filesystem::path m_root;
    ServerSettings m_settings;
};

} // namespace veltor
