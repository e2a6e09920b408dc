#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "records/AppState.h"

// The employee list without widgets: which codes are shown, the text of every cell, the
// current records of a row and the preview panel's texts.
namespace veltor {

// "-1" (or an empty text) expanded to the codes of every main-table record with a KOD, in
// record order, each followed by a comma; "0," when there is none. Any other list unchanged.
std::string effectiveCodeList(const AppState &state, const std::string &codeList);

// The codes of a list: the texts before each comma; text after the last comma is ignored.
std::vector<std::string> splitCodeList(std::string_view codeList);

// The r-th code (1-based) of the list, empty when there are fewer.
std::string nthCode(std::string_view codeList, int r);

// A stored value the list could not read (a code or number that is not an integer): shown as
// empty. Texts CP1251.
struct BadStoredValue {
    std::string table;    // file name, "semja.dbf"
    std::string field;    // "KOD"
    std::string employee; // the employee's name where the record names him, else "запись N"
    std::string value;
    bool operator==(const BadStoredValue &) const = default;
};

// One message (UTF-8) for the clerk listing the values, at most a few of them by name.
std::string badStoredValuesMessage(const std::vector<BadStoredValue> &values);

// The grid's content: cells row-major, row 0 the headings, column 0 the marker column.
struct ListContent {
    int cols = 1;
    int rows = 1;
    std::vector<std::string> cells;
    std::vector<int> widths;
    std::vector<int> mainRecords; // first main-table record of each row (index = grid row), 0 none
    std::vector<BadStoredValue> badValues; // in the tables the shown columns read
    std::string &at(int col, int row) { return cells[static_cast<size_t>(row) * cols + col]; }
};

// Fills the list for an (already expanded) code list. A stored code, position or department
// number that is not an integer never stops the fill: its cell is empty and it is listed in
// badValues.
ListContent buildEmployeeList(const AppState &state, const std::string &expandedCodes);

// Texts shown for a position or department number in the list.
std::string positionText(const AppState &state, const std::string &number);
std::string departmentText(const AppState &state, const std::string &number);
// Education level and kind of work as shown.
std::string educationText(const std::string &value);
std::string workKindText(const std::string &value);

// The four current records of an employee code (text as in the code list).
struct CurrentRecords {
    int main = 0;
    int passport = 0;
    int trud = 0;
    int dopoln = 0;
};
CurrentRecords currentRecordsOf(const AppState &state, const std::string &code);

// "Строка № 3 из 25".
std::string statusText(int row, int rowCount);

// The preview panel of the current main-table record.
struct PreviewTexts {
    std::string name;
    std::string position;
    std::string salary;
    std::string department;
    std::string photoPath; // FOTO, empty when none
};
PreviewTexts previewOf(const AppState &state, int mainRecord);

// True when the employee of that main-table record is dismissed (UVOLEN "1").
bool isDismissed(const AppState &state, int mainRecord);

} // namespace veltor
