#pragma once
#include "records/AppState.h"

// The conversion of the main table from the DOS Cyrillic code page (866) to CP1251, for a
// database brought over from a DOS program. Only the main table is converted.
namespace veltor {

// Converts every byte of the loaded main table's record data in place. Raises FileError when the
// tables are not loaded: there is nothing to convert, and saving would overwrite the file.
void convertMainTableFromDos(AppState &state);

// Writes the loaded main table to MainTablePath with its record count.
void saveMainTable(AppState &state);

// Reads the main table again from MainTablePath, dropping the conversion.
void rereadMainTable(AppState &state);

} // namespace veltor
