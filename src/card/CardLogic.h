#pragma once
#include <array>
#include <string>
#include <vector>

#include "records/AppState.h"
#include "text/Convert.h"

// The employee card without widgets: which records it shows, the values of its plain
// controls, storing them back into the loaded tables with the employment history, writing the
// seven table files, and removing a cancelled new employee.
namespace veltor {

// The records of the employee the card shows; 0 where the employee has none.
struct CardRecords {
    std::string code; // KOD as stored; empty when the main record is missing
    int main = 0;
    int passport = 0;
    int trud = 0; // the current (last) history record
    int dopoln = 0;
};

// The records named by the current-record globals. A number that names no record, or a record
// of another employee, is not used: the employee's own record is looked up by code instead, and
// stays 0 when there is none.
CardRecords cardRecordsFromGlobals(const AppState &state);

// The records of an employee code: the first in osnova.dbf, Passport.dbf and Dopoln.dbf, the
// last in Trud.dbf.
CardRecords cardRecordsOfCode(const AppState &state, const std::string &code);

enum class CardMode { Existing, NewEmployee };

// A stored value the card cannot read (a date that is no date, a code that is no integer): it
// is shown as an empty value would be, so the clerk can correct it.
struct UnreadableValue {
    std::string table; // file name, e.g. "Passport.dbf"
    std::string field;
    std::string value; // as stored, CP1251
    bool operator==(const UnreadableValue &) const = default;
};

// What the card's plain controls show (texts CP1251).
struct CardValues {
    // osnova.dbf
    std::string nom;
    std::string fio;
    std::string sokrFio;
    std::string fioKogo;
    std::string positionNumber;   // DOLZH as stored, or the NOM of the position chosen
    int positionItem = -1;        // item of the position list: dolzh.dbf record - 1
    std::string positionText;     // the position's name, or why there is none
    std::string departmentNumber; // OTDEL as stored, or the NOM of the department chosen
    int departmentItem = -1;      // otdel.dbf record - 1
    std::string departmentText;   // "отдел удален" when the number names no department
    std::string oklad;
    std::string inn;
    std::string strahSvid;
    bool dismissed = false;
    bool female = false;
    int education = -1; // OBRAZ item, -1 none
    std::string language;
    std::string languageLevel;
    std::array<std::string, 6> seniority{}; // ST_OB_LET, _MES, _DN, ST_NP_LET, _MES, _DN
    std::string photoPath;

    // Passport.dbf
    std::string passport;
    Date passDate = EmptyDate;
    std::string passIssuer;
    Date birthDate = EmptyDate;
    std::string birthPlace;
    std::string citizenship;
    bool hasVisa = false;
    Date visaDate = EmptyDate;
    std::string address;
    std::string phone;

    // Voen.dbf: KATEGOR, ZVANIE, SOSTAV, VUS, GODN, VOENKOM
    bool military = false;
    std::array<std::string, 6> militaryFields{};

    // Trud.dbf, the current record
    Date postDate = EmptyDate;
    std::string contractNo;
    Date contractDate = EmptyDate;
    std::string annexNo;
    Date annexDate = EmptyDate;
    int workKind = 0; // VID_RAB item
    bool dismissalShown = false;
    Date dismissalDate = EmptyDate;
    std::string dismissalReason;

    // Additional parameters k = 1 ... ExtraParamCount: captions from Konstanty, values from
    // Dopoln.dbf.
    std::vector<std::string> extraNames;
    std::vector<std::string> extraValues;

    // Stored values shown as empty because they could not be read.
    std::vector<UnreadableValue> unreadable;

    bool operator==(const CardValues &) const = default;
};

// One message for the unreadable values of an employee (`name` and `code` CP1251), in UTF-8.
std::string unreadableValuesMessage(const std::vector<UnreadableValue> &values, const std::string &name,
                                    const std::string &code);

// Reads everything the card shows. A stored date that is not a date, or an OBRAZ or VID_RAB
// that is not an integer, is shown as empty and listed in `unreadable`: one bad value must not
// keep the clerk from the card that can correct it.
CardValues loadCardValues(const AppState &state, const CardRecords &records, const Date &today);

// The names of every record of a reference table (otdel.dbf OTDEL, dolzh.dbf DOLZH) in record
// order: item i is record i + 1.
std::vector<std::string> referenceNames(const LoadedTable &table, std::string_view nameField);

// What the save needs besides the controls' values.
struct CardSaveInput {
    CardValues values;
    bool positionListShown = false;  // the position is chosen from the list (PositionListMode 1)
    bool statusChangePending = false; // dismissal or restoration toggled since the card was shown
    Date changeDate = EmptyDate;      // date of the change written into a history record
    CardMode mode = CardMode::Existing;
};

struct CardSaveResult {
    bool historyAdded = false; // a history record was written (appended or filled)
    CardRecords records;       // the employee's records after the save
};

// Stores the card into the loaded tables: osnova.dbf, Passport.dbf, Voen.dbf and Dopoln.dbf
// fields, and a history record in Trud.dbf when the employment changed. A record the employee
// lacks in Passport.dbf or Dopoln.dbf is appended with the code. Conversion errors (a history
// number that is not an integer) are raised before any table is changed. When the shown
// employee is the current one, the current-record globals follow the records written.
// Raises FileError when the employee has no record in the main table any more.
CardSaveResult storeCard(AppState &state, const std::string &code, const CardSaveInput &input);

// Commits osnova.dbf (at MainTablePath), semja.dbf, Passport.dbf, Obraz.dbf, Trud.dbf, Voen.dbf
// and Dopoln.dbf together, writing what changed; the code names the employee in messages. A
// failure raises FileError naming the file and the reason, and nothing is written.
// How a card's save commits: on the versions the card read, made by the card (its change notice
// says so), and whether it saves the new employee whose records wait unsaved.
struct CardCommit {
    VersionStamp basis;
    const void *origin = nullptr;
    bool newEmployee = false;
};
void writeCardTables(AppState &state, const std::string &code, const CardCommit &how = {});

// Removes every record carrying the code from the seven per-employee tables.
void removeEmployeeRecords(AppState &state, const std::string &code);

// A text as a field of that length would hold it and GetField return it: cut to the length,
// trimmed of bytes 0x00-0x20.
std::string storedForm(std::string_view text, int fieldLength);

} // namespace veltor
