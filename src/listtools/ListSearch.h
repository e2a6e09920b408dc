#pragma once
#include <functional>
#include <string>
#include <string_view>

// Searching the employee list for a text, without widgets.
namespace veltor {

// The text of one list row as the search sees it: every cell, the marker column included,
// each followed by CR LF.
std::string searchRowText(int cols, const std::function<const std::string &(int col)> &cell);

// The first grid row at or after the starting row whose text contains `text`, both folded with
// UpperCaseRu (ё and Ё stay apart); 0 when none. The walk starts at row 1 when the current row
// is 1 or less and at the row after it otherwise, and never wraps around. An empty text matches
// no row. `rowCount` counts the heading row, as the grid does.
int findListRow(int rowCount, int currentRow, std::string_view text,
                const std::function<std::string(int row)> &rowText);

} // namespace veltor
