#pragma once
#include <functional>
#include <string>

// Sorting the employee list by one of its columns, without widgets.
namespace veltor {

enum class SortOrder { Ascending, Descending };

// The new code list for the list sorted by the texts one column shows. `codes` is the list's
// code list with "-1" already expanded; its first `dataRows` codes belong to grid rows
// 1..dataRows and are read as integers (ConversionError otherwise). Every row gets the key
// "cell@code", and the keys are compared whole, without regard to case, as Russian text
// whatever the machine's locale, so numbers and dates sort by their digits as shown and rows
// with equal cells by their codes as text (12 before 9). Descending is exactly the reverse of
// ascending. Each code of the result is followed by a comma.
std::string SortCodeList(const std::string &codes, int dataRows,
                         const std::function<const std::string &(int row)> &cell, SortOrder order);

} // namespace veltor
