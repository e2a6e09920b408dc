#include "orders/OrderLogic.h"

#include "records/CodeIndex.h"
#include "records/Startup.h"
#include "records/Storage.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

#include <QString>

#include <algorithm>
#include <system_error>
#include <unordered_map>

namespace veltor {
namespace {

namespace fs = std::filesystem;

std::string value(const LoadedTable &t, int record, std::string_view field)
{
    return GetField(t.Header, t.Data, record, FieldIndex(t.Header, field));
}

// Codes and identities are compared as integers when both are ("007" is 7), else as texts.
bool sameCode(const std::string &a, const std::string &b)
{
    int32_t x = 0, y = 0;
    if (tryStrToInt(a, x) && tryStrToInt(b, y))
        return x == y;
    return a == b;
}

int firstRecordWhere(const LoadedTable &t, std::string_view field, const std::string &wanted)
{
    const int f = FieldIndex(t.Header, field);
    if (f < 1)
        return 0;
    // Codes and order identities are integers: found through the index kept for the field, which
    // compares them as numbers too, instead of a pass over a history of hundreds of thousands.
    int32_t number = 0;
    if ((field == schema::KOD || field == schema::ID_DOK) && tryStrToInt(wanted, number))
        return indexByField(t, field).firstWithValue(number);
    const int count = WholeRecordCount(t.Header, t.Data);
    for (int r = 1; r <= count; ++r)
        if (sameCode(GetField(t.Header, t.Data, r, f), wanted))
            return r;
    return 0;
}

// A table being changed by a save, and the file it goes to.
struct Target {
    LoadedTable &table;
    std::string_view fileName;

    int field(std::string_view name) const
    {
        const int f = FieldIndex(table.Header, name);
        if (f < 1)
            throw FileError("В таблице «" + std::string(fileName) + "» нет поля " + std::string(name)
                            + ": приказ не сохранён");
        return f;
    }
    std::string get(int record, std::string_view name) const
    {
        return GetField(table.Header, table.Data, record, field(name));
    }
    void set(int record, std::string_view name, std::string_view text)
    {
        SetField(table, record, field(name), text);
    }
    // The first record carrying the order identity, or a new blank one.
    int findOrAppend(const std::string &id)
    {
        field(schema::ID_DOK);
        if (const int r = firstRecordWhere(table, schema::ID_DOK, id))
            return r;
        return AppendBlankRecord(table);
    }
};

// The last trud.dbf record of an employee code before record `before`; 0 when none.
int historyRecordBefore(const LoadedTable &trud, const std::string &code, int before)
{
    const int f = FieldIndex(trud.Header, schema::KOD);
    for (int r = before - 1; r >= 1; --r)
        if (sameCode(GetField(trud.Header, trud.Data, r, f), code))
            return r;
    return 0;
}

std::string listCode(int entry) { return entry < 0 ? "0" : intToStr(entry + 1); }

} // namespace

std::string orderTemplateName(int kind)
{
    switch (kind) {
    case Hire: return "т-1.RTF";
    case Dismissal: return "т-8.RTF";
    case Transfer:
    case SalaryChange: return "т-5.RTF";
    case Vacation: return "т-6.RTF";
    case BusinessTrip: return "т-9.RTF";
    default: return {};
    }
}

OrderBook readOrderBook(const AppState &state)
{
    OrderBook book;
    // The journal and the order tables as they were at one moment, whatever others commit.
    StorageReading reading(state.storage());
    readDatabaseTable(state, schema::ZhurDokTable, book.ZhurDok);
    readDatabaseTable(state, schema::PriemTable, book.Priem);
    readDatabaseTable(state, schema::UvolTable, book.Uvol);
    readDatabaseTable(state, schema::OtpuskTable, book.Otpusk);
    readDatabaseTable(state, schema::KomandTable, book.Komand);
    return book;
}

std::set<std::string> orderTableKeys(const AppState &state)
{
    std::set<std::string> keys;
    for (std::string_view t : {schema::ZhurDokTable, schema::PriemTable, schema::UvolTable, schema::OtpuskTable,
                               schema::KomandTable})
        keys.insert(pathToQString(state.databaseFile(t).filename()).toLower().toStdString());
    return keys;
}

int poiskmax(const TTableHeader &header, const std::string &data, int field)
{
    int best = 0;
    const int count = WholeRecordCount(header, data);
    for (int r = 1; r <= count; ++r) {
        const std::string text = GetField(header, data, r, field);
        if (text.empty())
            continue;
        best = std::max(best, int(strToInt(text)));
    }
    return best;
}

int largestOrderNumber(const TTableHeader &header, const std::string &data, int field)
{
    int best = 0;
    const int count = WholeRecordCount(header, data);
    for (int r = 1; r <= count; ++r) {
        int32_t number = 0;
        // Numbers such as "12-к" are the clerk's own and take no part in the sequence.
        if (tryStrToInt(GetField(header, data, r, field), number))
            best = std::max(best, int(number));
    }
    return best;
}

int nextOrderId(const LoadedTable &zhurDok)
{
    return 1 + poiskmax(zhurDok.Header, zhurDok.Data, FieldIndex(zhurDok.Header, schema::ID_DOK));
}

std::vector<HrKind> hrOrderKinds(const LoadedTable &tipDok)
{
    std::vector<HrKind> kinds;
    const std::string hr(schema::TipUchHrOrder);
    for (int r = 1; r <= WholeRecordCount(tipDok.Header, tipDok.Data); ++r)
        if (value(tipDok, r, schema::TIP_UCH) == hr)
            kinds.push_back({r, value(tipDok, r, schema::TIP_DOK), value(tipDok, r, schema::NAZ_DOK)});
    return kinds;
}

int suggestedOrderNumber(const LoadedTable &tipDok, const LoadedTable &zhurDok, int position)
{
    // The HR kinds are the first records of TipDok.dbf: the kind at position p is record p + 1.
    const std::string code = value(tipDok, position + 1, schema::TIP_DOK);
    const std::string orders =
        SelectEqual(zhurDok.Header, zhurDok.Data, FieldIndex(zhurDok.Header, schema::TIP_DOK), code);
    return 1 + largestOrderNumber(zhurDok.Header, orders, FieldIndex(zhurDok.Header, schema::NOM_DOK));
}

namespace {

// Days since 1 March of year 0 of the proleptic Gregorian calendar, and back.
int64_t dayNumber(const Date &d)
{
    const int64_t y = d.year - (d.month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (d.month + (d.month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

Date fromDayNumber(int64_t n)
{
    const int64_t era = (n >= 0 ? n : n - 146096) / 146097;
    const int64_t doe = n - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    return Date{int(yoe + era * 400 + (month <= 2 ? 1 : 0)), month, day};
}

bool positiveWhole(const std::string &text, int32_t &value)
{
    return tryStrToInt(text, value) && value > 0;
}

} // namespace

bool vacationEndDate(const std::string &startDate, const std::string &days, std::string &endDate)
{
    Date start;
    int32_t count = 0;
    if (!tryStrToDate(startDate, start) || !positiveWhole(days, count))
        return false;
    // Calendar days: the start is the first of them.
    const Date end = fromDayNumber(dayNumber(start) + count - 1);
    if (end.year > 9999)
        return false;
    endDate = dateToStr(end);
    return true;
}

std::string foldedName(std::string_view cp1251)
{
    // CP1251: А-Я are 0xC0-0xDF and а-я 0xE0-0xFF, Ё 0xA8, ё 0xB8, е 0xE5.
    std::string folded(cp1251);
    for (char &c : folded) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0xA8 || b == 0xB8)
            c = static_cast<char>(0xE5);
        else if (b >= 0xC0 && b <= 0xDF)
            c = static_cast<char>(b + 0x20);
        else if (b >= 'A' && b <= 'Z')
            c = static_cast<char>(b + ('a' - 'A'));
    }
    return folded;
}

std::vector<EmployeeChoice> employeeChoices(const LoadedTable &osnova)
{
    const int name = FieldIndex(osnova.Header, schema::FIO), code = FieldIndex(osnova.Header, schema::KOD),
              dismissed = FieldIndex(osnova.Header, schema::UVOLEN);
    const int count = osnova.Header.RecordCount;
    std::vector<EmployeeChoice> choices;
    std::vector<std::string> keys;
    choices.reserve(size_t(std::max(count, 0)));
    keys.reserve(size_t(std::max(count, 0)));
    for (int r = 1; r <= count; ++r) {
        EmployeeChoice c;
        c.record = r;
        c.code = GetField(osnova.Header, osnova.Data, r, code);
        c.name = GetField(osnova.Header, osnova.Data, r, name);
        c.dismissed = dismissed > 0 && GetField(osnova.Header, osnova.Data, r, dismissed) == "1";
        // Folded bytes compare in the alphabet's order; the leading byte puts the working first.
        keys.push_back((c.dismissed ? '1' : '0') + foldedName(c.name));
        choices.push_back(std::move(c));
    }
    std::vector<size_t> order(choices.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<EmployeeChoice> sorted;
    sorted.reserve(choices.size());
    for (size_t i : order)
        sorted.push_back(std::move(choices[i]));
    return sorted;
}

std::string orderInputProblem(const OrderInput &in)
{
    if (in.kind < 0)
        return "Выберите тип операции.";
    if (in.employeeRecord <= 0)
        return "Выберите сотрудника.";
    if (in.kind == Vacation) {
        int32_t total = 0, extra = 0;
        if (!positiveWhole(in.daysTotal, total))
            return "Укажите, сколько всего дней отпуска.";
        if (!in.daysExtra.empty() && (!tryStrToInt(in.daysExtra, extra) || extra > total))
            return "Дней дополнительного отпуска не может быть больше, чем всего дней отпуска.";
        std::string end;
        if (!vacationEndDate(in.startDate, in.daysTotal, end))
            return "Дата окончания отпуска не определяется по дате начала и числу дней.";
        Date from, to;
        if (tryStrToDate(in.workedFrom, from) && tryStrToDate(in.workedTo, to) && to < from)
            return "Период работы, за который дается отпуск, кончается раньше, чем начинается.";
    }
    return {};
}

int journalRecordOf(const LoadedTable &zhurDok, int orderId)
{
    return firstRecordWhere(zhurDok, schema::ID_DOK, intToStr(orderId));
}

JournalNames journalNames(const AppState &state, const LoadedTable &zhurDok)
{
    // One pass over each lookup table, first record winning, so the journal fills in linear time.
    auto firstByKey = [](const LoadedTable &t, std::string_view keyField, std::string_view nameField) {
        std::unordered_map<std::string, std::string> names;
        const int key = FieldIndex(t.Header, keyField), name = FieldIndex(t.Header, nameField);
        for (int r = 1; r <= WholeRecordCount(t.Header, t.Data); ++r)
            names.emplace(GetField(t.Header, t.Data, r, key), GetField(t.Header, t.Data, r, name));
        return names;
    };
    const auto kinds = firstByKey(state.TipDok, schema::TIP_DOK, schema::NAZ_DOK);
    const auto employees = firstByKey(state.Osnova, schema::KOD, schema::FIO);
    auto lookup = [](const std::unordered_map<std::string, std::string> &names, const std::string &key) {
        const auto it = names.find(key);
        return it == names.end() ? std::string() : it->second;
    };
    JournalNames result;
    const int count = zhurDok.Header.RecordCount;
    result.kinds.reserve(count);
    result.employees.reserve(count);
    for (int r = 1; r <= count; ++r) {
        result.kinds.push_back(lookup(kinds, value(zhurDok, r, schema::TIP_DOK)));
        result.employees.push_back(lookup(employees, value(zhurDok, r, schema::KOD)));
    }
    return result;
}

int referenceRecord(const LoadedTable &table, const std::string &number)
{
    if (number.empty())
        return 0;
    return firstRecordWhere(table, schema::NOM, number);
}

int lastHistoryRecord(const LoadedTable &trud, const std::string &code)
{
    return historyRecordBefore(trud, code, WholeRecordCount(trud.Header, trud.Data) + 1);
}

EmployeeEmployment employmentOf(const AppState &state, int mainRecord)
{
    EmployeeEmployment e;
    if (mainRecord < 1)
        return e;
    e.departmentRecord = referenceRecord(state.Otdel, value(state.Osnova, mainRecord, schema::OTDEL));
    e.positionRecord = referenceRecord(state.Dolzh, value(state.Osnova, mainRecord, schema::DOLZH));
    e.salary = value(state.Osnova, mainRecord, schema::OKLAD);
    const std::string code = value(state.Osnova, mainRecord, schema::KOD);
    const int h = code.empty() ? 0 : lastHistoryRecord(state.Trud, code);
    if (h < 1)
        return e;
    e.hasHistory = true;
    e.mainPlace = value(state.Trud, h, schema::VID_RAB) == "0";
    e.contractNumber = value(state.Trud, h, schema::NOM_DOG);
    e.agreementNumber = value(state.Trud, h, schema::NOM_PRIL);
    e.contractDate = value(state.Trud, h, schema::D_DOG);
    e.agreementDate = value(state.Trud, h, schema::D_PRIL);
    return e;
}

StoredOrder readStoredOrder(const AppState &state, const OrderBook &book, int record)
{
    const LoadedTable &z = book.ZhurDok;
    StoredOrder s;
    s.journalRecord = record;
    s.orderId = strToInt(value(z, record, schema::ID_DOK));
    OrderInput &v = s.values;
    v.number = value(z, record, schema::NOM_DOK);
    v.date = value(z, record, schema::DATA_DOK);
    v.grounds = value(z, record, schema::OSNOVAN);
    v.startDate = value(z, record, schema::D_NACH);
    v.endDate = value(z, record, schema::D_KONC);
    v.hasEndDate = !v.endDate.empty();
    // Dates are checked here, before the form shows any of them.
    for (const std::string *d : {&v.date, &v.startDate, &v.endDate})
        if (!d->empty())
            strToDate(*d);

    const std::string kindCode = value(z, record, schema::TIP_DOK);
    const std::vector<HrKind> kinds = hrOrderKinds(state.TipDok);
    for (size_t i = 0; i < kinds.size(); ++i)
        if (sameCode(kinds[i].code, kindCode)) {
            v.kind = int(i);
            v.kindName = kinds[i].name;
            break;
        }

    v.employeeCode = value(z, record, schema::KOD);
    int32_t code = 0;
    if (tryStrToInt(v.employeeCode, code))
        v.employeeRecord = nomerstrokipokodu(state.Osnova.Header, state.Osnova.Data, code);

    const std::string id = intToStr(s.orderId);
    auto details = [&](const LoadedTable &t) {
        const int r = firstRecordWhere(t, schema::ID_DOK, id);
        s.hasDetails = r > 0;
        v.comment = value(t, r, schema::KOMENT);
        return r;
    };
    if (usesPriem(v.kind)) {
        const int r = details(book.Priem);
        s.departmentRecord = referenceRecord(state.Otdel, value(book.Priem, r, schema::OTDEL));
        s.positionRecord = referenceRecord(state.Dolzh, value(book.Priem, r, schema::DOLZH));
        v.salary = value(book.Priem, r, schema::OKLAD);
        const EmployeeEmployment e = employmentOf(state, v.employeeRecord);
        s.hasHistory = e.hasHistory;
        v.mainPlace = e.mainPlace;
        v.contractNumber = e.contractNumber;
        v.agreementNumber = e.agreementNumber;
        v.contractDate = e.contractDate;
        v.agreementDate = e.agreementDate;
    } else if (v.kind == Dismissal) {
        const int r = details(book.Uvol);
        const std::string k = value(book.Uvol, r, schema::KOM_UDR);
        v.compensation = k == "1" ? 1 : k == "2" ? 2 : 0;
        v.compensationDays = value(book.Uvol, r, schema::DN_KOM);
        v.severanceDays = value(book.Uvol, r, schema::DN_POS);
    } else if (v.kind == Vacation) {
        const int r = details(book.Otpusk);
        auto entry = [&](std::string_view field) {
            int32_t n = 0;
            return tryStrToInt(value(book.Otpusk, r, field), n) ? n - 1 : -1;
        };
        v.vacationKind = entry(schema::VID_OTP);
        v.mainCounting = entry(schema::OSN_RAS);
        v.extraCounting = entry(schema::DOP_RAS);
        v.daysTotal = value(book.Otpusk, r, schema::OTP_OSN);
        v.daysExtra = value(book.Otpusk, r, schema::OTP_DOP);
        v.workedFrom = value(book.Otpusk, r, schema::RAB_OT);
        v.workedTo = value(book.Otpusk, r, schema::RAB_DO);
    } else if (v.kind == BusinessTrip) {
        const int r = details(book.Komand);
        v.destination = value(book.Komand, r, schema::KUDA);
        v.organisation = value(book.Komand, r, schema::ORGAN);
        v.purpose = value(book.Komand, r, schema::TSEL);
    }
    for (const std::string *d : {&v.contractDate, &v.agreementDate, &v.workedFrom, &v.workedTo})
        if (!d->empty())
            strToDate(*d);
    return s;
}

int orderEmployeeRecord(const AppState &state, const OrderInput &input)
{
    if (input.employeeRecord < 1)
        return 0;
    const LoadedTable &o = state.Osnova;
    if (input.employeeRecord <= o.Header.RecordCount
        && value(o, input.employeeRecord, schema::KOD) == input.employeeCode)
        return input.employeeRecord;
    // Another window deleted or re-read employees since the list was filled.
    if (!input.employeeCode.empty())
        if (const int r = firstRecordWhere(o, schema::KOD, input.employeeCode))
            return r;
    throw VeltorError("Выбранного сотрудника больше нет в базе: выберите сотрудника заново");
}

namespace {

std::string orderDescription(const OrderInput &in)
{
    std::string text = "приказ";
    if (!in.number.empty())
        text += " № " + cp1251ToUtf8(in.number);
    if (!in.date.empty())
        text += " от " + cp1251ToUtf8(in.date);
    if (!in.kindName.empty())
        text += " (" + cp1251ToUtf8(in.kindName) + ")";
    return text;
}

// The main record of an employee whose latest history record was taken from him: it shows his
// employment as his latest remaining record has it. Without one, only the dismissal flag an
// order of this kind set is taken back.
void restoreMainRecord(Target &osnova, const Target &trud, const std::string &code, int kind)
{
    const int main = firstRecordWhere(osnova.table, schema::KOD, code);
    if (!main)
        return;
    const int last = lastHistoryRecord(trud.table, code);
    if (last) {
        for (std::string_view f : {schema::OTDEL, schema::DOLZH, schema::OKLAD})
            osnova.set(main, f, trud.get(last, f));
    }
    if (kind == Dismissal || kind == Hire)
        osnova.set(main, schema::UVOLEN, last && !trud.get(last, schema::D_UVOL).empty() ? "1" : "0");
}

} // namespace

void sohraneniedokumenta(AppState &state, OrderBook &book, const OrderInput &in, int orderId, const OrderCommit &how)
{
    const std::string id = intToStr(orderId);
    const int employee = orderEmployeeRecord(state, in);
    std::string code = employee > 0 ? value(state.Osnova, employee, schema::KOD) : std::string();
    // A stored order of an employee deleted since keeps naming him.
    if (code.empty())
        if (const int stored = firstRecordWhere(book.ZhurDok, schema::ID_DOK, id))
            code = value(book.ZhurDok, stored, schema::KOD);

    // All seven tables are committed together, whatever the kind: a failure anywhere, in the
    // computation below or in the writing, takes every change back.
    SaveSet save(state, orderDescription(in));
    save.add(book.ZhurDok, state.databaseFile(schema::ZhurDokTable))
        .add(book.Priem, state.databaseFile(schema::PriemTable))
        .add(book.Uvol, state.databaseFile(schema::UvolTable))
        .add(book.Otpusk, state.databaseFile(schema::OtpuskTable))
        .add(book.Komand, state.databaseFile(schema::KomandTable))
        .add(state.Trud)
        .add(state.Osnova)
        .by(how.origin);
    if (how.basis)
        save.basedOn(*how.basis, "После открытия приказа");
    try {
        storeOrder(state, book, in, id, employee, code);
    } catch (...) {
        save.abandon();
        throw;
    }
    save.commit();
}

void storeOrder(AppState &state, OrderBook &book, const OrderInput &in, const std::string &id, int employee,
                const std::string &code)
{
    Target zhur{book.ZhurDok, "zhurdok.dbf"}, priem{book.Priem, "priem.dbf"}, uvol{book.Uvol, "uvol.dbf"},
        otpusk{book.Otpusk, "otpusk.dbf"}, komand{book.Komand, "komand.dbf"}, trud{state.Trud, "trud.dbf"},
        osnova{state.Osnova, "osnova.dbf"};

    // The kind's code: the TipDok.dbf record named exactly as the chosen kind, else the first
    // whose name contains it.
    std::string kindCode;
    if (in.kind >= 0) {
        const LoadedTable &t = state.TipDok;
        int found = 0;
        for (int r = 1; r <= WholeRecordCount(t.Header, t.Data) && !found; ++r)
            if (value(t, r, schema::NAZ_DOK) == in.kindName)
                found = r;
        for (int r = 1; r <= WholeRecordCount(t.Header, t.Data) && !found; ++r)
            if (value(t, r, schema::NAZ_DOK).find(in.kindName) != std::string::npos)
                found = r;
        kindCode = value(t, found, schema::TIP_DOK);
    }

    const int j = zhur.findOrAppend(id);
    zhur.set(j, schema::ID_DOK, id);
    zhur.set(j, schema::TIP_DOK, kindCode);
    zhur.set(j, schema::NOM_DOK, in.number);
    zhur.set(j, schema::DATA_DOK, in.date);
    zhur.set(j, schema::KOD, code);
    zhur.set(j, schema::OSNOVAN, in.grounds);
    zhur.set(j, schema::D_NACH, in.startDate);
    zhur.set(j, schema::D_KONC, in.hasEndDate ? in.endDate : std::string());

    const std::string workKind = in.mainPlace ? "0" : "1";
    if (usesPriem(in.kind)) {
        const int p = priem.findOrAppend(id);
        priem.set(p, schema::ID_DOK, id);
        priem.set(p, schema::KOD, code);
        priem.set(p, schema::OTDEL, in.department);
        priem.set(p, schema::DOLZH, in.position);
        priem.set(p, schema::VID_RAB, workKind);
        priem.set(p, schema::OKLAD, in.salary);
        priem.set(p, schema::GRAFIK, "0");
        priem.set(p, schema::HARAKT, "0");
        priem.set(p, schema::REZHIM, "0");
        priem.set(p, schema::KOMENT, in.comment);
    } else if (in.kind == Dismissal) {
        const int u = uvol.findOrAppend(id);
        uvol.set(u, schema::ID_DOK, id);
        uvol.set(u, schema::KOD, code);
        uvol.set(u, schema::KOM_UDR, intToStr(in.compensation));
        uvol.set(u, schema::DN_KOM, in.compensationDays);
        uvol.set(u, schema::DN_POS, in.severanceDays);
        uvol.set(u, schema::KOMENT, in.comment);
    } else if (in.kind == Vacation) {
        const int o = otpusk.findOrAppend(id);
        otpusk.set(o, schema::ID_DOK, id);
        otpusk.set(o, schema::KOD, code);
        otpusk.set(o, schema::VID_OTP, listCode(in.vacationKind));
        otpusk.set(o, schema::OTP_OSN, in.daysTotal);
        otpusk.set(o, schema::OTP_DOP, in.daysExtra);
        otpusk.set(o, schema::OSN_RAS, listCode(in.mainCounting));
        otpusk.set(o, schema::DOP_RAS, listCode(in.extraCounting));
        otpusk.set(o, schema::RAB_OT, in.workedFrom);
        otpusk.set(o, schema::RAB_DO, in.workedTo);
        otpusk.set(o, schema::KOMENT, in.comment);
    } else if (in.kind == BusinessTrip) {
        const int k = komand.findOrAppend(id);
        komand.set(k, schema::ID_DOK, id);
        komand.set(k, schema::KOD, code);
        komand.set(k, schema::KUDA, in.destination);
        komand.set(k, schema::ORGAN, in.organisation);
        komand.set(k, schema::TSEL, in.purpose);
        komand.set(k, schema::KOMENT, in.comment);
    }

    if (changesEmployment(in.kind)) {
        // h: this order's history record; prev: the employee's record before it (h itself when
        // the order was saved before, so that saving again changes nothing of its place).
        int h = firstRecordWhere(trud.table, schema::ID_DOK, id);
        int prev = h;
        if (h && !sameCode(trud.get(h, schema::KOD), code)) {
            // The order was given another employee: its history record changes hands where it
            // lies, numbered after the new employee's record before it.
            const std::string former = trud.get(h, schema::KOD);
            const bool wasLatest = lastHistoryRecord(trud.table, former) == h;
            prev = historyRecordBefore(trud.table, code, h);
            trud.set(h, schema::KOD, code);
            trud.set(h, schema::N_IZM, prev ? intToStr(int64_t(strToInt(trud.get(prev, schema::N_IZM))) + 1) : "1");
            if (wasLatest)
                restoreMainRecord(osnova, trud, former, in.kind);
        }
        if (!h) {
            trud.field(schema::ID_DOK);
            prev = lastHistoryRecord(trud.table, code);
            h = AppendBlankRecord(trud.table);
            trud.set(h, schema::KOD, code);
            trud.set(h, schema::D_IZM, in.date);
            trud.set(h, schema::N_IZM, prev ? intToStr(int64_t(strToInt(trud.get(prev, schema::N_IZM))) + 1) : "1");
        }
        // An older order saved again leaves the employee's present employment as it is.
        const bool latest = lastHistoryRecord(trud.table, code) == h;
        auto previous = [&](std::string_view field) { return prev ? trud.get(prev, field) : std::string(); };
        if (in.kind == Dismissal) {
            for (std::string_view f : {schema::OTDEL, schema::DOLZH, schema::OKLAD, schema::D_DOG, schema::NOM_DOG,
                                       schema::D_PRIL, schema::NOM_PRIL, schema::VID_RAB, schema::D_POST})
                trud.set(h, f, previous(f));
            trud.set(h, schema::ID_DOK, id);
            trud.set(h, schema::D_UVOL, in.startDate);
            trud.set(h, schema::PR_UVOL, in.comment);
            if (employee && latest)
                osnova.set(employee, schema::UVOLEN, "1");
        } else {
            trud.set(h, schema::OTDEL, in.department);
            trud.set(h, schema::DOLZH, in.position);
            trud.set(h, schema::OKLAD, in.salary);
            trud.set(h, schema::D_DOG, in.contractDate);
            trud.set(h, schema::NOM_DOG, in.contractNumber);
            trud.set(h, schema::D_PRIL, in.agreementDate);
            trud.set(h, schema::NOM_PRIL, in.agreementNumber);
            trud.set(h, schema::VID_RAB, workKind);
            trud.set(h, schema::D_POST, in.kind == Hire ? in.startDate : previous(schema::D_POST));
            trud.set(h, schema::ID_DOK, id);
            if (employee && latest) {
                osnova.set(employee, schema::OTDEL, in.department);
                osnova.set(employee, schema::DOLZH, in.position);
                osnova.set(employee, schema::OKLAD, in.salary);
                // A dismissed employee hired again works here again.
                if (in.kind == Hire && osnova.get(employee, schema::UVOLEN) == "1")
                    osnova.set(employee, schema::UVOLEN, "0");
            }
        }
    }
}

} // namespace veltor
