#include "DemoDatabase.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "DemoContent.h"
#include "DemoFiles.h"
#include "HelpDocument.h"
#include "Pictures.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"
#include "text/OrfoUnit.h"

namespace veltor::demo {
namespace {

namespace fs = std::filesystem;
namespace sc = veltor::schema;

// splitmix64: a fixed sequence for a given start on every platform (the distributions of
// <random> are not specified bit for bit).
class Random {
public:
    explicit Random(uint64_t start) : m_state(start) {}

    uint64_t next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // 0 .. bound - 1.
    int below(int bound) { return static_cast<int>(next() % static_cast<uint64_t>(bound)); }

    std::string digits(int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i)
            text.push_back(static_cast<char>('0' + below(10)));
        return text;
    }

    template <typename T, size_t N> const T &pick(const T (&items)[N])
    {
        return items[static_cast<size_t>(below(static_cast<int>(N)))];
    }

private:
    uint64_t m_state;
};

constexpr uint64_t FixedStart = 20251201;

Random randomFor(int kod, uint64_t purpose)
{
    return Random(FixedStart ^ (static_cast<uint64_t>(kod) << 32) ^ (purpose * 0x100000001B3ULL));
}

Date addDays(Date date, int days)
{
    using namespace std::chrono;
    const sys_days moved =
        sys_days(year_month_day(year(date.year), month(static_cast<unsigned>(date.month)),
                                day(static_cast<unsigned>(date.day)))) +
        std::chrono::days(days);
    const year_month_day result(moved);
    return Date{static_cast<int>(result.year()),
                static_cast<int>(static_cast<unsigned>(result.month())),
                static_cast<int>(static_cast<unsigned>(result.day()))};
}

// The same day `years` later; 29 February becomes 1 March in a common year.
Date addYears(Date date, int years)
{
    Date moved{date.year + years, date.month, date.day};
    if (!isValidDate(moved))
        moved = Date{moved.year, 3, 1};
    return moved;
}

int fullYearsBetween(Date from, Date to)
{
    int years = to.year - from.year;
    if (std::pair(to.month, to.day) < std::pair(from.month, from.day))
        --years;
    return years;
}

std::string dateText(Date date)
{
    return date == NoDate ? std::string() : dateToStr(date);
}

std::string number(int value)
{
    return std::to_string(value);
}

std::string twoDigits(int value)
{
    return std::string{static_cast<char>('0' + value / 10 % 10),
                       static_cast<char>('0' + value % 10)};
}

// A table file created empty by the schema, filled record by record and written back. Values
// are given in UTF-8; a value longer than its field is a fault of the content, not something to
// cut silently.
class TableWriter {
public:
    explicit TableWriter(fs::path file) : m_file(std::move(file))
    {
        ReadTable(m_file, m_table);
    }

    int append()
    {
        AppendBlankRecord(m_table.Header, m_table.Data);
        return m_table.Header.RecordCount;
    }

    void set(int record, std::string_view field, std::string_view utf8)
    {
        const int index = FieldIndex(m_table.Header, field);
        if (index < 1)
            throw std::logic_error("mkdemo: no field " + std::string(field) + " in " +
                                   pathToUtf8(m_file));
        const std::string value = cp(utf8);
        if (value.size() > m_table.Header.FieldLengths[index]) {
            throw std::logic_error("mkdemo: value \"" + std::string(utf8) +
                                   "\" is longer than field " + std::string(field) + " of " +
                                   pathToUtf8(m_file));
        }
        SetField(m_table.Header, record, index, m_table.Data, value);
    }

    void addField(std::string_view name, int length)
    {
        AddField(m_table.Header, m_table.Data, name, length, 'C');
    }

    void write() { WriteTable(m_file, m_table); }

private:
    fs::path m_file;
    LoadedTable m_table;
};

// --- Numbers with check digits, as the real documents carry them ---------------------------

std::string personalTaxNumber(Random &random)
{
    std::string inn = "4708" + random.digits(6);
    constexpr int Weights11[] = {7, 2, 4, 10, 3, 5, 9, 4, 6, 8};
    constexpr int Weights12[] = {3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8};
    int sum = 0;
    for (size_t i = 0; i < 10; ++i)
        sum += (inn[i] - '0') * Weights11[i];
    inn.push_back(static_cast<char>('0' + sum % 11 % 10));
    sum = 0;
    for (size_t i = 0; i < 11; ++i)
        sum += (inn[i] - '0') * Weights12[i];
    inn.push_back(static_cast<char>('0' + sum % 11 % 10));
    return inn;
}

std::string insuranceNumber(Random &random)
{
    const std::string digits = number(1 + random.below(9)) + random.digits(8);
    int sum = 0;
    for (size_t i = 0; i < 9; ++i)
        sum += (digits[i] - '0') * static_cast<int>(9 - i);
    int check = sum < 100 ? sum : sum % 101;
    if (check == 100)
        check = 0;
    return digits.substr(0, 3) + "-" + digits.substr(3, 3) + "-" + digits.substr(6, 3) + " " +
           twoDigits(check);
}

// --- Personal data made at random ----------------------------------------------------------

constexpr std::string_view KirishiStreets[] = {
    "ул. Мира",    "пр. Ленина",       "ул. Комсомольская", "ул. Романтиков", "ул. Строителей",
    "бул. Героев", "ул. Нефтехимиков", "пр. Победы",        "ул. Пионерская", "ул. Советская",
};

constexpr std::string_view OtherSettlements[] = {
    "187120, Ленинградская обл., Киришский р-н, г.п. Будогощь, ул. Школьная",
    "187131, Ленинградская обл., Киришский р-н, пос. Пчевжа, ул. Речная",
    "187403, Ленинградская обл., г. Волхов, ул. Авиационная",
    "187556, Ленинградская обл., г. Тихвин, ул. Карла Маркса",
};

constexpr std::string_view Birthplaces[] = {
    "г. Кириши Ленинградской обл.",
    "г. Кириши Ленинградской обл.",
    "г. Ленинград",
    "г. Волхов Ленинградской обл.",
    "г. Тихвин Ленинградской обл.",
    "г. Вологда",
    "пос. Будогощь Киришского р-на Ленинградской обл.",
    "г. Петрозаводск",
    "г. Череповец Вологодской обл.",
};

constexpr std::string_view MobileCodes[] = {"921", "911", "981", "931", "952"};

constexpr std::string_view MenClothes[] = {"48/176", "50/176", "50/182",
                                           "52/182", "54/182", "56/188"};
constexpr std::string_view WomenClothes[] = {"42/164", "44/164", "46/170", "48/170", "50/164"};

// Drivers hold categories B and C, as the position requires.
constexpr int DriverPosition = 14;

std::string address(Random &random)
{
    if (random.below(5) != 0) {
        return "187110, Ленинградская обл., г. Кириши, " +
               std::string(random.pick(KirishiStreets)) + ", д. " + number(1 + random.below(40)) +
               ", кв. " + number(1 + random.below(120));
    }
    return std::string(random.pick(OtherSettlements)) + ", д. " + number(1 + random.below(30));
}

std::string telephone(Random &random)
{
    const std::string digits = random.digits(7);
    return "+7 (" + std::string(random.pick(MobileCodes)) + ") " + digits.substr(0, 3) + "-" +
           digits.substr(3, 2) + "-" + digits.substr(5, 2);
}

std::string birthplace(Random &random, Date birth)
{
    std::string place(random.pick(Birthplaces));
    if (place == "г. Ленинград" && birth.year > 1991)
        place = "г. Санкт-Петербург";
    return place;
}

// A passport is issued at 20 and replaced at 45.
struct Passport {
    std::string number;
    Date issued;
    std::string issuer;
};

Passport passport(Random &random, Date birth)
{
    const int age = fullYearsBetween(birth, AsOf);
    Passport result;
    result.issued = addDays(addYears(birth, age >= 45 ? 45 : 20), 3 + random.below(40));
    result.number = "41 " + twoDigits(result.issued.year % 100) + " " + random.digits(6);
    if (result.issued.year < 2018) {
        result.issuer =
            "ТП № 109 отдела УФМС России по Санкт-Петербургу и Ленинградской обл. в Киришском р-не";
    } else {
        result.issuer = "ГУ МВД России по г. Санкт-Петербургу и Ленинградской области";
    }
    return result;
}

// Length of service before joining: total and continuous, in years, months and days.
std::array<int, 6> serviceBeforeJoining(Random &random, Date birth, Date joined)
{
    const int possibleYears = std::max(0, fullYearsBetween(birth, joined) - 18);
    std::array<int, 6> service{};
    if (possibleYears == 0 && random.below(2) == 0)
        return service;
    service[0] = random.below(possibleYears + 1);
    service[1] = random.below(12);
    service[2] = random.below(30);
    if (random.below(2) == 0) {
        service[3] = service[0];
        service[4] = service[1];
        service[5] = service[2];
    } else {
        service[3] = random.below(service[0] + 1);
        service[4] = service[3] < service[0] ? random.below(12) : random.below(service[1] + 1);
        service[5] = random.below(30);
        if (service[3] == service[0] && service[4] == service[1])
            service[5] = std::min(service[5], service[2]);
    }
    return service;
}

// Everything about one employee that is made at random, made once so that the family table
// can give the employee's own address to the spouse and children.
struct PersonalData {
    std::string taxNumber;
    std::string insurance;
    Passport passport;
    std::string birthplace;
    std::string address;
    std::string telephone;
    std::array<int, 6> service{};
    std::string clothes;
    std::string pass;
    std::string licence;
};

PersonalData personalData(const Employee &employee, Date joined, int position)
{
    Random random = randomFor(employee.kod, 1);
    PersonalData data;
    data.taxNumber = personalTaxNumber(random);
    data.insurance = insuranceNumber(random);
    data.passport = passport(random, employee.birth);
    data.birthplace = birthplace(random, employee.birth);
    data.address = address(random);
    data.telephone = telephone(random);
    data.service = serviceBeforeJoining(random, employee.birth, joined);
    data.clothes = employee.sex == 'm' ? random.pick(MenClothes) : random.pick(WomenClothes);
    data.pass = "П-" + number(2000 + employee.kod * 17 + random.below(10));
    if (position == DriverPosition)
        data.licence = random.below(2) == 0 ? "B, C" : "B, C, CE";
    else if (random.below(2) == 0)
        data.licence = "B";
    return data;
}

// --- Employment history and orders -----------------------------------------------------------

struct HistoryRecord {
    int kod = 0;
    int change = 0; // N_IZM
    Date changed;   // D_IZM
    Date joined;    // D_POST
    Job job;
    WorkKind work = WorkKind::Main;
    Date contractDate;
    std::string contractNumber;
    Date annexDate;
    int annexNumber = 0;
    Date dismissed = NoDate;
    std::string reason;
    int order = 0; // ID_DOK, 0 for changes made on the card
};

struct OrderRecord {
    const Order *order = nullptr;
    int id = 0;
    int number = 0; // within its kind
    std::string grounds;
    Job job; // hire, transfer, change of salary: the job after the order
    WorkKind work = WorkKind::Main;
};

Job merged(const Job &previous, const Job &change)
{
    return Job{change.position != 0 ? change.position : previous.position,
               change.department != 0 ? change.department : previous.department,
               change.salary != 0 ? change.salary : previous.salary};
}

std::string contractNumberOf(int kod)
{
    std::string digits = number(kod);
    digits.insert(0, 3 - std::min<size_t>(3, digits.size()), '0');
    return "ТД-" + digits;
}

struct History {
    std::vector<HistoryRecord> records; // in file order
    std::vector<OrderRecord> orders;    // in journal order
};

History buildHistory()
{
    History history;
    std::array<int, 6> numbersPerKind{};
    Date previousDate = NoDate;
    for (const Order &order : orders()) {
        if (order.date < previousDate)
            throw std::logic_error("mkdemo: orders must be listed in the order of their dates");
        previousDate = order.date;
        OrderRecord record;
        record.order = &order;
        record.id = static_cast<int>(history.orders.size()) + 1;
        record.number = ++numbersPerKind[static_cast<size_t>(order.kind)];
        record.grounds = std::string(order.grounds);
        history.orders.push_back(std::move(record));
    }

    for (const Employee &employee : employees()) {
        // The employee's events in the order they happened; on one day, in the order listed.
        struct Event {
            Date date;
            const CardChange *change = nullptr;
            OrderRecord *order = nullptr;
            bool hire = false;
            bool dismissal = false;
        };
        std::vector<Event> events;
        if (!employee.hiredByOrder)
            events.push_back({.date = employee.hired, .hire = true});
        for (const CardChange &change : cardChanges()) {
            if (change.kod == employee.kod)
                events.push_back({.date = change.date, .change = &change});
        }
        for (OrderRecord &order : history.orders) {
            if (order.order->kod == employee.kod)
                events.push_back({.date = order.order->date, .order = &order});
        }
        if (employee.dismissed != NoDate)
            events.push_back({.date = employee.dismissed, .dismissal = true});
        std::stable_sort(events.begin(), events.end(),
                         [](const Event &a, const Event &b) { return a.date < b.date; });

        std::vector<HistoryRecord> own;
        const auto appendRecord = [&](HistoryRecord record) {
            record.kod = employee.kod;
            record.change = static_cast<int>(own.size()) + 1;
            own.push_back(std::move(record));
        };
        for (const Event &event : events) {
            if (!own.empty() && own.back().dismissed != NoDate)
                throw std::logic_error("mkdemo: event after the dismissal of " +
                                       number(employee.kod));
            if (event.hire) {
                HistoryRecord first;
                first.changed = first.joined = first.contractDate = first.annexDate =
                    employee.hired;
                first.job = employee.job;
                first.work = employee.work;
                first.contractNumber = contractNumberOf(employee.kod);
                first.annexNumber = 1;
                first.reason = RestoredReason;
                appendRecord(std::move(first));
            } else if (event.change != nullptr) {
                HistoryRecord next = own.at(own.size() - 1);
                next.changed = next.annexDate = event.date;
                next.job = merged(next.job, event.change->job);
                ++next.annexNumber;
                next.order = 0;
                next.reason = RestoredReason;
                appendRecord(std::move(next));
            } else if (event.dismissal) {
                HistoryRecord last = own.at(own.size() - 1);
                last.changed = last.dismissed = event.date;
                last.reason = std::string(employee.dismissalReason);
                last.order = 0;
                appendRecord(std::move(last));
            } else {
                OrderRecord &order = *event.order;
                const Order &planned = *order.order;
                switch (planned.kind) {
                case OrderKind::Hire: {
                    if (!employee.hiredByOrder || !own.empty())
                        throw std::logic_error("mkdemo: hire order for a hired employee " +
                                               number(employee.kod));
                    // The clerk first enters the new employee on the card, then makes the order,
                    // which takes the contract data from the card's record.
                    HistoryRecord card;
                    card.changed = card.contractDate = card.annexDate = planned.date;
                    card.joined = planned.start;
                    card.job = employee.job;
                    card.work = employee.work;
                    card.contractNumber = contractNumberOf(employee.kod);
                    card.annexNumber = 1;
                    card.reason = RestoredReason;
                    appendRecord(card);
                    HistoryRecord hire = card;
                    hire.reason.clear();
                    hire.order = order.id;
                    appendRecord(std::move(hire));
                    order.job = employee.job;
                    order.work = employee.work;
                    break;
                }
                case OrderKind::Transfer:
                case OrderKind::SalaryChange: {
                    HistoryRecord next = own.at(own.size() - 1);
                    next.changed = next.annexDate = planned.date;
                    next.job = merged(next.job, planned.job);
                    ++next.annexNumber;
                    next.reason.clear();
                    next.order = order.id;
                    if (order.grounds.empty()) {
                        order.grounds = "Дополнительное соглашение от " + dateToStr(planned.date) +
                                        " № " + number(next.annexNumber) +
                                        " к трудовому договору № " + next.contractNumber;
                    }
                    order.job = next.job;
                    order.work = next.work;
                    appendRecord(std::move(next));
                    break;
                }
                case OrderKind::Dismissal: {
                    HistoryRecord last = own.at(own.size() - 1);
                    last.changed = planned.date;
                    last.dismissed = planned.start;
                    last.reason = std::string(planned.comment);
                    last.order = order.id;
                    appendRecord(std::move(last));
                    break;
                }
                case OrderKind::Vacation:
                case OrderKind::BusinessTrip: break;
                }
            }
        }
        if (own.empty())
            throw std::logic_error("mkdemo: no history for " + number(employee.kod));
        history.records.insert(history.records.end(), own.begin(), own.end());
    }

    // Records are appended as changes happen: the file holds them by date of the change.
    std::stable_sort(history.records.begin(), history.records.end(),
                     [](const HistoryRecord &a, const HistoryRecord &b) {
                         return std::tuple(a.changed, a.kod, a.change) <
                                std::tuple(b.changed, b.kod, b.change);
                     });
    return history;
}

const HistoryRecord &currentRecord(const History &history, int kod)
{
    const HistoryRecord *current = nullptr;
    for (const HistoryRecord &record : history.records) {
        if (record.kod == kod)
            current = &record;
    }
    if (current == nullptr)
        throw std::logic_error("mkdemo: no history for " + number(kod));
    return *current;
}

std::string photoPath(int kod)
{
    return std::string(RootPlaceholder) + "/database/foto/" + number(kod) + ".jpg";
}

bool hasPhoto(int kod)
{
    return std::any_of(photos().begin(), photos().end(),
                       [&](const Photo &photo) { return photo.kod == kod; });
}

bool onMilitaryRegister(int kod)
{
    return std::any_of(military().begin(), military().end(),
                       [&](const MilitaryRecord &record) { return record.kod == kod; });
}

// --- Tables ----------------------------------------------------------------------------------

fs::path tableFile(const fs::path &folder, std::string_view name)
{
    return resolveFileName(folder, name);
}

void writeReferenceLists(const fs::path &database)
{
    TableWriter otdel(tableFile(database, sc::OtdelTable));
    for (const Department &department : departments()) {
        const int r = otdel.append();
        otdel.set(r, sc::NOM, number(department.nom));
        otdel.set(r, sc::OTDEL, department.name);
    }
    otdel.write();

    TableWriter dolzh(tableFile(database, sc::DolzhTable));
    for (const Position &position : positions()) {
        const int r = dolzh.append();
        dolzh.set(r, sc::NOM, number(position.nom));
        dolzh.set(r, sc::DOLZH, position.name);
        dolzh.set(r, sc::DOLZH_KOGO, position.genitive);
        dolzh.set(r, sc::DOLZH_KOMU, position.dative);
    }
    dolzh.write();

    TableWriter tipDok(tableFile(database, sc::TipDokTable));
    int code = 0;
    for (const KindOfDocument &kind : kindsOfDocuments()) {
        const int r = tipDok.append();
        tipDok.set(r, sc::TIP_DOK, number(++code));
        tipDok.set(r, sc::NAZ_DOK, kind.name);
        tipDok.set(r, sc::TIP_UCH, kind.category);
    }
    tipDok.write();
}

using PersonalDataByCode = std::map<int, PersonalData>;

PersonalDataByCode personalDataOfAll(const History &history)
{
    PersonalDataByCode all;
    for (const Employee &employee : employees()) {
        const HistoryRecord &current = currentRecord(history, employee.kod);
        all.emplace(employee.kod, personalData(employee, current.joined, current.job.position));
    }
    return all;
}

void writeEmployees(const fs::path &database, const History &history,
                    const PersonalDataByCode &personal)
{
    TableWriter osnova(tableFile(database, sc::OsnovaTable));
    TableWriter passportTable(tableFile(database, sc::PassportTable));
    TableWriter dopoln(tableFile(database, sc::DopolnTable));
    for (size_t k = 1; k <= extraParameters().size(); ++k)
        dopoln.addField(sc::dopolnFieldName(static_cast<int>(k)), sc::DopolnFieldLength);

    for (const Employee &employee : employees()) {
        const HistoryRecord &current = currentRecord(history, employee.kod);
        const PersonalData &data = personal.at(employee.kod);

        const int r = osnova.append();
        osnova.set(r, sc::KOD, number(employee.kod));
        osnova.set(r, sc::NOM, number(100 + employee.kod));
        osnova.set(r, sc::FIO, employee.fio);
        osnova.set(r, sc::SOKR_FIO, cp1251ToUtf8(InitialsFirst(cp(employee.fio))));
        // InitialsLast gives "Surname I.O."; the heading needs the surname in the genitive.
        const std::string initialsLast = cp1251ToUtf8(InitialsLast(cp(employee.fio)));
        const size_t surnameLength = employee.fio.find(' ');
        osnova.set(r, sc::FIO_KOGO,
                   std::string(employee.surnameGenitive) + initialsLast.substr(surnameLength));
        osnova.set(r, sc::DOLZH, number(current.job.position));
        osnova.set(r, sc::OTDEL, number(current.job.department));
        osnova.set(r, sc::OKLAD, number(current.job.salary));
        osnova.set(r, sc::UVOLEN, current.dismissed != NoDate ? "1" : "0");
        osnova.set(r, sc::INN, data.taxNumber);
        osnova.set(r, sc::STRAH_SVID, data.insurance);
        osnova.set(r, sc::POL, std::string(1, employee.sex));
        osnova.set(r, sc::OBRAZ, number(employee.education));
        osnova.set(r, sc::IN_JAZ, employee.language);
        osnova.set(r, sc::UROVEN, employee.languageLevel);
        osnova.set(r, sc::VOIN, onMilitaryRegister(employee.kod) ? "1" : "0");
        constexpr std::string_view ServiceFields[] = {sc::ST_OB_LET, sc::ST_OB_MES, sc::ST_OB_DN,
                                                      sc::ST_NP_LET, sc::ST_NP_MES, sc::ST_NP_DN};
        for (size_t i = 0; i < data.service.size(); ++i)
            osnova.set(r, ServiceFields[i], number(data.service[i]));
        osnova.set(r, sc::FOTO, hasPhoto(employee.kod) ? photoPath(employee.kod) : std::string());

        const int p = passportTable.append();
        passportTable.set(p, sc::KOD, number(employee.kod));
        passportTable.set(p, sc::PASSPORT, data.passport.number);
        passportTable.set(p, sc::PASS_DATA, dateToStr(data.passport.issued));
        passportTable.set(p, sc::PASS_KEM, data.passport.issuer);
        passportTable.set(p, sc::DATA_ROZHD, dateToStr(employee.birth));
        passportTable.set(p, sc::MESTO_ROZH, data.birthplace);
        passportTable.set(p, sc::GRAZHD, "Российская Федерация");
        passportTable.set(p, sc::ADRESS, data.address);
        passportTable.set(p, sc::TELEFON, data.telephone);

        const int x = dopoln.append();
        dopoln.set(x, sc::KOD, number(employee.kod));
        dopoln.set(x, sc::dopolnFieldName(1), data.clothes);
        dopoln.set(x, sc::dopolnFieldName(2), data.pass);
        dopoln.set(x, sc::dopolnFieldName(3), data.licence);
    }
    osnova.write();
    passportTable.write();
    dopoln.write();
}

void writeFamilyEducationMilitary(const fs::path &database, const PersonalDataByCode &personal)
{
    TableWriter semja(tableFile(database, sc::SemjaTable));
    for (const FamilyMember &member : family()) {
        const std::string &home = personal.at(member.kod).address;
        const int r = semja.append();
        semja.set(r, sc::KOD, number(member.kod));
        semja.set(r, sc::S_TIP, std::string(1, member.type));
        semja.set(r, sc::S_TIP_N, member.who);
        semja.set(r, sc::S_FIO, member.fio);
        // A year alone is stored after six blanks, where a full date would have its day and month.
        semja.set(r, sc::S_ROZHD,
                  member.born.size() == 4 ? "      " + std::string(member.born)
                                          : std::string(member.born));
        if (member.type == 's' || member.type == 'd') {
            semja.set(r, sc::S_ADRES, home);
        } else {
            Random elsewhere = randomFor(member.kod * 100 + r, 2);
            semja.set(r, sc::S_ADRES, address(elsewhere));
        }
    }
    semja.write();

    TableWriter obraz(tableFile(database, sc::ObrazTable));
    for (const Education &entry : education()) {
        const Institution &institution = institutions()[static_cast<size_t>(entry.institution)];
        Random random = randomFor(entry.kod * 100 + entry.institution, 3);
        const int r = obraz.append();
        obraz.set(r, sc::KOD, number(entry.kod));
        obraz.set(r, sc::UCHEB, institution.name);
        obraz.set(r, sc::SPEC, institution.speciality);
        obraz.set(r, sc::KVALIFIK, institution.qualification);
        obraz.set(r, sc::GOD_OKON, number(entry.year));
        obraz.set(r, sc::DOK, number(institution.document));
        obraz.set(r, sc::DOK_SER, institution.series);
        obraz.set(r, sc::DOK_NOM, random.digits(institution.document == 0 ? 6 : 7));
    }
    obraz.write();

    TableWriter voen(tableFile(database, sc::VoenTable));
    for (const MilitaryRecord &record : military()) {
        const int r = voen.append();
        voen.set(r, sc::KOD, number(record.kod));
        voen.set(r, sc::KATEGOR, record.category);
        voen.set(r, sc::ZVANIE, record.rank);
        voen.set(r, sc::SOSTAV, record.composition);
        voen.set(r, sc::VUS, record.speciality);
        voen.set(r, sc::GODN, record.fitness);
        voen.set(r, sc::VOENKOM, MilitaryCommissariat);
    }
    voen.write();
}

void writeHistoryAndOrders(const fs::path &database, const History &history)
{
    TableWriter trud(tableFile(database, sc::TrudTable));
    for (const HistoryRecord &record : history.records) {
        const int r = trud.append();
        trud.set(r, sc::KOD, number(record.kod));
        trud.set(r, sc::N_IZM, number(record.change));
        trud.set(r, sc::D_IZM, dateText(record.changed));
        trud.set(r, sc::D_POST, dateText(record.joined));
        trud.set(r, sc::DOLZH, number(record.job.position));
        trud.set(r, sc::OTDEL, number(record.job.department));
        trud.set(r, sc::OKLAD, number(record.job.salary));
        trud.set(r, sc::VID_RAB, number(static_cast<int>(record.work)));
        trud.set(r, sc::D_DOG, dateText(record.contractDate));
        trud.set(r, sc::NOM_DOG, record.contractNumber);
        trud.set(r, sc::D_PRIL, dateText(record.annexDate));
        trud.set(r, sc::NOM_PRIL, number(record.annexNumber));
        trud.set(r, sc::D_UVOL, dateText(record.dismissed));
        trud.set(r, sc::PR_UVOL, record.reason);
        trud.set(r, sc::ID_DOK, record.order != 0 ? number(record.order) : std::string());
    }
    trud.write();

    TableWriter zhurDok(tableFile(database, sc::ZhurDokTable));
    TableWriter priem(tableFile(database, sc::PriemTable));
    TableWriter uvol(tableFile(database, sc::UvolTable));
    TableWriter otpusk(tableFile(database, sc::OtpuskTable));
    TableWriter komand(tableFile(database, sc::KomandTable));
    for (const OrderRecord &record : history.orders) {
        const Order &order = *record.order;
        const std::string id = number(record.id);
        const std::string kod = number(order.kod);
        const int z = zhurDok.append();
        zhurDok.set(z, sc::ID_DOK, id);
        zhurDok.set(z, sc::TIP_DOK, number(static_cast<int>(order.kind) + 1));
        zhurDok.set(z, sc::NOM_DOK, number(record.number));
        zhurDok.set(z, sc::DATA_DOK, dateText(order.date));
        zhurDok.set(z, sc::KOD, kod);
        zhurDok.set(z, sc::OSNOVAN, record.grounds);
        zhurDok.set(z, sc::D_NACH, dateText(order.start));
        zhurDok.set(z, sc::D_KONC, dateText(order.end));

        switch (order.kind) {
        case OrderKind::Hire:
        case OrderKind::Transfer:
        case OrderKind::SalaryChange: {
            const int r = priem.append();
            priem.set(r, sc::ID_DOK, id);
            priem.set(r, sc::KOD, kod);
            priem.set(r, sc::OTDEL, number(record.job.department));
            priem.set(r, sc::DOLZH, number(record.job.position));
            priem.set(r, sc::VID_RAB, number(static_cast<int>(record.work)));
            priem.set(r, sc::OKLAD, number(record.job.salary));
            priem.set(r, sc::GRAFIK, "0");
            priem.set(r, sc::REZHIM, "0");
            priem.set(r, sc::HARAKT, "0");
            priem.set(r, sc::KOMENT, order.comment);
            break;
        }
        case OrderKind::Dismissal: {
            const int r = uvol.append();
            uvol.set(r, sc::ID_DOK, id);
            uvol.set(r, sc::KOD, kod);
            uvol.set(r, sc::KOM_UDR, number(order.settlement));
            uvol.set(r, sc::DN_KOM, number(order.settlementDays));
            uvol.set(r, sc::DN_POS, number(order.severanceDays));
            uvol.set(r, sc::KOMENT, order.comment);
            break;
        }
        case OrderKind::Vacation: {
            const int r = otpusk.append();
            otpusk.set(r, sc::ID_DOK, id);
            otpusk.set(r, sc::KOD, kod);
            otpusk.set(r, sc::VID_OTP, number(order.vacationKind));
            otpusk.set(r, sc::OTP_OSN, number(order.vacationDays));
            otpusk.set(r, sc::OTP_DOP, number(order.extraDays));
            otpusk.set(r, sc::OSN_RAS, number(order.mainCounting));
            otpusk.set(r, sc::DOP_RAS, number(order.extraCounting));
            otpusk.set(r, sc::RAB_OT, dateText(order.workFrom));
            otpusk.set(r, sc::RAB_DO, dateText(order.workTo));
            otpusk.set(r, sc::KOMENT, order.comment);
            break;
        }
        case OrderKind::BusinessTrip: {
            const int r = komand.append();
            komand.set(r, sc::ID_DOK, id);
            komand.set(r, sc::KOD, kod);
            komand.set(r, sc::KUDA, order.town);
            komand.set(r, sc::ORGAN, order.organisation);
            komand.set(r, sc::TSEL, order.purpose);
            komand.set(r, sc::KOMENT, order.comment);
            break;
        }
        }
    }
    zhurDok.write();
    priem.write();
    uvol.write();
    otpusk.write();
    komand.write();
}

void writeProgramTables(const fs::path &program)
{
    TableWriter stolb(tableFile(program, sc::StolbTable));
    int column = 0;
    for (const ListColumn &entry : listColumns()) {
        const int r = stolb.append();
        stolb.set(r, sc::NOM, number(++column));
        stolb.set(r, sc::STOLB_GRID, entry.caption);
        stolb.set(r, sc::SHIRINA, number(entry.width));
        stolb.set(r, sc::POLE_BAZY, entry.field);
        stolb.set(r, sc::NOMER_BAZY, number(entry.table));
        stolb.set(r, sc::POKAZ, entry.shown ? "1" : "0");
    }
    stolb.write();

    TableWriter konstanty(tableFile(program, sc::KonstantyTable));
    int n = 0;
    for (const Constant &constant : constants()) {
        const int r = konstanty.append();
        konstanty.set(r, sc::N, number(++n));
        konstanty.set(r, sc::PEREMEN, constant.key);
        konstanty.set(r, sc::NAIMEN, constant.description);
        konstanty.set(r, sc::ZNACHEN, constant.value);
    }
    int k = 0;
    for (const std::string_view caption : extraParameters()) {
        const int r = konstanty.append();
        konstanty.set(r, sc::N, number(++n));
        konstanty.set(r, sc::PEREMEN, sc::dopolnFieldName(++k));
        // The settings dialog names a new parameter "Дополнительный k"; the caption is the value.
        konstanty.set(r, sc::NAIMEN, "Дополнительный " + number(k));
        konstanty.set(r, sc::ZNACHEN, caption);
    }
    konstanty.write();

    TableWriter pechat(tableFile(program, sc::PechatTable));
    int entry = 0;
    for (const PrintTemplate &printTemplate : printTemplates()) {
        const int r = pechat.append();
        pechat.set(r, sc::PECHAT_NOM, number(++entry));
        pechat.set(r, sc::SHABLON, printTemplate.caption);
        pechat.set(r, sc::FAIL, printTemplate.path);
    }
    pechat.write();
}

} // namespace

void writeDemo(const fs::path &folder)
{
    const fs::path database = folder / "database";
    const fs::path program = folder / "program";
    createFolder(database / "foto");
    createFolder(program);
    sc::createEmptyDatabase(database);
    sc::createProgramTables(program);

    const History history = buildHistory();
    const PersonalDataByCode personal = personalDataOfAll(history);
    writeReferenceLists(database);
    writeEmployees(database, history, personal);
    writeFamilyEducationMilitary(database, personal);
    writeHistoryAndOrders(database, history);
    writeProgramTables(program);

    for (const Photo &photo : photos())
        writeFile(database / "foto" / (number(photo.kod) + ".jpg"),
                  drawPortrait(photo.style).jpegBytes());
    writeFile(program / "nonFoto.bmp", drawNoPhoto().bmpBytes());
    writeFile(program / "Help.doc", helpDocument());
}

} // namespace veltor::demo
