#include "listtools/Filters.h"

#include "app/CodeIndex.h"
#include "app/EmployeeList.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"

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
const char *const BlankDate = "01.01.1900";

int recordsIn(const TTableHeader &header, const std::string &data)
{
    return header.RecordLength > 0 ? static_cast<int>(data.size() / static_cast<size_t>(header.RecordLength)) : 0;
}

std::string fieldsOfRecords(const TTableHeader &header, const std::string &data, std::string_view name)
{
    const int field = FieldIndex(header, name);
    std::string result;
    const int count = recordsIn(header, data);
    for (int r = 1; r <= count; ++r) {
        result += GetField(header, data, r, field);
        result += ',';
    }
    return result;
}

// The codes of a result, each once in the order of its first occurrence. A blank KOD names no
// employee and would stop the list fill, so it is dropped.
std::string distinctCodes(const std::string &codes)
{
    std::unordered_set<std::string> seen;
    std::string result;
    for (std::string &code : splitCodeList(codes)) {
        if (code.empty() || !seen.insert(code).second)
            continue;
        result += code;
        result += ',';
    }
    return result;
}

std::string containingCodes(const TTableHeader &header, const std::string &data, std::string_view field,
                            std::string_view text)
{
    return CodesOfRecords(header, SelectContaining(header, data, FieldIndex(header, field), text));
}

std::string positionOrDepartmentCodes(const TTableHeader &header, const std::string &data,
                                      const LoadedTable &names, std::string_view nameField,
                                      std::string_view employeeField, const std::string &text)
{
    const std::string found = SelectContaining(names.Header, names.Data, FieldIndex(names.Header, nameField), text);
    const std::string numbers = NumbersOfRecords(names.Header, found);
    return CodesOfRecords(header, RecordsWithFieldIn(header, data, numbers, employeeField));
}

std::string familyCodes(const TTableHeader &header, const std::string &data, const std::string &kinds)
{
    std::string members = data;
    std::string codes;
    const int tip = FieldIndex(header, schema::S_TIP);
    for (char kind : kinds) {
        members = SelectContaining(header, members, tip, std::string_view(&kind, 1));
        codes = distinctCodes(CodesOfRecords(header, members));
        members = SelectByCodeList(header, data, codes);
    }
    return codes;
}

std::string workKindCodes(const AppState &state, const TTableHeader &header, const std::string &data,
                          const std::string &criterion)
{
    if (criterion.empty())
        return {};
    const CodeIndex records(header, data, schema::KOD);
    const int vid = FieldIndex(header, schema::VID_RAB);
    const LoadedTable &main = state.Osnova;
    const int kod = FieldIndex(main.Header, schema::KOD);
    std::string result;
    const int count = recordsIn(main.Header, main.Data);
    for (int r = 1; r <= count; ++r) {
        const std::string code = GetField(main.Header, main.Data, r, kod);
        const int last = records.last(code);
        if (last > 0 && GetField(header, data, last, vid) == criterion) {
            result += code;
            result += ',';
        }
    }
    return result;
}

std::string dateCodes(const TTableHeader &header, const std::string &data, std::string_view fieldName,
                      const std::string &criterion)
{
    if (criterion.empty())
        return {};
    const char op = criterion[0];
    const std::string dateText = criterion.substr(1);
    if (op == '=')
        return containingCodes(header, data, fieldName, dateText);
    if (op != '<' && op != '>')
        return {};
    const int field = FieldIndex(header, fieldName);
    const int kod = FieldIndex(header, schema::KOD);
    const int count = recordsIn(header, data);
    std::string result;
    if (count == 0)
        return result;
    const Date limit = strToDate(dateText);
    for (int r = 1; r <= count; ++r) {
        std::string text = GetField(header, data, r, field);
        const Date date = strToDate(text.empty() ? std::string_view(BlankDate) : std::string_view(text));
        if (op == '<' ? date < limit : date > limit) {
            result += GetField(header, data, r, kod);
            result += ',';
        }
    }
    return result;
}

std::string boxCodes(const AppState &state, const TTableHeader &header, const std::string &data,
                     const FilterBox &box)
{
    const int f = box.field;
    switch (filterValueKind(f)) {
    case FilterValueKind::Position:
        return positionOrDepartmentCodes(header, data, state.Dolzh, schema::DOLZH, schema::DOLZH, box.value);
    case FilterValueKind::Department:
        return positionOrDepartmentCodes(header, data, state.Otdel, schema::OTDEL, schema::OTDEL, box.value);
    case FilterValueKind::Family:
        return familyCodes(header, data, box.value);
    case FilterValueKind::WorkKind:
        return workKindCodes(state, header, data, box.value);
    case FilterValueKind::Date:
        return dateCodes(header, data, filterFieldName(f), box.value);
    case FilterValueKind::Text:
    case FilterValueKind::TwoWay:
        break;
    }
    return containingCodes(header, data, filterFieldName(f), box.value);
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

bool isDateField(int field) { return filterValueKind(field) == FilterValueKind::Date; }

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

std::string CodesOfRecords(const TTableHeader &header, const std::string &data)
{
    return fieldsOfRecords(header, data, schema::KOD);
}

std::string NumbersOfRecords(const TTableHeader &header, const std::string &data)
{
    return fieldsOfRecords(header, data, schema::NOM);
}

std::string SelectByCodeList(const TTableHeader &header, const std::string &data, const std::string &codeList)
{
    const std::vector<std::string> codes = splitCodeList(codeList);
    std::string result;
    if (codes.empty() || header.RecordLength <= 0)
        return result;
    // One index instead of a scan per code keeps a long code list linear.
    const CodeIndex index(header, data, schema::KOD);
    const auto length = static_cast<size_t>(header.RecordLength);
    for (const std::string &code : codes)
        for (int32_t record : index.find(code))
            result.append(data, static_cast<size_t>(record - 1) * length, length);
    return result;
}

std::string RecordsWithFieldIn(const TTableHeader &header, const std::string &data, const std::string &list,
                               std::string_view fieldName)
{
    const std::vector<std::string> entries = splitCodeList(list);
    std::string result;
    const int field = FieldIndex(header, fieldName);
    if (entries.empty() || field < 1)
        return result;
    std::unordered_map<std::string, std::vector<int>> byValue;
    const int count = recordsIn(header, data);
    for (int r = 1; r <= count; ++r)
        byValue[GetField(header, data, r, field)].push_back(r);
    const auto length = static_cast<size_t>(header.RecordLength);
    for (const std::string &entry : entries) {
        auto it = byValue.find(entry);
        if (it == byValue.end())
            continue;
        for (int r : it->second)
            result.append(data, static_cast<size_t>(r - 1) * length, length);
    }
    return result;
}

std::string runFilters(const AppState &state, const std::array<FilterBox, FilterBoxCount> &boxes)
{
    std::string found;
    for (int b = 0; b < FilterBoxCount; ++b) {
        const FilterBox &box = boxes[b];
        if (box.field < 0 || box.field >= MaxFilterFields)
            continue;
        const LoadedTable &table = FilterTableOf(state, box.field);
        TTableHeader header = table.Header;
        std::string narrowed;
        const std::string *data = &table.Data;
        if (b > 0) {
            // A later box only narrows what the boxes before it found.
            narrowed = SelectByCodeList(table.Header, table.Data, found);
            header.RecordCount = recordsIn(header, narrowed);
            data = &narrowed;
        }
        // Tables with several records per employee (family, history) yield a code per matching
        // record; each employee is listed once, where he was first met.
        found = distinctCodes(boxCodes(state, header, *data, box));
    }
    return found;
}

} // namespace veltor
