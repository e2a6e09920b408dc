#pragma once
#include <string>

#include "storage/DBFUnit.h"

// The reference lists (departments, positions) edited in a grid, without widgets.
namespace veltor {

// Appends a blank record numbered after the last one (NOM "1" for the only record) and returns
// its record number. A last NOM that is not an integer raises ConversionError before anything
// is appended.
int addReferenceRow(LoadedTable &table);

// Stores a grid cell's text into the same-numbered field of the same-numbered record.
void storeReferenceCell(LoadedTable &table, int record, int field, const std::string &text);

} // namespace veltor
