#include "app/EmployeeCommands.h"

#include "storage/Schema.h"
#include "text/Convert.h"

#include <algorithm>

namespace veltor {
namespace {

void appendWithCode(LoadedTable &t, const std::string &code)
{
    const int record = AppendBlankRecord(t);
    SetField(t, record, schema::KOD, code);
}

// Deletes every record whose KOD equals the code, from the highest number down so the numbers
// still to delete stay valid.
void deleteWithCode(LoadedTable &t, const std::string &code)
{
    TIndex found;
    SelectEqualIdx(t.Header, t.Data, FieldIndex(t.Header, schema::KOD), code, found);
    for (size_t i = found.size(); i-- > 1;)
        DeleteRecord(t, found[i]);
}

void deleteFirstWithCode(LoadedTable &t, const std::string &code)
{
    TIndex found;
    SelectEqualIdx(t.Header, t.Data, FieldIndex(t.Header, schema::KOD), code, found);
    if (found.size() > 1)
        DeleteRecord(t, found[1]);
}

} // namespace

int appendNewEmployee(AppState &state)
{
    LoadedTable &main = state.Osnova;
    const int kod = FieldIndex(main.Header, schema::KOD);
    int largest = state.HighestCode;
    for (int r = 1; r <= main.Header.RecordCount; ++r) {
        const std::string value = GetField(main.Header, main.Data, r, kod);
        largest = std::max(largest, value.empty() ? 0 : strToInt(value));
    }
    // Above every code any table has held, deleted employees' included: their old orders must
    // never name the new person.
    const int code = state.storage().newEmployeeCode(largest + 1);
    const std::string text = intToStr(code);
    appendWithCode(main, text);
    appendWithCode(state.Passport, text);
    appendWithCode(state.Trud, text);
    appendWithCode(state.Dopoln, text);
    return code;
}

void deleteEmployee(AppState &state, const std::string &code)
{
    if (code.empty())
        return;
    const LoadedTable &main = state.Osnova;
    const bool wasCurrent =
        GetField(main.Header, main.Data, state.CurMainRec, FieldIndex(main.Header, schema::KOD)) == code;
    deleteWithCode(state.Trud, code);
    deleteWithCode(state.Semja, code);
    deleteWithCode(state.Obraz, code);
    // Kept records of these two would pass to the next new employee, who may get the same code.
    deleteWithCode(state.Voen, code);
    deleteWithCode(state.Dopoln, code);
    deleteFirstWithCode(state.Osnova, code);
    deleteFirstWithCode(state.Passport, code);
    if (wasCurrent) {
        state.CurMainRec = 0;
        state.CurPassportRec = 0;
        state.CurTrudRec = 0;
        state.CurDopolnRec = 0;
    }
    state.RecordsDeleted = true;
}

} // namespace veltor
