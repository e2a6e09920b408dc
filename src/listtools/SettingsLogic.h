#pragma once
#include <string>

#include "records/AppState.h"
#include "records/Commit.h"

// The settings dialog's work on the loaded tables, without widgets: additional parameters,
// switching the database folder and writing the program folder's tables.
namespace veltor {

// Adds the additional parameters k = n + 1 … m: a Konstanty record "DOPOLN"k, the field
// "DOPOLN"k (C, 50) of the loaded dopoln.dbf and a hidden Stolb column over it. The Stolb
// number is checked before anything of a parameter is appended, so a bad number (a
// ConversionError) leaves that parameter wholly absent.
void addExtraParams(AppState &state, int n, int m);

// Removes the additional parameters k = n down to m + 1. Their Konstanty and Stolb records are
// found by their key ("DOPOLN"k in PEREMEN and POLE_BAZY), not by position: a column appended
// after them must survive.
void removeExtraParams(AppState &state, int n, int m);

// Locks the folder of `mainTablePath` and reads every personnel table from it into a fresh copy
// first; only when all of them read does the state take them, the lock and the new path. Returns false (the state
// untouched) when the folder has no readable database; `error` then says why.
bool switchDatabase(AppState &state, const std::string &mainTablePath, std::string &error);

// Adds Stolb, Konstanty and Pechat (those that were read) to a save.
void addProgramTables(SaveSet &save, AppState &state);

// The text shown for a Konstanty record's value: an employee's FIO for the director, chief
// accountant and HR officer (their value is a code), the value itself otherwise.
std::string constantShownValue(const AppState &state, int record);
bool isPersonConstant(const AppState &state, int record);

} // namespace veltor
