#pragma once
#include <filesystem>
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

// Konstanty records past the seventh describe additional parameters.
int extraParamCount(const LoadedTable &konstanty);

// Loads osnova.dbf from MainTablePath, then otdel, dolzh, semja, trud, passport, obraz, Voen,
// dopoln and TipDok from the database folder, in that order. A failure raises the error with the
// tables read so far kept.
void loadPersonnelTables(AppState &state);

// Re-reads the tables that showing all employees refreshes: main, otdel, dolzh, semja, trud,
// passport.
void reloadListTables(AppState &state);

// Writes the tables a deletion changed: the main table, semja, Passport, Obraz, Trud, and
// Voen and Dopoln, whose records of the deleted employee are removed too.
void writeTablesAfterDeletion(const AppState &state);

// Reads a table from the database folder (name resolved without regard to letter case).
void readDatabaseTable(const AppState &state, std::string_view name, LoadedTable &table);
void writeDatabaseTable(const AppState &state, std::string_view name, const LoadedTable &table);

} // namespace veltor
