#pragma once
#include <array>
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
std::string staleMessage(const std::set<std::string> &changes,
                         const std::string &since = "После того как данные были показаны,");

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
    // The versions the save was built on: the commit is refused when any moved since. `since`
    // starts the refusal: "После открытия карточки".
    SaveSet &basedOn(VersionStamp stamp, std::string since = "После того как данные были показаны,");
    // Who commits: the change notice carries it, so a window knows its own commits.
    SaveSet &by(const void *origin);
    // The save of the new employee's card: it may write his records. Any other save that adds
    // a table of employees' records while a new employee is unsaved is refused (by add, before
    // anything changes).
    SaveSet &savesNewEmployee();

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
    std::string m_since;
    const void *m_origin = nullptr;
    bool m_savesNewEmployee = false;
};

// The seven tables of employees' own records: osnova.dbf, semja, Passport, Obraz, Trud, Voen,
// Dopoln.
std::array<LoadedTable *, 7> employeeTables(AppState &state);

// After the tables were read anew (the same database or another): every window's stamp is out
// of date, and the windows are told to show the tables afresh.
void announceReadAnew(AppState &state, const std::string &description);

// The name a table goes by in versions and change notices: its file name in lower case
// ("osnova.dbf" for the main table whatever its file is called).
std::string tableKey(const AppState &state, const LoadedTable &table);

} // namespace veltor
