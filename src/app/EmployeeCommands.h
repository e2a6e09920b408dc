#pragma once
#include "app/AppState.h"

// The main window's commands that change employees, without widgets.
namespace veltor {

// Appends a new employee: a main-table record with KOD = 1 + the largest KOD (empty counting
// as 0) and records with that KOD in Passport.dbf, Trud.dbf and Dopoln.dbf. Returns the code.
// Nothing is written to disk. Raises ConversionError for a KOD that is not an integer.
int appendNewEmployee(AppState &state);

// Deletes the current employee (CurMainRec) from the loaded tables: every record with the
// code in Trud.dbf, semja.dbf, Obraz.dbf, Voen.dbf and Dopoln.dbf, the main-table record and
// the passport record (CurPassportRec). Sets RecordsDeleted. Nothing is written to disk.
void deleteCurrentEmployee(AppState &state);

} // namespace veltor
