#include "listtools/StreamingEntry.h"

#include "records/Commit.h"
#include "records/Startup.h"
#include "text/Cp1251.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"

#include <algorithm>
#include <unordered_map>

namespace veltor {
namespace {

LoadedTable *tableOf(AppState &state, int tableNo)
{
    switch (tableNo) {
    case 1: return &state.Osnova;
    case 2: return &state.Passport;
    case 3: return &state.Semja;
    case 4: return &state.Trud;
    case 5: return &state.Dopoln;
    default: return nullptr;
    }
}

int tableNumber(const TColumnSetting &column)
{
    int n = 0;
    return tryStrToInt(column.TableNo, n) && n >= 1 && n <= 5 ? n : 0;
}

// The first record of every code in a table, in one pass.
std::unordered_map<std::string, int> firstRecords(const LoadedTable &t)
{
    std::unordered_map<std::string, int> first;
    const int kod = FieldIndex(t.Header, schema::KOD);
    if (kod < 1)
        return first;
    first.reserve(static_cast<size_t>(t.Header.RecordCount));
    for (int r = 1; r <= t.Header.RecordCount; ++r)
        first.try_emplace(GetField(t.Header, t.Data, r, kod), r);
    return first;
}

} // namespace

bool StreamAttribute::hasCodes() const { return kind == List && FieldName != "S_TIP_N"; }

bool streamable(const TColumnSetting &column) { return tableNumber(column) != 0; }

const LoadedTable *streamTable(const AppState &state, int tableNo)
{
    return tableOf(const_cast<AppState &>(state), tableNo);
}

StreamAttribute streamAttributeOf(const AppState &state, const TColumnSetting &column)
{
    StreamAttribute a;
    a.FieldName = column.FieldName;
    a.tableNo = tableNumber(column);
    auto fromTable = [&](const LoadedTable &t, std::string_view textField) {
        a.kind = StreamAttribute::List;
        const int text = FieldIndex(t.Header, textField);
        const int nom = FieldIndex(t.Header, schema::NOM);
        for (int r = 1; r <= t.Header.RecordCount; ++r) {
            a.items.push_back(GetField(t.Header, t.Data, r, text));
            a.codes.push_back(GetField(t.Header, t.Data, r, nom));
        }
    };
    auto fixed = [&](std::initializer_list<const char *> items, std::initializer_list<const char *> codes) {
        a.kind = StreamAttribute::List;
        for (const char *i : items)
            a.items.push_back(cp(i));
        for (const char *c : codes)
            a.codes.push_back(c);
    };
    const std::string &f = column.FieldName;
    if (f == schema::DOLZH)
        fromTable(state.Dolzh, schema::DOLZH);
    else if (f == schema::OTDEL)
        fromTable(state.Otdel, schema::OTDEL);
    else if (f == schema::POL)
        fixed({"Мужской", "Женский"}, {"m", "f"});
    else if (f == schema::OBRAZ)
        fixed({"Начальное", "Среднее", "Средне-специальное", "Высшее", "Ученая степень"},
              {"0", "1", "2", "3", "4"});
    else if (f == schema::VID_RAB)
        fixed({"Постоянный сотрудник", "Внешний совместитель"}, {"0", "1"});
    else if (f == schema::S_TIP_N)
        a.kind = StreamAttribute::List; // a list with nothing to choose
    else if (column.Caption.find(cp("Дата")) != std::string::npos)
        a.kind = StreamAttribute::Date;
    return a;
}

std::vector<std::string> currentStreamValues(const AppState &state, const StreamAttribute &attribute,
                                             const std::vector<std::string> &codes)
{
    std::vector<std::string> values(codes.size());
    const LoadedTable *t = streamTable(state, attribute.tableNo);
    if (!t)
        return values;
    const int field = FieldIndex(t->Header, attribute.FieldName);
    const auto first = firstRecords(*t);
    for (size_t i = 0; i < codes.size(); ++i)
        if (auto it = first.find(codes[i]); it != first.end())
            values[i] = GetField(t->Header, t->Data, it->second, field);
    return values;
}

HistoryAppender::HistoryAppender(LoadedTable &trud) : m_trud(trud) {}

HistoryAppender::Employee &HistoryAppender::employee(const std::string &code)
{
    // One pass over the history instead of a selection per employee.
    if (!m_indexed) {
        std::unordered_map<std::string, Employee> all;
        const TTableHeader &h = m_trud.Header;
        const int kod = FieldIndex(h, schema::KOD);
        const int nIzm = FieldIndex(h, schema::N_IZM);
        for (int r = 1; r <= h.RecordCount; ++r) {
            Employee &e = all[GetField(h, m_trud.Data, r, kod)];
            e.lastRecord = r;
            const std::string n = GetField(h, m_trud.Data, r, nIzm);
            if (!n.empty())
                e.maxChange = std::max(e.maxChange, static_cast<int>(strToInt(n)));
        }
        m_sorted.assign(all.begin(), all.end());
        std::sort(m_sorted.begin(), m_sorted.end(),
                  [](const auto &a, const auto &b) { return a.first < b.first; });
        m_indexed = true;
    }
    auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), code,
                               [](const auto &e, const std::string &c) { return e.first < c; });
    if (it == m_sorted.end() || it->first != code)
        it = m_sorted.insert(it, {code, Employee{}});
    return it->second;
}

void HistoryAppender::append(const std::string &code, std::string_view field, const std::string &value,
                             const std::string &date)
{
    Employee &e = employee(code);
    TTableHeader &h = m_trud.Header;
    const size_t length = static_cast<size_t>(h.RecordLength);
    std::string copy = e.lastRecord > 0 ? m_trud.Data.substr((e.lastRecord - 1) * length, length)
                                        : std::string(length, ' ');
    // A record appended since the last commit is written whole by the next one, so its bytes
    // may be set directly.
    const int r = AppendBlankRecord(m_trud);
    m_trud.Data.replace(static_cast<size_t>(r - 1) * length, length, copy);
    SetField(m_trud, r, schema::KOD, code);
    SetField(m_trud, r, field, value);
    SetField(m_trud, r, schema::D_IZM, date);
    e.maxChange += 1;
    SetField(m_trud, r, schema::N_IZM, std::to_string(e.maxChange));
    e.lastRecord = r;
}

int applyStreamEntry(AppState &state, const StreamAttribute &attribute,
                     const std::vector<StreamValue> &values, const Date &date)
{
    LoadedTable *loaded = tableOf(state, attribute.tableNo);
    if (!loaded || values.empty())
        return 0;
    const std::string dateText = dateToStr(date);
    const std::string &f = attribute.FieldName;
    const bool history = f == schema::DOLZH || f == schema::OTDEL || f == schema::OKLAD;
    int changed = 0;
    // The changes go into the loaded tables and are committed together; a failure takes them
    // back, so nothing stays in memory that a retry or another save would repeat.
    SaveSet save(state, "потоковый ввод (поле " + cp1251ToUtf8(attribute.FieldName) + ")");
    save.add(state.Trud).add(*loaded);
    LoadedTable &trud = state.Trud;
    LoadedTable &t = *loaded;
    HistoryAppender appender(trud);
    try {
    if (attribute.tableNo == 4) {
        for (const StreamValue &v : values) {
            appender.append(v.code, f, v.value, dateText);
            ++changed;
        }
    } else {
        const int field = FieldIndex(t.Header, f);
        const auto first = firstRecords(t);
        for (const StreamValue &v : values) {
            auto it = first.find(v.code);
            if (it == first.end())
                continue;
            SetField(t, it->second, field, v.value);
            if (history)
                appender.append(v.code, f, v.value, dateText);
            ++changed;
        }
    }
    } catch (...) {
        save.abandon();
        throw;
    }
    save.commit();
    return changed;
}

} // namespace veltor
