#pragma once
#include <string>
#include <vector>

#include "records/AppState.h"
#include "text/Convert.h"

// Checks of an employee's identity numbers and dates. They only warn: a clerk may have to
// store a number as the document shows it, mistakes included.
namespace veltor {

// What the checks look at, texts CP1251; EmptyDate where a date is not given.
struct PersonData {
    std::string inn;
    std::string snils;
    std::string passport;
    Date birth = EmptyDate;
    Date hire = EmptyDate;
    Date dismissal = EmptyDate;
};

// Every fault found, each a short UTF-8 text naming the value; empty when all is well. Empty
// numbers are not faults: they are simply not known yet.
std::vector<std::string> dataFaults(const PersonData &person, const Date &today);

// The faults listed in one line, "; " between them.
std::string joinedFaults(const std::vector<std::string> &faults);

// The stored data of an employee code: INN and СНИЛС of the main record, the passport record,
// the hiring date of the first history record and the dismissal date of the last. A stored
// date that does not read is left out.
PersonData storedPersonData(const AppState &state, const std::string &code);

// The hiring date of the employee: D_POST of his first history record; EmptyDate when none.
Date firstHireDate(const AppState &state, const std::string &code);

// The report over the shown list: a heading row and one row per employee with a fault, each
// row "ФИО", "Таб №", "Проверьте данные"; cells CP1251. Column 0 is left for the list
// printing's marker column, which is not printed.
struct FaultReport {
    int cols = 4;
    std::vector<std::string> cells; // row-major, row 0 the headings
    int rows() const { return static_cast<int>(cells.size()) / cols; }
    const std::string &at(int col, int row) const { return cells[static_cast<size_t>(row) * cols + col]; }
};
FaultReport faultReport(const AppState &state, const std::vector<std::string> &codes, const Date &today);

} // namespace veltor
