#pragma once
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "records/AppState.h"
#include "records/Commit.h"

// The start-up and shutdown work of the main window that needs no widgets: config.ini, the
// configuration tables and the personnel tables.
namespace veltor {

// Reads config.ini's sections in their fixed order into the state; a missing section leaves
// its setting as it was; the [INTERFACE] value is read as an integer (ConversionError).
// Sets state.VidValue to the current line at the end.
void readConfigIni(const std::filesystem::path &file, AppState &state);

// config.ini's ten lines with CR LF ends.
std::string configIniBytes(const AppState &state, bool previewShown);
// Writes config.ini alone (replaced atomically).
void writeConfigIni(const std::filesystem::path &file, const AppState &state, bool previewShown);

// One TColumnSetting per Stolb record, in record order; SHIRINA read as an integer.
std::vector<TColumnSetting> columnSettingsFromStolb(const LoadedTable &stolb);

// Konstanty records past the seventh describe additional parameters; never below 0.
int extraParamCount(const LoadedTable &konstanty);

// What opening a database found that the user should hear of (UTF-8 texts).
struct OpeningReport {
    std::string undoneSave; // the save an interrupted commit was, rolled back; empty when none
    std::vector<std::string> removedLeftovers; // temporary files of older versions removed
    std::vector<std::string> warnings;         // tables holding bytes past their last record
};

// Before any table of the folder is read: rolls back a commit that stopped part-way, removes the
// "*.dbf.new" files older versions left behind once the table beside each reads, and refuses
// (FileError naming both files) a table present under two names differing only in case.
OpeningReport prepareDatabaseFolder(const AppState &state);

// Loads osnova.dbf from MainTablePath, then otdel, dolzh, semja, trud, passport, obraz, Voen,
// dopoln and TipDok from the database folder, in that order, after prepareDatabaseFolder. A
// failure raises the error with the tables read so far kept; the table that failed and those
// after it are not Loaded. Sets HighestCode from every table that holds employee codes.
OpeningReport loadPersonnelTables(AppState &state);

// Re-reads what showing all employees refreshes: main, otdel, dolzh, semja, trud, passport,
// and obraz, Voen and dopoln, so that no deletion held only in memory survives; TipDok too when
// it was never loaded. Clears RecordsDeleted.
OpeningReport reloadListTables(AppState &state);

// The personnel tables (file names as the program knows them) that are not Loaded.
std::vector<std::string> missingTables(const AppState &state);

// Raises FileError naming those of the given tables of the state that are not Loaded. A command
// that writes several tables calls it first, so that it writes all of them or none.
void requireLoaded(const AppState &state, std::initializer_list<const LoadedTable *> tables);

// The seven tables that hold an employee's own records (main, semja, Passport, Obraz, Trud,
// Voen, Dopoln), added to a save after checking they are all loaded.
SaveSet &addEmployeeTables(SaveSet &save, AppState &state);

// Commits the tables a deletion changed (the seven tables of the employees' records).
void writeTablesAfterDeletion(AppState &state);

// Reads a table of the database: from its folder (name resolved without regard to letter case)
// or from its server.
void readDatabaseTable(const AppState &state, std::string_view name, LoadedTable &table);

// The largest employee code of a table's KOD field; texts that are no integer are skipped.
int32_t highestCode(const LoadedTable &table);

} // namespace veltor
