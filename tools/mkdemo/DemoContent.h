#pragma once
#include <span>
#include <string_view>

#include "Pictures.h"
#include "text/Convert.h"

// The invented organisation of the demo database: its departments, positions, employees and
// their histories, families, education, military registration and HR orders. Texts are UTF-8
// here and become CP1251 when they are written into the tables. Values that are only numbers
// (passport numbers, taxpayer numbers, telephones, addresses) are made by DemoDatabase from a
// fixed pseudo-random sequence.
namespace veltor::demo {

constexpr Date d(int day, int month, int year)
{
    return Date{year, month, day};
}

// A date field left empty.
inline constexpr Date NoDate = EmptyDate;

struct Department {
    int nom;
    std::string_view name;
};

struct Position {
    int nom;
    std::string_view name;
    std::string_view genitive; // "кого/чего": приказ о приеме ... главного бухгалтера
    std::string_view dative; // "кому/чему": главному бухгалтеру
};

// Position and department numbers and the salary; 0 in a change keeps the previous value.
struct Job {
    int position = 0;
    int department = 0;
    int salary = 0;
};

// A change of employment entered on the employee card, without an order.
struct CardChange {
    int kod;
    Date date;
    Job job;
};

enum class WorkKind { Main = 0, ExternalPartTime = 1 };

struct Employee {
    int kod;
    std::string_view fio;
    std::string_view surnameGenitive; // for FIO_KOGO: "Петрова" + initials
    char sex;                         // 'm' or 'f'
    Date birth;
    int education; // OBRAZ: 0..4, -1 not given
    std::string_view language = {};
    std::string_view languageLevel = {};
    // Employees hired before the orders journal: the first history record, made on the card.
    // Employees hired by an order have hiredByOrder set; their job comes from `job` too.
    bool hiredByOrder = false;
    Date hired = NoDate;
    Job job = {};
    WorkKind work = WorkKind::Main;
    // Dismissal entered on the card (dismissals by order are orders).
    Date dismissed = NoDate;
    std::string_view dismissalReason = {};
};

// Kinds of HR orders in the order of their TipDok.dbf records.
enum class OrderKind { Hire = 0, Dismissal, Transfer, SalaryChange, Vacation, BusinessTrip };

struct Order {
    OrderKind kind;
    Date date;
    int kod;
    std::string_view grounds =
        {}; // empty: made from the supplementary agreement (transfer, salary)
    Date start;
    Date end = NoDate;
    std::string_view comment = {};
    Job job = {}; // transfer and change of salary
    // Dismissal: 0 nothing, 1 compensation of untaken vacation, 2 deduction for vacation in
    // advance.
    int settlement = 0;
    int settlementDays = 0;
    int severanceDays = 0;
    // Vacation: kind 1..4, days in all and of them additional, day counting 1..3, working year.
    int vacationKind = 0;
    int vacationDays = 0;
    int extraDays = 0;
    int mainCounting = 0;
    int extraCounting = 0;
    Date workFrom = NoDate;
    Date workTo = NoDate;
    // Business trip.
    std::string_view town = {};
    std::string_view organisation = {};
    std::string_view purpose = {};
};

struct FamilyMember {
    int kod;
    char type;            // 'r' parent, 's' spouse, 'd' child, 'x' other
    std::string_view who; // S_TIP_N
    std::string_view fio;
    std::string_view born; // "dd.mm.yyyy", or "yyyy" when only the year is known
};

struct Institution {
    std::string_view name;
    std::string_view speciality;
    std::string_view qualification;
    int document; // DOK: 0 certificate of school, 1 diploma, 2 certificate of a course
    std::string_view series;
};

struct Education {
    int kod;
    int institution; // index into institutions()
    int year;
};

inline constexpr std::string_view MilitaryCommissariat =
    "Военный комиссариат г. Кириши и Киришского района Ленинградской области";

struct MilitaryRecord {
    int kod;
    std::string_view category;
    std::string_view rank;
    std::string_view composition;
    std::string_view speciality; // ВУС
    std::string_view fitness;
};

struct Photo {
    int kod;
    PortraitStyle style;
};

struct KindOfDocument {
    std::string_view name;
    std::string_view category; // TIP_UCH: "k" HR orders, "z" payroll documents
};

struct Constant {
    std::string_view key; // PEREMEN
    std::string_view description;
    std::string_view value;
};

struct ListColumn {
    std::string_view caption;
    int width; // units of 3 pixels
    std::string_view field;
    int table; // 1 osnova, 2 passport, 3 semja, 4 trud, 5 dopoln, 6 voen
    bool shown;
};

struct PrintTemplate {
    std::string_view caption;
    std::string_view path; // under the installation root "%ROOT%"
};

std::span<const Department> departments();
std::span<const Position> positions();
std::span<const Employee> employees();
std::span<const CardChange> cardChanges();
std::span<const Order> orders();
std::span<const FamilyMember> family();
std::span<const Institution> institutions();
std::span<const Education> education();
std::span<const MilitaryRecord> military();
std::span<const Photo> photos();
std::span<const KindOfDocument> kindsOfDocuments();
std::span<const Constant> constants();               // the seven fixed constants
std::span<const std::string_view> extraParameters(); // captions of DOPOLN1, DOPOLN2, ...
std::span<const ListColumn> listColumns();
std::span<const PrintTemplate> printTemplates();

// The working day the demo is "as of": ages and passport dates are reckoned from it.
inline constexpr Date AsOf = d(1, 12, 2025);

// PR_UVOL of the history records the card writes while the employee works (the program's own
// spelling).
inline constexpr std::string_view RestoredReason = "Востановлен";

} // namespace veltor::demo
