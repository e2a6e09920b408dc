#pragma once
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include "records/AppState.h"
#include "records/Migration.h"
#include "records/PgStorage.h"
#include "records/Startup.h"
#include "storage/FileNames.h"

namespace veltor::test {

// The windows' suites run a second time on a PostgreSQL database when VELTOR_TEST_STORAGE is
// "server": the folder a test filled is moved to a database of its own on the throwaway server
// (VELTOR_TEST_PGHOST, PGPORT, PGUSER as scripts/pg_cluster.sh sets them), the program opens
// that, and what the test reads back is what the server holds, exported to a fresh folder.
inline bool onServer()
{
    const char *storage = std::getenv("VELTOR_TEST_STORAGE");
    return storage != nullptr && std::string(storage) == "server";
}

// One database on the test server, made when the folder is moved in and dropped at the end.
class ServerDatabase {
public:
    ServerDatabase() = default;
    ServerDatabase(const ServerDatabase &) = delete;
    ServerDatabase &operator=(const ServerDatabase &) = delete;

    ~ServerDatabase()
    {
        if (m_created)
            admin("DROP DATABASE IF EXISTS " + m_settings.database + " WITH (FORCE)");
    }

    static bool available()
    {
        const char *host = std::getenv("VELTOR_TEST_PGHOST");
        return host != nullptr && *host != '\0';
    }

    // Creates the database and copies the folder of `mainTablePath` into it, as a clerk's
    // migration does.
    void moveIn(const std::filesystem::path &mainTablePath)
    {
        m_settings.host = env("VELTOR_TEST_PGHOST");
        m_settings.port = env("VELTOR_TEST_PGPORT");
        m_settings.user = env("VELTOR_TEST_PGUSER");
        static int counter = 0;
        m_settings.database = "veltor_suite_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
        admin("CREATE DATABASE " + m_settings.database + " TEMPLATE template0 ENCODING 'UTF8'");
        m_created = true;
        PgStorage server(m_settings);
        migrateToServer(mainTablePath, server);
    }

    // Opens the state on the database as start-up does with --database: the tables are read
    // from the server and the commits of other programs followed.
    OpeningReport open(AppState &state) const
    {
        auto storage = std::make_shared<PgStorage>(m_settings);
        state.Storage = storage;
        OpeningReport report = loadPersonnelTables(state);
        storage->follow(state);
        return report;
    }

    // Every table the server holds now, written into `folder` (made here) by another connection.
    void exportTo(const std::filesystem::path &folder) const
    {
        std::filesystem::create_directories(folder);
        PgStorage reader(m_settings);
        exportToFolder(reader, folder);
    }

private:
    static std::string env(const char *name)
    {
        const char *v = std::getenv(name);
        return v ? v : "";
    }

    void admin(const std::string &sql) const
    {
        ServerSettings s = m_settings;
        s.database = "postgres";
        PGconn *c = PQconnectdb(connectionString(s).c_str());
        if (PQstatus(c) != CONNECTION_OK) {
            ADD_FAILURE() << PQerrorMessage(c);
        } else {
            PGresult *r = PQexec(c, sql.c_str());
            EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << sql << ": " << PQerrorMessage(c);
            PQclear(r);
        }
        PQfinish(c);
    }

    ServerSettings m_settings;
    bool m_created = false;
};

} // namespace veltor::test
