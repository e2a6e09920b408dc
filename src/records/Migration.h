#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Moving a database between a folder of dBASE tables and a PostgreSQL server, whole.
namespace veltor {

class PgStorage;

// Records written so far and in all; called as the copy goes.
using MigrationProgress = std::function<void(int64_t done, int64_t total)>;

// What was copied: each table (its file name) and its record count, checked on both sides.
struct MigrationReport {
    std::vector<std::pair<std::string, int64_t>> tables;
    int64_t records = 0;
};

// Copies the personnel and order tables of the folder of `mainTablePath` into the server's
// database, which must hold none yet, in one transaction: all or nothing. The count of records
// each table holds on the server is checked against the folder before the transaction ends.
MigrationReport migrateToServer(const std::filesystem::path &mainTablePath, PgStorage &server,
                                const MigrationProgress &progress = {});

// Writes every table of the server's database into `folder` as a dBASE table under its file
// name; a table file already in the folder is never replaced (FileError, nothing written).
MigrationReport exportToFolder(PgStorage &server, const std::filesystem::path &folder,
                               const MigrationProgress &progress = {});

} // namespace veltor
