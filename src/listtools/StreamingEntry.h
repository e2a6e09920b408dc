#pragma once
#include <string>
#include <vector>

#include "records/AppState.h"
#include "text/Convert.h"

// Entering one attribute for many employees at once, as changes at a date, without widgets.
namespace veltor {

struct StreamAttribute {
    enum Kind { Text, Date, List };
    Kind kind = Text;
    std::string FieldName;
    int tableNo = 0;                 // 1 main, 2 passport, 3 semja, 4 trud, 5 dopoln
    std::vector<std::string> items;  // a list attribute's texts (CP1251)
    std::vector<std::string> codes;  // and the values stored for them
    bool hasCodes() const;           // a list whose stored value differs from its text
};

// Whether a column's table is one the streaming entry can fill (numbers 1 to 5).
bool streamable(const TColumnSetting &column);
StreamAttribute streamAttributeOf(const AppState &state, const TColumnSetting &column);

// The loaded table of a table number 1 … 5; nullptr for any other.
const LoadedTable *streamTable(const AppState &state, int tableNo);

// The attribute's stored value for each code, from the employee's first record of its table;
// empty where he has none.
std::vector<std::string> currentStreamValues(const AppState &state, const StreamAttribute &attribute,
                                             const std::vector<std::string> &codes);

struct StreamValue {
    std::string code;
    std::string value;
};

// Appends to a trud.dbf table a copy of the employee's last record (blank when none) with KOD,
// the field set to the value, D_IZM the date and N_IZM one past his largest.
class HistoryAppender {
public:
    explicit HistoryAppender(LoadedTable &trud);
    void append(const std::string &code, std::string_view field, const std::string &value,
                const std::string &date);

private:
    struct Employee {
        int lastRecord = 0;
        int maxChange = 0;
    };
    Employee &employee(const std::string &code);
    LoadedTable &m_trud;
    std::vector<std::pair<std::string, Employee>> m_sorted; // by code
    bool m_indexed = false;
};

// Stores the values (only the employees given) into the attribute's table and the history:
// changes of DOLZH, OTDEL and OKLAD, and every change of a trud.dbf attribute, become history
// records dated `date`. Writes trud.dbf and the attribute's table, then re-reads the tables
// the list shows. Returns the number of employees changed.
int applyStreamEntry(AppState &state, const StreamAttribute &attribute,
                     const std::vector<StreamValue> &values, const Date &date);

} // namespace veltor
