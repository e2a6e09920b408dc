#pragma once
#include <set>
#include <string>
#include <vector>

#include "records/AppState.h"
#include "records/Commit.h"
#include "documents/TemplatePrinting.h"
#include "text/Convert.h"

// What the orders window computes without widgets: its own tables, order identities and
// numbers, the journal's decoded names, the values of a stored order and saving an order into
// the journal, its detail table and the employee's records.
namespace veltor {

// The kinds of HR order by their position among the TipDok.dbf records of category "k".
enum OrderKind { Hire = 0, Dismissal = 1, Transfer = 2, SalaryChange = 3, Vacation = 4, BusinessTrip = 5 };
constexpr int OrderKindCount = 6;

// True for the kinds that change employment: a history record and the main record.
inline bool changesEmployment(int kind) { return kind >= Hire && kind <= SalaryChange; }
inline bool usesPriem(int kind) { return kind == Hire || kind == Transfer || kind == SalaryChange; }

// The template file printed for a kind (UTF-8), empty for none.
std::string orderTemplateName(int kind);

// The window's own tables, read from the database folder each time it is shown.
struct OrderBook {
    LoadedTable ZhurDok;
    LoadedTable Priem;
    LoadedTable Uvol;
    LoadedTable Otpusk;
    LoadedTable Komand;

    OrderTables view() const { return {&ZhurDok, &Priem, &Komand, &Uvol, &Otpusk}; }
};

OrderBook readOrderBook(const AppState &state);

// The names the five order tables go by in versions and change notices.
std::set<std::string> orderTableKeys(const AppState &state);

// The largest integer value of a field over the records of `data`; empty values are skipped;
// 0 when there is none. A value that is no integer raises ConversionError.
int poiskmax(const TTableHeader &header, const std::string &data, int field);

// The largest whole number of a field; values that are not whole numbers (an order numbered
// "12-к") and empty values are passed over; 0 when there is none.
int largestOrderNumber(const TTableHeader &header, const std::string &data, int field);

// 1 + the largest ID_DOK of the journal.
int nextOrderId(const LoadedTable &zhurDok);

// The HR kinds: TipDok.dbf records whose trimmed TIP_UCH is "k", in table order.
struct HrKind {
    int record = 0;
    std::string code; // TIP_DOK
    std::string name; // NAZ_DOK
};
std::vector<HrKind> hrOrderKinds(const LoadedTable &tipDok);

// The number suggested for a new order of the kind at `position`: 1 + the largest whole NOM_DOK of
// the journal's orders whose TIP_DOK equals the code of TipDok.dbf record position + 1.
int suggestedOrderNumber(const LoadedTable &tipDok, const LoadedTable &zhurDok, int position);

// The first journal record carrying the order identity; 0 when none.
int journalRecordOf(const LoadedTable &zhurDok, int orderId);

// The names the journal shows in place of its codes, per journal record (index 0 = record 1).
struct JournalNames {
    std::vector<std::string> kinds;     // NAZ_DOK of the first TipDok.dbf record with the TIP_DOK
    std::vector<std::string> employees; // FIO of the first osnova.dbf record with the KOD
};
JournalNames journalNames(const AppState &state, const LoadedTable &zhurDok);

// The first record of a reference table (otdel.dbf, dolzh.dbf) whose NOM equals the number;
// 0 when none or the number is empty.
int referenceRecord(const LoadedTable &table, const std::string &number);

// An employee's present employment, as the order form shows it when the employee is chosen.
struct EmployeeEmployment {
    int departmentRecord = 0; // otdel.dbf record of the main record's OTDEL, 0 when none
    int positionRecord = 0;   // dolzh.dbf record of its DOLZH
    std::string salary;
    bool hasHistory = false;  // the fields below come from the last trud.dbf record
    bool mainPlace = false;
    std::string contractNumber;
    std::string agreementNumber;
    std::string contractDate;  // empty when not stored
    std::string agreementDate;
};
EmployeeEmployment employmentOf(const AppState &state, int mainRecord);

// An entry of the order form's employee list.
struct EmployeeChoice {
    int record = 0;         // osnova.dbf record
    std::string code;       // its KOD
    std::string name;       // its FIO (CP1251)
    bool dismissed = false; // its UVOLEN is "1"
};

// A name as the employee list finds and orders it: lower case, ё read as е, in CP1251.
std::string foldedName(std::string_view cp1251);

// Every employee of the main table for the employee list: those working first, then the
// dismissed, each part by name regardless of case and of ё/е, namesakes in table order.
std::vector<EmployeeChoice> employeeChoices(const LoadedTable &osnova);

// The last trud.dbf record of an employee code; 0 when none.
int lastHistoryRecord(const LoadedTable &trud, const std::string &code);

// Everything the order form holds, as stored texts (CP1251). Dates are "dd.MM.yyyy".
struct OrderInput {
    int kind = -1;          // position among the HR kinds, -1 when none is chosen
    std::string kindName;   // the chosen kind's name
    int employeeRecord = 0; // osnova.dbf record the employee list showed, 0 when none
    std::string employeeCode; // its KOD when the list was filled
    std::string number, date, grounds, startDate;
    bool hasEndDate = false;
    std::string endDate;
    std::string comment;
    // Hire, transfer, change of salary.
    std::string department; // NOM of the chosen otdel.dbf record, empty when none
    std::string position;   // NOM of the chosen dolzh.dbf record
    bool mainPlace = false;
    std::string salary, contractNumber, contractDate, agreementNumber, agreementDate;
    // Dismissal: 0 none, 1 compensation, 2 deduction.
    int compensation = 0;
    std::string compensationDays, severanceDays;
    // Vacation: list entries, -1 when none.
    int vacationKind = -1, mainCounting = -1, extraCounting = -1;
    std::string daysTotal, daysExtra, workedFrom, workedTo;
    // Business trip.
    std::string destination, organisation, purpose;

    bool operator==(const OrderInput &) const = default;
};

// The last day of a vacation of `days` calendar days beginning on `startDate` ("dd.MM.yyyy");
// false when the start is no date or the days are not a positive whole number.
bool vacationEndDate(const std::string &startDate, const std::string &days, std::string &endDate);

// Why the order cannot be saved or printed as it stands (a message in UTF-8), empty when it can:
// a kind and an employee are needed, and a vacation needs its days.
std::string orderInputProblem(const OrderInput &in);

// A stored order read back for the order form. Department and position are records of
// otdel.dbf and dolzh.dbf (0 none); the employment fields come from the employee's last
// history record when hasHistory.
struct StoredOrder {
    OrderInput values;
    int journalRecord = 0;
    int orderId = 0;
    int departmentRecord = 0;
    int positionRecord = 0;
    bool hasHistory = false;
    bool hasDetails = false;
};

// Reads journal record `record` and its kind's details. A stored ID_DOK that is no integer
// raises ConversionError; so does a date that is not one.
StoredOrder readStoredOrder(const AppState &state, const OrderBook &book, int record);

// The osnova.dbf record of the employee the order names: the record the list showed while it
// still carries the code, else the first record with that code. 0 without an employee. An
// employee removed since the list was filled raises VeltorError.
int orderEmployeeRecord(const AppState &state, const OrderInput &input);

// Who saves an order and on what: the commit is refused (StaleRecords) when a version in the
// stamp moved since the form showed the order and its employee.
struct OrderCommit {
    const VersionStamp *basis = nullptr;
    const void *origin = nullptr;
};

// Saves the order under `orderId`: the journal record, the kind's detail record and, for the
// kinds that change employment, the history record, each found by ID_DOK or appended,
// committed together in one commit. A stored order given another employee takes all its
// records to him. The main record follows the order only while the order's history record is
// the employee's latest. A failure at any step changes nothing in memory or on disk.
void sohraneniedokumenta(AppState &state, OrderBook &book, const OrderInput &input, int orderId,
                         const OrderCommit &how = {});
// The changes of that save in the loaded tables, without writing.
void storeOrder(AppState &state, OrderBook &book, const OrderInput &in, const std::string &id, int employee,
                const std::string &code);

} // namespace veltor
