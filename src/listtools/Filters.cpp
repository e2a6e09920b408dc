#include "listtools/Filters.h"

#include "records/CodeIndex.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace veltor {

namespace {

const char *const FixedFieldNames[FixedFilterFields] = {
    "Фамилия, Имя, Отчество",
    "Должность",
    "Отдел",
    "ИНН",
    "Страховое свидетельство",
    "Оклад",
    "Работает или нет",
    "Пол",
    "Дата рождения",
    "Адрес прописки",
    "Номер паспорта",
    "Дата паспорта",
    "Кем выдан паспорт",
    "Состав семьи",
    "Дата оформления на работу",
    "Дата изменения состояния",
    "Вид работы",
    "Находится на воинском учете",
};

const char *const FixedFieldColumns[FixedFilterFields] = {
    "FIO",      "DOLZH",  "OTDEL",     "INN",     "STRAH_SVID", "OKLAD",
    "UVOLEN",   "POL",    "DATA_ROZHD", "ADRESS", "PASSPORT",   "PASS_DATA",
    "PASS_KEM", "S_TIP",  "D_POST",    "D_IZM",   "VID_RAB",    "VOIN",
};

// A blank stored date counts as 01.01.1900.
constexpr std::string_view BlankDate = "01.01.1900";

// Codes found so far: each once, in the order first met, pointing into the loaded tables.
using Codes = std::vector<std::string_view>;

// Some records of one loaded table, in the order a selection over it would give them. The
// filters select by record numbers instead of copying records, so a run over 10,000 employees
// moves no record data.
struct Rows {
    const LoadedTable *table = nullptr;
    std::vector<int32_t> records;
};

// The field's text without the blanks and control bytes around it, as GetField gives it.
std::string_view fieldText(const LoadedTable &t, int32_t record, int field)
{
    const TTableHeader &h = t.Header;
    if (field < 1 || field > FieldCount(h) || h.RecordLength <= 0)
        return {};
    const size_t start = static_cast<size_t>(record - 1) * static_cast<size_t>(h.RecordLength) +
                         static_cast<size_t>(h.FieldOffsets[field]);
    if (start >= t.Data.size())
        return {};
    std::string_view text(t.Data.data() + start, std::min<size_t>(h.FieldLengths[field], t.Data.size() - start));
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20)
        text.remove_suffix(1);
    return text;
}

int recordsIn(const LoadedTable &t)
{
    return t.Header.RecordLength > 0 ? static_cast<int>(t.Data.size() / static_cast<size_t>(t.Header.RecordLength))
                                     : 0;
}

Rows allRows(const LoadedTable &t)
{
    Rows rows{&t, {}};
    const int count = recordsIn(t);
    rows.records.reserve(static_cast<size_t>(count));
    for (int r = 1; r <= count; ++r)
        rows.records.push_back(r);
    return rows;
}

// A KOD as SelectEqual would read it without surprises: a decimal integer written the way
// intToStr writes it. Between such texts, equal as integers means equal as text.
bool plainInteger(std::string_view text, int32_t &result)
{
    const size_t sign = !text.empty() && text[0] == '-' ? 1 : 0;
    const size_t digits = text.size() - sign;
    if (digits == 0 || digits > 10 || (text[sign] == '0' && (digits > 1 || sign == 1)))
        return false;
    int64_t value = 0;
    for (size_t i = sign; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    if (sign)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return false;
    result = static_cast<int32_t>(value);
    return true;
}

// The records of a table by KOD. When every KOD of the table is a plain integer (the normal
// case) a code's records are found by its text through one hash map and a chain in table
// order; otherwise, and for codes that are not plain, CodeIndex answers exactly as
// SelectEqual would, conversion errors included.
class KodLookup {
public:
    explicit KodLookup(const LoadedTable &t) : m_table(&t)
    {
        const int kod = FieldIndex(t.Header, schema::KOD);
        const int count = recordsIn(t);
        m_next.assign(static_cast<size_t>(count) + 1, 0);
        m_spans.reserve(static_cast<size_t>(count));
        for (int r = 1; r <= count && m_plain; ++r) {
            const std::string_view code = fieldText(t, r, kod);
            if (code.empty())
                continue;
            int32_t value = 0;
            if (!plainInteger(code, value)) {
                m_plain = false;
                break;
            }
            auto [it, added] = m_spans.try_emplace(value, r, r);
            if (!added) {
                m_next[static_cast<size_t>(it->second.second)] = r;
                it->second.second = r;
            }
        }
    }

    // Calls fn(record) for the records whose KOD equals the code, in table order.
    template <typename Fn>
    void forEach(std::string_view code, Fn fn)
    {
        int32_t value = 0;
        if (!m_plain || !plainInteger(code, value)) {
            if (!m_index)
                m_index = std::make_unique<CodeIndex>(m_table->Header, m_table->Data, schema::KOD);
            for (int32_t record : m_index->find(code))
                fn(record);
            return;
        }
        auto it = m_spans.find(value);
        if (it == m_spans.end())
            return;
        for (int32_t r = it->second.first; r != 0; r = r == it->second.second ? 0 : m_next[static_cast<size_t>(r)])
            fn(r);
    }

private:
    const LoadedTable *m_table;
    bool m_plain = true;
    // Keyed by value, so look-ups never read the table's bytes again.
    std::unordered_map<int32_t, std::pair<int32_t, int32_t>> m_spans; // first, last record
    std::vector<int32_t> m_next; // the next record with the same KOD
    std::unique_ptr<CodeIndex> m_index;
};

// The KOD look-up of each table a run needs, built once per run.
class Indexes {
public:
    KodLookup &of(const LoadedTable &t)
    {
        auto &slot = m_made[&t];
        if (!slot)
            slot = std::make_unique<KodLookup>(t);
        return *slot;
    }

private:
    std::map<const LoadedTable *, std::unique_ptr<KodLookup>> m_made;
};

// SelectByCodeList: for every code in order, the table's records whose KOD equals it as an
// integer, in table order.
Rows selectByCodes(const LoadedTable &t, const Codes &codes, Indexes &indexes)
{
    Rows rows{&t, {}};
    if (codes.empty())
        return rows;
    KodLookup &lookup = indexes.of(t);
    for (std::string_view code : codes)
        lookup.forEach(code, [&](int32_t record) { rows.records.push_back(record); });
    return rows;
}

// CodesOfRecords, each code once where first met. A blank KOD names no employee and would stop
// the list fill, so it is dropped.
Codes codesOf(const Rows &rows)
{
    const int kod = FieldIndex(rows.table->Header, schema::KOD);
    std::unordered_set<std::string_view> seen;
    Codes codes;
    for (int32_t record : rows.records) {
        const std::string_view code = fieldText(*rows.table, record, kod);
        if (!code.empty() && seen.insert(code).second)
            codes.push_back(code);
    }
    return codes;
}

// The rows whose field contains the text (an empty text matches nothing).
Rows containing(const Rows &rows, std::string_view fieldName, std::string_view text)
{
    Rows found{rows.table, {}};
    const int field = FieldIndex(rows.table->Header, fieldName);
    if (text.empty() || field < 1)
        return found;
    for (int32_t record : rows.records)
        if (fieldText(*rows.table, record, field).find(text) != std::string_view::npos)
            found.records.push_back(record);
    return found;
}

// Position or department: the numbers (NOM) of the names containing the text, in the order of
// their table; then, number by number, the rows whose field holds exactly that number.
Codes positionOrDepartmentCodes(const Rows &rows, const LoadedTable &names, std::string_view nameField,
                                std::string_view employeeField, std::string_view text)
{
    const Rows named = containing(allRows(names), nameField, text);
    const int nom = FieldIndex(names.Header, schema::NOM);
    const int field = FieldIndex(rows.table->Header, employeeField);
    if (named.records.empty() || field < 1)
        return {};
    std::unordered_map<std::string_view, std::vector<int32_t>> byNumber;
    for (int32_t record : rows.records)
        byNumber[fieldText(*rows.table, record, field)].push_back(record);
    Rows found{rows.table, {}};
    for (int32_t record : named.records) {
        auto it = byNumber.find(fieldText(names, record, nom));
        if (it != byNumber.end())
            found.records.insert(found.records.end(), it->second.begin(), it->second.end());
    }
    return codesOf(found);
}

// The employees with at least one family record of every kind in `kinds`.
Codes familyCodes(const Rows &rows, std::string_view kinds, Indexes &indexes)
{
    Rows members = rows;
    Codes codes;
    for (char kind : kinds) {
        codes = codesOf(containing(members, schema::S_TIP, std::string_view(&kind, 1)));
        // Every record of a code in `rows` is in `rows`, so selecting from the whole table
        // gives what selecting from `rows` would.
        members = selectByCodes(*rows.table, codes, indexes);
    }
    return codes;
}

// Employees, in main-table order, whose last history record among the rows holds the kind.
Codes workKindCodes(const AppState &state, const Rows &rows, std::string_view kind, Indexes &indexes)
{
    if (kind.empty())
        return {};
    const LoadedTable &t = *rows.table;
    std::vector<char> inRows(static_cast<size_t>(recordsIn(t)) + 1, 0);
    for (int32_t record : rows.records)
        inRows[static_cast<size_t>(record)] = 1;
    KodLookup &lookup = indexes.of(t);
    const int vid = FieldIndex(t.Header, schema::VID_RAB);
    const LoadedTable &main = state.Osnova;
    const int kod = FieldIndex(main.Header, schema::KOD);
    Codes codes;
    std::unordered_set<std::string_view> seen;
    const int count = recordsIn(main);
    for (int r = 1; r <= count; ++r) {
        const std::string_view code = fieldText(main, r, kod);
        if (code.empty())
            continue;
        int32_t last = 0;
        lookup.forEach(code, [&](int32_t record) {
            if (inRows[static_cast<size_t>(record)])
                last = record;
        });
        if (last > 0 && fieldText(t, last, vid) == kind && seen.insert(code).second)
            codes.push_back(code);
    }
    return codes;
}

Codes dateCodes(const Rows &rows, std::string_view fieldName, std::string_view criterion)
{
    if (criterion.empty())
        return {};
    const char op = criterion[0];
    const std::string_view dateText = criterion.substr(1);
    if (op == '=')
        return codesOf(containing(rows, fieldName, dateText));
    if ((op != '<' && op != '>') || rows.records.empty())
        return {};
    const int field = FieldIndex(rows.table->Header, fieldName);
    const Date limit = strToDate(dateText);
    Rows found{rows.table, {}};
    for (int32_t record : rows.records) {
        const std::string_view text = fieldText(*rows.table, record, field);
        const Date date = strToDate(text.empty() ? BlankDate : text);
        if (op == '<' ? date < limit : date > limit)
            found.records.push_back(record);
    }
    return codesOf(found);
}

Codes boxCodes(const AppState &state, const Rows &rows, const FilterBox &box, Indexes &indexes)
{
    const int f = box.field;
    switch (filterValueKind(f)) {
    case FilterValueKind::Position:
        return positionOrDepartmentCodes(rows, state.Dolzh, schema::DOLZH, schema::DOLZH, box.value);
    case FilterValueKind::Department:
        return positionOrDepartmentCodes(rows, state.Otdel, schema::OTDEL, schema::OTDEL, box.value);
    case FilterValueKind::Family:
        return familyCodes(rows, box.value, indexes);
    case FilterValueKind::WorkKind:
        return workKindCodes(state, rows, box.value, indexes);
    case FilterValueKind::Date:
        return dateCodes(rows, filterFieldName(f), box.value);
    case FilterValueKind::Text:
    case FilterValueKind::TwoWay:
        break;
    }
    return codesOf(containing(rows, filterFieldName(f), box.value));
}

} // namespace

std::vector<std::string> filterFieldNames(const AppState &state)
{
    std::vector<std::string> names;
    names.reserve(FixedFilterFields + std::max(0, state.ExtraParamCount));
    for (const char *name : FixedFieldNames)
        names.push_back(utf8ToCp1251(name));
    const LoadedTable &k = state.Konstanty;
    const int value = FieldIndex(k.Header, schema::ZNACHEN);
    const int extra = std::min(state.ExtraParamCount, MaxFilterFields - FixedFilterFields);
    for (int i = 1; i <= extra; ++i)
        names.push_back(GetField(k.Header, k.Data, RecordNoOfText(schema::dopolnFieldName(i), k.Data, k.Header), value));
    return names;
}

FilterValueKind filterValueKind(int field)
{
    using namespace filterfield;
    switch (field) {
    case Position:
        return FilterValueKind::Position;
    case Department:
        return FilterValueKind::Department;
    case WorkKind:
        return FilterValueKind::WorkKind;
    case Works:
    case Sex:
    case Military:
        return FilterValueKind::TwoWay;
    case BirthDate:
    case PassportDate:
    case HireDate:
    case ChangeDate:
        return FilterValueKind::Date;
    case Family:
        return FilterValueKind::Family;
    default:
        return FilterValueKind::Text;
    }
}

std::string dateCriterion(int modeItem, std::string_view dateText)
{
    const char op = modeItem == 0 ? '>' : modeItem == 1 ? '=' : '<';
    return std::string(1, op) + std::string(dateText);
}

std::string familyCriterion(bool parents, bool spouse, bool children)
{
    std::string kinds;
    if (parents)
        kinds += 'r';
    if (spouse)
        kinds += 's';
    if (children)
        kinds += 'd';
    return kinds;
}

std::string twoWayCriterion(int field, int item)
{
    if (field == filterfield::Sex)
        return item == 0 ? "m" : "f";
    return item == 0 ? "0" : "1";
}

const LoadedTable &FilterTableOf(const AppState &state, int field)
{
    if (field >= FixedFilterFields)
        return state.Dopoln;
    if (field >= 8 && field <= 12)
        return state.Passport;
    if (field == filterfield::Family)
        return state.Semja;
    if (field >= 14 && field <= 16)
        return state.Trud;
    return state.Osnova;
}

std::string filterFieldName(int field)
{
    if (field >= FixedFilterFields)
        return schema::dopolnFieldName(field - FixedFilterFields + 1);
    if (field < 0)
        return {};
    return FixedFieldColumns[field];
}

std::string runFilters(const AppState &state, const std::array<FilterBox, FilterBoxCount> &boxes)
{
    Indexes indexes;
    Codes found;
    for (int b = 0; b < FilterBoxCount; ++b) {
        const FilterBox &box = boxes[b];
        if (box.field < 0 || box.field >= MaxFilterFields)
            continue;
        const LoadedTable &table = FilterTableOf(state, box.field);
        // A later box only narrows what the boxes before it found. Tables with several records
        // per employee (family, history) meet an employee once per matching record; he is
        // listed once, where he was first met.
        const Rows rows = b == 0 ? allRows(table) : selectByCodes(table, found, indexes);
        found = boxCodes(state, rows, box, indexes);
    }
    std::string result;
    for (std::string_view code : found) {
        result += code;
        result += ',';
    }
    return result;
}

} // namespace veltor
