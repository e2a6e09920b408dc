#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "records/AppState.h"
#include "storage/TableCommit.h"
#include "text/Errors.h"

// Every change of the open database is one commit: the tables and files a save changed are
// written together, all or nothing, with only what changed written; the versions of the tables
// and employees it touched are bumped and the commit is announced.
namespace veltor {

// A commit refused because what it was built on changed since the window read it.
class StaleRecords : public VeltorError {
public:
    using VeltorError::VeltorError;
};

// The text of a StaleRecords refusal: what was saved since (the descriptions of those saves,
// UTF-8; an empty one stands for a save not described).
std::string staleMessage(const std::set<std::string> &changes);

class SaveSet {
public:
    // `description` (UTF-8) names the save in messages and in the journal: "карточка сотрудника …".
    SaveSet(AppState &state, std::string description);

    // A table of the state, written to its own file.
    SaveSet &add(LoadedTable &table);
    // A table kept outside the state (the orders' tables), written to `file`.
    SaveSet &add(LoadedTable &table, const std::filesystem::path &file);
    // A small file written whole (config.ini).
    SaveSet &addFile(const std::filesystem::path &file, std::string bytes);
    // The versions the save was built on: the commit is refused when any moved since.
    SaveSet &basedOn(VersionStamp stamp);

    // Writes everything or nothing. On a refusal or failure the tables' changes in memory are
    // taken back and the error says what happened and that nothing was saved.
    RecordChange commit();
    // Gives the save up: the tables' changes in memory are taken back.
    void abandon();
    // On a failure the changes stay in memory to be committed again (a deletion the user
    // confirmed at exit), instead of being taken back.
    SaveSet &keepChangesOnFailure();

private:
    void takeBack();
    AppState &m_state;
    std::string m_description;
    std::vector<CommitFile> m_files;
    std::vector<std::string> m_keys;
    bool m_hasBasis = false;
    bool m_keepOnFailure = false;
    VersionStamp m_basis;
};

// The name a table goes by in versions and change notices: its file name in lower case
// ("osnova.dbf" for the main table whatever its file is called).
std::string tableKey(const AppState &state, const LoadedTable &table);

} // namespace veltor
