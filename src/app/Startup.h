#pragma once
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/AppState.h"

// The start-up and shutdown work of the main window that needs no widgets: config.ini, the
// configuration tables and the personnel tables.
namespace veltor {

// Reads config.ini's sections in their fixed order into the state; a missing section leaves
// its setting as it was; the [INTERFACE] value is read as an integer (ConversionError).
// Sets state.VidValue to the current line at the end.
void readConfigIni(const std::filesystem::path &file, AppState &state);

// Writes config.ini: ten lines with CR LF ends.
void writeConfigIni(const std::filesystem::path &file, const AppState &state, bool previewShown);

// One TColumnSetting per Stolb record, in record order; SHIRINA read as an integer.
std::vector<TColumnSetting> columnSettingsFromStolb(const LoadedTable &stolb);

// Konstanty records past the seventh describe additional parameters; never below 0.
int extraParamCount(const LoadedTable &konstanty);

// Loads osnova.dbf from MainTablePath, then otdel, dolzh, semja, trud, passport, obraz, Voen,
// dopoln and TipDok from the database folder, in that order. A failure raises the error with the
// tables read so far kept; the table that failed and those after it are not Loaded.
void loadPersonnelTables(AppState &state);

// Re-reads what showing all employees refreshes: main, otdel, dolzh, semja, trud, passport,
// and obraz, Voen and dopoln, so that no deletion held only in memory survives; TipDok too when
// it was never loaded. Clears RecordsDeleted.
void reloadListTables(AppState &state);

// The personnel tables (file names as the program knows them) that are not Loaded.
std::vector<std::string> missingTables(const AppState &state);

// Raises FileError naming those of the given tables of the state that are not Loaded. A command
// that writes several tables calls it first, so that it writes all of them or none.
void requireLoaded(const AppState &state, std::initializer_list<const LoadedTable *> tables);

// Writes the tables a deletion changed: the main table, semja, Passport, Obraz, Trud, and
// Voen and Dopoln, whose records of the deleted employee are removed too. Nothing is written
// when one of them is not Loaded.
void writeTablesAfterDeletion(const AppState &state);

// Reads a table from the database folder (name resolved without regard to letter case).
void readDatabaseTable(const AppState &state, std::string_view name, LoadedTable &table);
// Writes it; a table that is not Loaded raises FileError and writes nothing.
void writeDatabaseTable(const AppState &state, std::string_view name, const LoadedTable &table);

} // namespace veltor
