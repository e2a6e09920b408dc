#pragma once
#include "records/AppState.h"

// The main window's commands that change employees, without widgets.
namespace veltor {

// Appends a new employee: a main-table record with KOD = 1 + the largest code the database has
// ever held (HighestCode, or the main table's largest KOD when above it) and records with that KOD in Passport.dbf, Trud.dbf and Dopoln.dbf. Returns the code.
// Nothing is written to disk. Raises ConversionError for a KOD that is not an integer.
int appendNewEmployee(AppState &state);

// Deletes the employee with that code from the loaded tables: the first record with the code
// in the main table and in Passport.dbf, every record with it in Trud.dbf, semja.dbf, Obraz.dbf,
// Voen.dbf and Dopoln.dbf. Found by code, never by a remembered record number, which another
// window may have moved to someone else. Sets RecordsDeleted and clears the current records
// when they belonged to him. Nothing is written to disk.
void deleteEmployee(AppState &state, const std::string &code);

} // namespace veltor
