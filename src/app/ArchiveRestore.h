#pragma once
#include <QDateTime>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "records/AppState.h"

// Restoring the personnel tables from an archive of the database folder. The current tables are
// archived first, so a restore can itself be undone, and are replaced only when every table of
// the chosen archive reads.
namespace veltor {

struct ArchiveFile {
    std::filesystem::path path;
    QDateTime modified;
    std::uintmax_t size = 0;
};

// The arhiv_*.zip files of a folder (name in any letter case), newest first.
std::vector<ArchiveFile> listArchives(const std::filesystem::path &folder);

// The archive the current tables go to before a restore: "arhiv_" + the date as the archive
// command writes it + "_pered_vosstanovleniem_" + the time, ".zip", numbered when that name is
// taken: zip would add to an existing archive, which may be the one being restored.
std::filesystem::path preRestoreArchivePath(const std::filesystem::path &folder, const QDateTime &now);

// Archives every table file of the database folder into `target` with the zip program, and
// waits for it. FileError when zip cannot be started or fails.
void archiveTables(const std::filesystem::path &databaseFolder, const std::filesystem::path &target);

// Restores the tables of the database folder from the archive: archives the current ones to
// preRestoreArchivePath, extracts the archive's table files with the unzip program into a
// temporary folder beside them, reads every one, then puts them in place of the current
// files and reloads the personnel tables. Any failure raises FileError saying why and leaves
// the current tables as they were. Returns the archive the current tables went to.
std::filesystem::path restoreFromArchive(AppState &state, const std::filesystem::path &archive,
                                         const QDateTime &now);

} // namespace veltor
