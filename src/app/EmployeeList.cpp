#include "app/EmployeeList.h"

#include "records/CodeIndex.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"

#include <algorithm>
#include <future>
#include <map>
#include <optional>
#include <set>

namespace veltor {
namespace {

// Wider than any screen; a column never needs more pixels.
constexpr long long MaxColumnWidth = 30000;

std::string fieldOf(const LoadedTable &t, int record, std::string_view name)
{
    return GetField(t.Header, t.Data, record, FieldIndex(t.Header, name));
}

// A lookup of a number in a reference table (dolzh.dbf or otdel.dbf): the name field of the
// first record whose NOM equals the number. A number or a NOM that is not an integer equals
// nothing.
std::optional<std::string> referenceName(const LoadedTable &t, const std::string &number,
                                         std::string_view nameField, const CodeIndex *index)
{
    const int rec = index ? index->firstInteger(number)
                          : CodeIndex(t.Header, t.Data, schema::NOM).firstInteger(number);
    if (rec == 0)
        return std::nullopt;
    return fieldOf(t, rec, nameField);
}

bool isInteger(const std::string &text)
{
    int32_t n = 0;
    return tryStrToInt(text, n);
}

std::string positionTextWith(const AppState &state, const std::string &number, const CodeIndex *index)
{
    if (number.empty())
        return cp("должность не указана");
    if (!isInteger(number))
        return {};
    auto name = referenceName(state.Dolzh, number, schema::DOLZH, index);
    return name ? *name : cp("должность удалена");
}

std::string departmentTextWith(const AppState &state, const std::string &number, const CodeIndex *index)
{
    if (number.empty())
        return cp("отдел не указан");
    if (!isInteger(number))
        return {};
    auto name = referenceName(state.Otdel, number, schema::OTDEL, index);
    return name ? *name : cp("отдел удален");
}

// The bad values of one fill, each named once.
class BadValueList {
public:
    explicit BadValueList(std::vector<BadStoredValue> &out) : m_out(out) {}

    // Every code of the table that is not an integer.
    void noteCodes(const LoadedTable &t, std::string_view tableName, const CodeIndex &index)
    {
        if (!m_tablesNoted.insert(std::string(tableName)).second)
            return;
        for (const CodeIndex::BadValue &bad : index.badValues())
            add(t, tableName, schema::KOD, bad.record, bad.text);
    }

    void add(const LoadedTable &t, std::string_view tableName, std::string_view field, int record,
             const std::string &value)
    {
        BadStoredValue v{std::string(tableName), std::string(field), employeeOf(t, tableName, record), value};
        if (std::find(m_out.begin(), m_out.end(), v) == m_out.end())
            m_out.push_back(std::move(v));
    }

private:
    static std::string employeeOf(const LoadedTable &t, std::string_view tableName, int record)
    {
        if (tableName == schema::OsnovaTable) {
            std::string name = fieldOf(t, record, schema::FIO);
            if (!name.empty())
                return name;
        }
        return cp("запись ") + std::to_string(record);
    }

    std::vector<BadStoredValue> &m_out;
    std::set<std::string> m_tablesNoted;
};

// Looked up through the table's cached index, which a stored code that is not an integer
// never makes fail: choosing an employee must not depend on another's damaged record.
int firstWithCode(const LoadedTable &t, const std::string &code)
{
    return indexByCode(t).firstInteger(code);
}

int lastWithCode(const LoadedTable &t, const std::string &code)
{
    return indexByCode(t).lastInteger(code);
}

} // namespace

std::string effectiveCodeList(const AppState &state, const std::string &codeList)
{
    if (codeList != "-1" && !codeList.empty())
        return codeList;
    const LoadedTable &t = state.Osnova;
    const int kod = FieldIndex(t.Header, schema::KOD);
    const int count = WholeRecordCount(t.Header, t.Data);
    std::string result;
    for (int r = 1; r <= count; ++r) {
        std::string code = GetField(t.Header, t.Data, r, kod);
        if (!code.empty()) {
            result += code;
            result += ',';
        }
    }
    return result.empty() ? std::string("0,") : result;
}

std::vector<std::string> splitCodeList(std::string_view codeList)
{
    std::vector<std::string> codes;
    size_t start = 0;
    for (size_t comma = codeList.find(','); comma != std::string_view::npos;
         comma = codeList.find(',', start)) {
        codes.emplace_back(codeList.substr(start, comma - start));
        start = comma + 1;
    }
    return codes;
}

std::string nthCode(std::string_view codeList, int r)
{
    size_t start = 0;
    for (int i = 1; r >= 1; ++i) {
        size_t comma = codeList.find(',', start);
        if (comma == std::string_view::npos)
            return {};
        if (i == r)
            return std::string(codeList.substr(start, comma - start));
        start = comma + 1;
    }
    return {};
}

std::string positionText(const AppState &state, const std::string &number)
{
    return positionTextWith(state, number, nullptr);
}

std::string departmentText(const AppState &state, const std::string &number)
{
    return departmentTextWith(state, number, nullptr);
}

std::string educationText(const std::string &value)
{
    static const char *const names[] = {"Начальное", "Среднее", "Средне-специальное", "Высшее",
                                        "Ученая степень"};
    if (value == "-1")
        return cp("Не указано");
    if (value.size() == 1 && value[0] >= '0' && value[0] <= '4')
        return cp(names[value[0] - '0']);
    return value;
}

std::string workKindText(const std::string &value)
{
    if (value == "0")
        return cp("Постоянный сотрудник");
    if (value == "1")
        return cp("Внешний совместитель");
    return cp("Не указан");
}

ListContent buildEmployeeList(const AppState &state, const std::string &expandedCodes)
{
    const std::vector<std::string> codes = splitCodeList(expandedCodes);
    std::vector<const TColumnSetting *> shown;
    for (const TColumnSetting &s : state.ColumnSettings)
        if (s.Shown == "1")
            shown.push_back(&s);

    ListContent list;
    list.cols = 1 + static_cast<int>(shown.size());
    list.rows = 1 + static_cast<int>(codes.size());
    list.cells.assign(static_cast<size_t>(list.cols) * list.rows, std::string());
    list.widths.assign(list.cols, 0);
    list.widths[0] = 10;
    list.mainRecords.assign(list.rows, 0);

    // The table each column reads, with its name in messages.
    struct Source {
        const LoadedTable *table;
        std::string_view name;
    };
    auto sourceOf = [&](const TColumnSetting &s) -> Source {
        if (s.FieldName == "S_TIP_N")
            return {&state.Semja, schema::SemjaTable};
        if (s.TableNo == "4")
            return {&state.Trud, schema::TrudTable};
        if (s.TableNo == "6")
            return {&state.Voen, schema::VoenTable};
        if (s.TableNo == "2")
            return {&state.Passport, schema::PassportTable};
        if (s.TableNo == "5")
            return {&state.Dopoln, schema::DopolnTable};
        return {&state.Osnova, schema::OsnovaTable};
    };
    // Every index the columns read is made first (those by KOD are kept between fills, so
    // refreshing a few rows after a save costs a search): the columns are then filled side by
    // side and only read them.
    std::vector<const LoadedTable *> indexed{&state.Osnova};
    bool positions = false, departments = false;
    for (const TColumnSetting *s : shown) {
        indexed.push_back(sourceOf(*s).table);
        positions = positions || s->FieldName == "DOLZH";
        departments = departments || s->FieldName == "OTDEL";
    }
    std::sort(indexed.begin(), indexed.end());
    indexed.erase(std::unique(indexed.begin(), indexed.end()), indexed.end());
    prepareIndexesByCode(indexed);
    std::map<const LoadedTable *, const CodeIndex *> byCode;
    for (const LoadedTable *t : indexed)
        byCode[t] = &indexByCode(*t);
    std::optional<CodeIndex> dolzhNom, otdelNom;
    if (positions)
        dolzhNom.emplace(state.Dolzh.Header, state.Dolzh.Data, schema::NOM);
    if (departments)
        otdelNom.emplace(state.Otdel.Header, state.Otdel.Data, schema::NOM);

    // What a column finds unreadable, told afterwards in the order a fill column by column
    // would tell it.
    struct Found {
        const LoadedTable *table;
        std::string_view tableName;
        std::string field; // empty: every code of the table that is not an integer
        int record = 0;
        std::string value;
    };
    auto fillColumn = [&](int c, std::vector<Found> &found) {
        const TColumnSetting &s = *shown[c - 1];
        const Source source = sourceOf(s);
        const LoadedTable &t = *source.table;
        const CodeIndex &index = *byCode.at(&t);
        found.push_back({&t, source.name, {}, 0, {}});
        const int field = FieldIndex(t.Header, s.FieldName);
        if (s.FieldName == "S_TIP_N") {
            for (int r = 1; r < list.rows; ++r) {
                std::string cell;
                for (int rec : index.findIntegers(codes[r - 1])) {
                    cell += ' ';
                    cell += GetField(t.Header, t.Data, rec, field);
                }
                list.at(c, r) = std::move(cell);
            }
            return;
        }
        if (s.TableNo == "4" || s.TableNo == "6") {
            const bool workKind = s.TableNo == "4" && s.FieldName == "VID_RAB";
            for (int r = 1; r < list.rows; ++r) {
                std::string value = GetField(t.Header, t.Data, index.lastInteger(codes[r - 1]), field);
                list.at(c, r) = workKind ? workKindText(value) : std::move(value);
            }
            return;
        }
        const bool reference = s.FieldName == "DOLZH" || s.FieldName == "OTDEL";
        for (int r = 1; r < list.rows; ++r) {
            const int rec = index.firstInteger(codes[r - 1]);
            std::string value = GetField(t.Header, t.Data, rec, field);
            if (reference && !value.empty() && !isInteger(value))
                found.push_back({&t, source.name, s.FieldName, rec, value});
            if (s.FieldName == "DOLZH")
                value = positionTextWith(state, value, &*dolzhNom);
            else if (s.FieldName == "OTDEL")
                value = departmentTextWith(state, value, &*otdelNom);
            else if (s.FieldName == "OBRAZ" && !value.empty())
                value = educationText(value);
            list.at(c, r) = std::move(value);
        }
    };

    std::vector<std::vector<Found>> found(static_cast<size_t>(list.cols));
    // A short list is not worth the threads.
    const bool sideBySide = list.rows > 2000 && list.cols > 2;
    std::vector<std::future<void>> filling;
    for (int c = 1; c < list.cols; ++c) {
        const TColumnSetting &s = *shown[c - 1];
        list.at(c, 0) = s.Caption;
        // SHIRINA comes from a file: a huge value must not overflow, and a negative one keeps
        // hiding the column as any negative width does.
        list.widths[c] = static_cast<int>(std::clamp<long long>(s.Width * 3LL, -1, MaxColumnWidth));
        if (sideBySide)
            filling.push_back(std::async(std::launch::async, [&, c] { fillColumn(c, found[static_cast<size_t>(c)]); }));
        else
            fillColumn(c, found[static_cast<size_t>(c)]);
    }
    for (std::future<void> &f : filling)
        f.get();

    BadValueList bad(list.badValues);
    for (const std::vector<Found> &column : found)
        for (const Found &f : column) {
            if (f.field.empty())
                bad.noteCodes(*f.table, f.tableName, *byCode.at(f.table));
            else
                bad.add(*f.table, f.tableName, f.field, f.record, f.value);
        }

    // The marker column reads the dismissal flag of each row's first main-table record.
    const CodeIndex &main = *byCode.at(&state.Osnova);
    bad.noteCodes(state.Osnova, schema::OsnovaTable, main);
    for (int r = 1; r < list.rows; ++r)
        list.mainRecords[r] = main.firstInteger(codes[r - 1]);
    return list;
}

std::string badStoredValuesMessage(const std::vector<BadStoredValue> &values)
{
    constexpr size_t Named = 5;
    std::string text = values.size() == 1 ? "В таблице хранится значение, которое не читается; оно показано пустым:"
                                          : "В таблицах хранятся значения, которые не читаются; они показаны пустыми:";
    for (size_t i = 0; i < values.size() && i < Named; ++i) {
        const BadStoredValue &v = values[i];
        text += "\n" + v.table + ", поле " + v.field + ", " + cp1251ToUtf8(v.employee) + ": «" +
                cp1251ToUtf8(v.value) + "» не является целым числом";
    }
    if (values.size() > Named)
        text += "\n… и ещё " + std::to_string(values.size() - Named);
    return text;
}

CurrentRecords currentRecordsOf(const AppState &state, const std::string &code)
{
    CurrentRecords cur;
    if (state.Osnova.Header.RecordCount <= 0) {
        cur.main = cur.passport = cur.trud = cur.dopoln = 1;
        return cur;
    }
    cur.main = firstWithCode(state.Osnova, code);
    cur.passport = firstWithCode(state.Passport, code);
    cur.dopoln = firstWithCode(state.Dopoln, code);
    cur.trud = lastWithCode(state.Trud, code);
    return cur;
}

std::string statusText(int row, int rowCount)
{
    return cp("Строка № ") + std::to_string(row) + cp(" из ") + std::to_string(rowCount);
}

PreviewTexts previewOf(const AppState &state, int mainRecord)
{
    PreviewTexts p;
    const LoadedTable &t = state.Osnova;
    p.name = fieldOf(t, mainRecord, schema::FIO);

    const std::string dolzh = fieldOf(t, mainRecord, schema::DOLZH);
    if (dolzh.empty()) {
        p.position = cp("Должность не указана");
    } else {
        auto name = referenceName(state.Dolzh, dolzh, schema::DOLZH, nullptr);
        p.position = name ? cp("Должность: ") + *name : cp("Должность удалена");
    }

    p.salary = cp("Оклад: ") + fieldOf(t, mainRecord, schema::OKLAD) + cp(" рублей");

    const std::string otdel = fieldOf(t, mainRecord, schema::OTDEL);
    if (!otdel.empty()) {
        auto name = referenceName(state.Otdel, otdel, schema::OTDEL, nullptr);
        p.department = name ? cp("Отдел: ") + *name : cp("Отдел удален");
    }
    p.photoPath = fieldOf(t, mainRecord, schema::FOTO);
    return p;
}

bool isDismissed(const AppState &state, int mainRecord)
{
    return fieldOf(state.Osnova, mainRecord, schema::UVOLEN) == "1";
}

} // namespace veltor
