#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/DBFUnit.h"
#include "text/Errors.h"

// Writing several files all or nothing, whatever happens (a kill, a power loss, a full disk, a
// read-only file), through a rollback journal: the bytes about to be overwritten and each file's
// old size go to the journal, which is flushed to the disk; then the files are changed in place
// and flushed; then the journal is removed. A journal found later means the writing stopped
// part-way: rolling it back returns every file to its old bytes.
namespace veltor {

// One file of a commit: a loaded table, whose changes since its last commit are written in
// place, or a small file written whole (config.ini).
struct CommitFile {
    std::filesystem::path path;
    LoadedTable *table = nullptr;
    std::string bytes; // the whole new file, when table is null
};

// A table file that other software changed since the table was read: nothing was written.
class TableChangedOnDisk : public FileError {
public:
    using FileError::FileError;
};

// Writes the files all or nothing; `description` (UTF-8) names the save in the journal, so the
// next start can say what it undid. Tables are then what their files hold (their changes
// accepted). On any failure every file keeps its old bytes, the tables keep their changes in
// memory (still to be committed), and FileError names the file and the reason.
void commitFiles(const std::filesystem::path &journalFile, std::string_view description,
                 std::vector<CommitFile> &files);

// Rolls back the commit a journal left behind and removes the journal. Returns the description
// of the undone save; nothing when there was no journal, or one the commit never finished
// writing (no file was touched then).
std::optional<std::string> rollBackJournal(const std::filesystem::path &journalFile);

// What the last successful commit wrote: bytes into the files and into the journal.
struct CommitStatistics {
    int64_t fileBytes = 0;
    int64_t journalBytes = 0;
    int files = 0;
};
CommitStatistics lastCommitStatistics();

// Called before every step of a commit that changes a file (the journal written, each file
// changed, the journal removed) with that file. Tests make a step fail by throwing, or end the
// process there. Empty by default.
using CommitStepHook = std::function<void(const std::filesystem::path &file)>;
void setCommitStepHook(CommitStepHook hook);

} // namespace veltor
