#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "storage/DBFUnit.h"
#include "text/Convert.h"

// The card's two lists without widgets: an employee's family members (semja.dbf) and
// education entries (Obraz.dbf), what their editors show and what they write.
namespace veltor {

// An employee's records of a table: the selection (the records back to back, with a header
// whose record count is the selection's) and its index (element 0 unused, element r the
// table record shown in grid row r).
struct EmployeeSelection {
    TTableHeader header;
    std::string data;
    TIndex index;
};
EmployeeSelection selectEmployeeRecords(const LoadedTable &table, const std::string &code);
TIndex employeeRecordIndex(const LoadedTable &table, const std::string &code);

// True when `shown` still names the employee's records of the table, in order. The card is not
// modal: while it is open the main window may delete an employee or re-read the tables, which
// renumbers the records, and a number taken earlier may then name another employee's record.
bool indexStillCurrent(const LoadedTable &table, const std::string &code, const TIndex &shown);

// Appends a blank record carrying the code; returns its number.
int appendRecordWithCode(LoadedTable &table, const std::string &code);
// The last record carrying the code, 0 when none.
int lastRecordWithCode(const LoadedTable &table, const std::string &code);

// Kinship items of the family editor: 0 "Родитель" (r), 1 "Супруг(а)" (s), 2 "Дети" (d),
// 3 "Другое" (x).
int kinshipItem(std::string_view letter);
std::string kinshipLetter(int item);

struct FamilyMember {
    int kinship = 1; // kinship item; -1 none, stored as "x"
    std::string who; // S_TIP_N: wife, father ...
    std::string name;
    std::string address;
    bool exactBirthDate = true;
    Date birthDate = EmptyDate;
    std::string birthYear; // used when the exact date is not known
};

// S_ROZHD as written: the date text, or six blanks followed by the year's first four characters.
std::string birthDateField(const FamilyMember &member);
void writeFamilyMember(LoadedTable &semja, int record, const FamilyMember &member);

// How the editor shows a stored S_ROZHD: a text shorter than 5 characters is a year (the exact
// date then shows `today`), anything longer a date (ConversionError when it is none); nothing
// for an empty text, which leaves the editor's controls as they are.
struct BirthDateShown {
    bool exact = true;
    Date date = EmptyDate;
    std::string year;
};
std::optional<BirthDateShown> birthDateShown(const std::string &stored, const Date &today);

struct EducationEntry {
    std::string school;
    std::string speciality;
    std::string qualification;
    std::string graduationYear;
    std::optional<int> certificate; // DOK item; nothing when DOK is empty
    std::string series;
    std::string number;
};

// Raises ConversionError when DOK is not an integer.
EducationEntry readEducationEntry(const LoadedTable &obraz, int record);
// DOK is written as the certificate item, "-1" when there is none.
void writeEducationEntry(LoadedTable &obraz, int record, const EducationEntry &entry);

} // namespace veltor
