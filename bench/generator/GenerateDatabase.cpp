#include "GenerateDatabase.h"

#include <array>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"

namespace veltor {
namespace {

namespace s = schema;

// A table created empty from the schema, filled record by record, written once.
class TableFill {
public:
    TableFill(const std::filesystem::path &folder, std::string_view name, size_t expectedRecords)
        : m_file(resolveFileName(folder, name)), m_table(ReadTable(m_file))
    {
        m_table.Data.reserve(expectedRecords * static_cast<size_t>(m_table.Header.RecordLength) +
                             1);
    }

    TableFill &append()
    {
        AppendBlankRecord(m_table.Header, m_table.Data);
        return *this;
    }

    // Sets a field of the last record; the value is CP1251.
    TableFill &set(std::string_view field, std::string_view value)
    {
        SetField(m_table.Header, m_table.Header.RecordCount, FieldIndex(m_table.Header, field),
                 m_table.Data, value);
        return *this;
    }
    TableFill &set(std::string_view field, int64_t value) { return set(field, intToStr(value)); }

    LoadedTable &table() { return m_table; }
    void write() { WriteTable(m_file, m_table); }

private:
    std::filesystem::path m_file;
    LoadedTable m_table;
};

// Deterministic on every platform: the standard distributions are not.
class Random {
public:
    explicit Random(unsigned randomStart) : m_engine(randomStart) {}
    int below(int n) { return static_cast<int>(m_engine() % static_cast<uint32_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    template <typename T, size_t N> const T &pick(const std::array<T, N> &items)
    {
        return items[static_cast<size_t>(below(static_cast<int>(N)))];
    }
    std::string digits(int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += static_cast<char>('0' + below(10));
        return text;
    }
    std::string date(int fromYear, int toYear)
    {
        return dateToStr(Date{between(fromYear, toYear), between(1, 12), between(1, 28)});
    }

private:
    std::mt19937 m_engine;
};

// Source texts are UTF-8; every one is converted to CP1251 once.
template <size_t N> std::array<std::string, N> cpAll(const std::array<std::string_view, N> &utf8)
{
    std::array<std::string, N> out;
    for (size_t i = 0; i < N; ++i)
        out[i] = cp(utf8[i]);
    return out;
}

struct Names {
    // Male surnames; the female form adds "а", the genitive of the male form adds "а" and of the
    // female form replaces the final "а" by "ой".
    std::array<std::string, 20> surnames =
        cpAll<20>({"Иванов",  "Петров",   "Сидоров", "Смирнов", "Кузнецов", "Попов",   "Васильев",
                   "Соколов", "Михайлов", "Новиков", "Фёдоров", "Морозов",  "Волков",  "Алексеев",
                   "Лебедев", "Семёнов",  "Егоров",  "Павлов",  "Козлов",   "Степанов"});
    std::array<std::string, 10> maleNames =
        cpAll<10>({"Иван", "Пётр", "Алексей", "Сергей", "Андрей", "Дмитрий", "Михаил", "Николай",
                   "Юрий", "Олег"});
    std::array<std::string, 10> femaleNames =
        cpAll<10>({"Анна", "Мария", "Елена", "Ольга", "Татьяна", "Наталья", "Ирина", "Светлана",
                   "Юлия", "Екатерина"});
    std::array<std::string, 10> malePatronymics =
        cpAll<10>({"Иванович", "Петрович", "Алексеевич", "Сергеевич", "Андреевич", "Дмитриевич",
                   "Михайлович", "Николаевич", "Юрьевич", "Олегович"});
    std::array<std::string, 10> femalePatronymics =
        cpAll<10>({"Ивановна", "Петровна", "Алексеевна", "Сергеевна", "Андреевна", "Дмитриевна",
                   "Михайловна", "Николаевна", "Юрьевна", "Олеговна"});
    std::array<std::string, 8> towns = cpAll<8>({"г. Москва", "г. Тверь", "г. Казань", "г. Самара",
                                                 "г. Пермь", "г. Омск", "г. Томск", "г. Курск"});
    std::array<std::string, 8> streets =
        cpAll<8>({"ул. Ленина", "ул. Мира", "пр. Победы", "ул. Садовая", "ул. Лесная",
                  "ул. Школьная", "ул. Новая", "пер. Тихий"});
    std::array<std::string, 5> schools =
        cpAll<5>({"Московский государственный университет", "Казанский федеральный университет",
                  "Томский политехнический университет", "Самарский технический колледж",
                  "Пермский финансово-экономический колледж"});
    std::array<std::string, 5> specialities =
        cpAll<5>({"Бухгалтерский учет", "Прикладная математика", "Экономика", "Юриспруденция",
                  "Электротехника"});
    std::array<std::string, 5> qualifications =
        cpAll<5>({"Бухгалтер", "Математик", "Экономист", "Юрист", "Инженер-электрик"});
    std::array<std::string, 3> languages = cpAll<3>({"Английский", "Немецкий", "Французский"});
    std::array<std::string, 3> levels = cpAll<3>({"Читает со словарем", "Свободно", "Разговорный"});
    std::string born = cp("Россия");
};

struct Person {
    bool male = true;
    std::string surname, name, patronymic;
};

// A family shares the surname: `familySurname` is the male form, the female form adds "а".
Person makePerson(Random &random, const Names &names, bool male, const std::string &familySurname)
{
    Person p;
    p.male = male;
    p.surname = male ? familySurname : familySurname + cp("а");
    const auto father = static_cast<size_t>(random.below(10));
    p.name = male ? random.pick(names.maleNames) : random.pick(names.femaleNames);
    p.patronymic = male ? names.malePatronymics[father] : names.femalePatronymics[father];
    return p;
}

std::string initials(const Person &p)
{
    return p.name.substr(0, 1) + "." + p.patronymic.substr(0, 1) + ".";
}

std::string genitiveSurname(const Person &p)
{
    if (p.male)
        return p.surname + cp("а");
    return p.surname.substr(0, p.surname.size() - 1) + cp("ой");
}

void fillReferenceTables(const std::filesystem::path &folder)
{
    static constexpr std::array<std::string_view, 20> departments = {"Дирекция",
                                                                     "Бухгалтерия",
                                                                     "Отдел кадров",
                                                                     "Юридический отдел",
                                                                     "Плановый отдел",
                                                                     "Отдел снабжения",
                                                                     "Отдел сбыта",
                                                                     "Цех №1",
                                                                     "Цех №2",
                                                                     "Цех №3",
                                                                     "Склад",
                                                                     "Транспортный участок",
                                                                     "Служба охраны",
                                                                     "Лаборатория",
                                                                     "Конструкторское бюро",
                                                                     "Технологический отдел",
                                                                     "Отдел качества",
                                                                     "Ремонтная служба",
                                                                     "Столовая",
                                                                     "Информационный отдел"};
    TableFill otdel(folder, s::OtdelTable, departments.size());
    for (size_t i = 0; i < departments.size(); ++i)
        otdel.append().set(s::NOM, static_cast<int64_t>(i + 1)).set(s::OTDEL, cp(departments[i]));
    otdel.write();

    // Five grades of ten positions, each in the nominative, genitive and dative.
    static constexpr std::array<std::array<std::string_view, 3>, 5> grades = {{
        {"", "", ""},
        {"младший ", "младшего ", "младшему "},
        {"старший ", "старшего ", "старшему "},
        {"ведущий ", "ведущего ", "ведущему "},
        {"главный ", "главного ", "главному "},
    }};
    static constexpr std::array<std::string_view, 10> positions = {
        "инженер",     "бухгалтер",  "экономист", "юрист",    "менеджер",
        "программист", "специалист", "техник",    "оператор", "кладовщик"};
    TableFill dolzh(folder, s::DolzhTable, 50);
    int nom = 0;
    for (const auto &grade : grades) {
        for (const std::string_view position : positions) {
            const std::string base(position);
            dolzh.append()
                .set(s::NOM, ++nom)
                .set(s::DOLZH, cp(std::string(grade[0]) + base))
                .set(s::DOLZH_KOGO, cp(std::string(grade[1]) + base + "а"))
                .set(s::DOLZH_KOMU, cp(std::string(grade[2]) + base + "у"));
        }
    }
    dolzh.write();

    // The six HR order kinds come first: their position fixes their meaning.
    static constexpr std::array<std::array<std::string_view, 2>, 9> kinds = {{
        {"Прием на работу", "k"},
        {"Увольнение", "k"},
        {"Перевод на другую работу", "k"},
        {"Изменение оклада", "k"},
        {"Отпуск", "k"},
        {"Командировка", "k"},
        {"Расчетный листок", "z"},
        {"Справка о доходах", "z"},
        {"Ведомость", "z"},
    }};
    TableFill tipDok(folder, s::TipDokTable, kinds.size());
    for (size_t i = 0; i < kinds.size(); ++i) {
        tipDok.append()
            .set(s::TIP_DOK, static_cast<int64_t>(i + 1))
            .set(s::NAZ_DOK, cp(kinds[i][0]))
            .set(s::TIP_UCH, kinds[i][1]);
    }
    tipDok.write();
}

} // namespace

void generatePersonnelTables(const std::filesystem::path &databaseFolder, int employees,
                             unsigned randomStart)
{
    schema::createEmptyDatabase(databaseFolder);
    fillReferenceTables(databaseFolder);

    Random random(randomStart);
    const Names names;
    const auto count = static_cast<size_t>(employees);
    TableFill osnova(databaseFolder, s::OsnovaTable, count);
    TableFill passport(databaseFolder, s::PassportTable, count);
    TableFill trud(databaseFolder, s::TrudTable, 3 * count);
    TableFill semja(databaseFolder, s::SemjaTable, 2 * count);
    TableFill obraz(databaseFolder, s::ObrazTable, count);
    TableFill voen(databaseFolder, s::VoenTable, count / 2 + 1);
    TableFill dopoln(databaseFolder, s::DopolnTable, count);
    for (int k = 1; k <= 3; ++k)
        AddField(dopoln.table().Header, dopoln.table().Data, s::dopolnFieldName(k),
                 s::DopolnFieldLength, 'C');

    struct Career {
        std::string joined;
        int joinYear = 2000;
        int department = 1;
        std::array<int, 3> positions{};
        std::array<int, 3> salaries{};
    };
    std::vector<Career> careers(count);

    for (int kod = 1; kod <= employees; ++kod) {
        Career &career = careers[static_cast<size_t>(kod - 1)];
        const bool male = random.below(2) == 0;
        const std::string family = random.pick(names.surnames);
        const Person person = makePerson(random, names, male, family);
        career.joinYear = random.between(1995, 2015);
        career.joined = random.date(career.joinYear, career.joinYear);
        career.department = random.between(1, 20);
        int salary = random.between(20, 80) * 1000;
        for (int change = 0; change < 3; ++change) {
            career.positions[static_cast<size_t>(change)] = random.between(1, 50);
            career.salaries[static_cast<size_t>(change)] = salary;
            salary += random.between(1, 10) * 1000;
        }
        const bool dismissed = random.below(20) == 0;
        const bool onRegister = kod % 2 == 0;

        osnova.append()
            .set(s::KOD, kod)
            .set(s::NOM, 1000 + kod)
            .set(s::FIO, person.surname + " " + person.name + " " + person.patronymic)
            .set(s::SOKR_FIO, initials(person) + " " + person.surname)
            .set(s::FIO_KOGO, genitiveSurname(person) + " " + initials(person))
            .set(s::DOLZH, career.positions[2])
            .set(s::OTDEL, career.department)
            .set(s::OKLAD, career.salaries[2])
            .set(s::UVOLEN, dismissed ? "1" : "0")
            .set(s::INN, random.digits(12))
            .set(s::STRAH_SVID, random.digits(3) + "-" + random.digits(3) + "-" + random.digits(3) +
                                    " " + random.digits(2))
            .set(s::POL, male ? "m" : "f")
            .set(s::OBRAZ, random.between(0, 4))
            .set(s::VOIN, onRegister ? "1" : "0")
            .set(s::ST_OB_LET, random.between(0, 20))
            .set(s::ST_OB_MES, random.between(0, 11))
            .set(s::ST_OB_DN, random.between(0, 29))
            .set(s::ST_NP_LET, random.between(0, 10))
            .set(s::ST_NP_MES, random.between(0, 11))
            .set(s::ST_NP_DN, random.between(0, 29));
        if (random.below(3) == 0)
            osnova.set(s::IN_JAZ, random.pick(names.languages))
                .set(s::UROVEN, random.pick(names.levels));

        const std::string address = random.pick(names.towns) + ", " + random.pick(names.streets) +
                                    cp(", д. ") + intToStr(random.between(1, 120)) + cp(", кв. ") +
                                    intToStr(random.between(1, 300));
        passport.append()
            .set(s::KOD, kod)
            .set(s::PASSPORT, random.digits(2) + " " + random.digits(2) + " " + random.digits(6))
            .set(s::PASS_DATA, random.date(2000, 2020))
            .set(s::PASS_KEM, cp("ОВД ") + random.pick(names.towns))
            .set(s::DATA_ROZHD, random.date(1955, 1995))
            .set(s::MESTO_ROZH, random.pick(names.towns))
            .set(s::GRAZHD, names.born)
            .set(s::ADRESS, address)
            .set(s::TELEFON, "+7 9" + random.digits(2) + " " + random.digits(3) + "-" +
                                 random.digits(2) + "-" + random.digits(2));

        const Person spouse = makePerson(random, names, !male, family);
        semja.append()
            .set(s::KOD, kod)
            .set(s::S_TIP, "s")
            .set(s::S_TIP_N, cp(male ? "жена" : "муж"))
            .set(s::S_FIO, spouse.surname + " " + spouse.name + " " + spouse.patronymic)
            .set(s::S_ROZHD, random.date(1955, 1995))
            .set(s::S_ADRES, address);
        const bool son = random.below(2) == 0;
        const Person child = makePerson(random, names, son, family);
        semja.append()
            .set(s::KOD, kod)
            .set(s::S_TIP, "d")
            .set(s::S_TIP_N, cp(son ? "сын" : "дочь"))
            .set(s::S_FIO, child.surname + " " + child.name + " " + child.patronymic)
            .set(s::S_ROZHD, random.below(4) == 0 ? "      " + intToStr(random.between(1980, 2015))
                                                  : random.date(1980, 2015))
            .set(s::S_ADRES, address);

        const int school = random.below(5);
        obraz.append()
            .set(s::KOD, kod)
            .set(s::UCHEB, names.schools[static_cast<size_t>(school)])
            .set(s::SPEC, names.specialities[static_cast<size_t>(school)])
            .set(s::KVALIFIK, names.qualifications[static_cast<size_t>(school)])
            .set(s::GOD_OKON, random.between(1975, 2015))
            .set(s::DOK, "1")
            .set(s::DOK_SER, cp("ДВС"))
            .set(s::DOK_NOM, random.digits(7));

        if (onRegister) {
            voen.append()
                .set(s::KOD, kod)
                .set(s::KATEGOR, random.between(1, 2))
                .set(s::ZVANIE, cp(random.below(2) == 0 ? "рядовой" : "сержант"))
                .set(s::SOSTAV, cp("солдаты"))
                .set(s::VUS, random.digits(6))
                .set(s::GODN, "A")
                .set(s::VOENKOM, cp("Военный комиссариат ") + random.pick(names.towns));
        }

        dopoln.append()
            .set(s::KOD, kod)
            .set(s::dopolnFieldName(1), random.digits(6))
            .set(s::dopolnFieldName(2), intToStr(random.between(44, 60)))
            .set(s::dopolnFieldName(3), cp(random.below(2) == 0 ? "II(A) Rh+" : "I(0) Rh+"));
    }

    // Changes arrive over the years: all first records, then all second, then all third, so an
    // employee's records lie far apart, as they do in a database kept for a long time.
    for (int change = 0; change < 3; ++change) {
        for (int kod = 1; kod <= employees; ++kod) {
            const Career &career = careers[static_cast<size_t>(kod - 1)];
            const auto c = static_cast<size_t>(change);
            trud.append()
                .set(s::KOD, kod)
                .set(s::N_IZM, change + 1)
                .set(s::D_IZM, change == 0 ? career.joined
                                           : random.date(career.joinYear + 2 * change,
                                                         career.joinYear + 2 * change))
                .set(s::D_POST, career.joined)
                .set(s::DOLZH, career.positions[c])
                .set(s::OTDEL, career.department)
                .set(s::OKLAD, career.salaries[c])
                .set(s::VID_RAB, random.below(10) == 0 ? "1" : "0")
                .set(s::D_DOG, career.joined)
                .set(s::NOM_DOG, intToStr(kod) + cp("-тд"));
            if (change > 0)
                trud.set(s::D_PRIL,
                         random.date(career.joinYear + 2 * change, career.joinYear + 2 * change))
                    .set(s::NOM_PRIL, intToStr(change));
        }
    }

    osnova.write();
    passport.write();
    trud.write();
    semja.write();
    obraz.write();
    voen.write();
    dopoln.write();
}

void generateProgramTables(const std::filesystem::path &programFolder)
{
    schema::createProgramTables(programFolder);

    struct Column {
        std::string_view caption;
        int width;
        std::string_view field;
        std::string_view table;
    };
    static constexpr std::array<Column, 8> columns = {{
        {"Таб №", 10, "NOM", "1"},
        {"Фамилия, Имя, Отчество", 60, "FIO", "1"},
        {"Должность", 40, "DOLZH", "1"},
        {"Отдел", 40, "OTDEL", "1"},
        {"Оклад", 20, "OKLAD", "4"},
        {"Дата рождения", 25, "DATA_ROZHD", "2"},
        {"Семья", 30, "S_TIP_N", "3"},
        {"Звание", 20, "ZVANIE", "6"},
    }};
    TableFill stolb(programFolder, s::StolbTable, columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        stolb.append()
            .set(s::NOM, static_cast<int64_t>(i + 1))
            .set(s::STOLB_GRID, cp(columns[i].caption))
            .set(s::SHIRINA, columns[i].width)
            .set(s::POLE_BAZY, columns[i].field)
            .set(s::NOMER_BAZY, columns[i].table)
            .set(s::POKAZ, "1");
    }
    stolb.write();

    static constexpr std::array<std::array<std::string_view, 3>, 10> constants = {{
        {"DIREKTOR", "Директор", "1"},
        {"GL_BUH", "Главный бухгалтер", "2"},
        {"KADROVIK", "Специалист по кадрам", "3"},
        {"NAZV_ORG", "Наименование организации", "ООО «Северный ветер»"},
        {"ADRES_ORG", "Адрес организации", "г. Тверь, ул. Лесная, д. 5"},
        {"INN_ORG", "ИНН организации", "6901234567"},
        {"GOROD", "Город", "Тверь"},
        {"DOPOLN1", "Дополнительный 1", "Номер пропуска"},
        {"DOPOLN2", "Дополнительный 2", "Размер одежды"},
        {"DOPOLN3", "Дополнительный 3", "Группа крови"},
    }};
    TableFill konstanty(programFolder, s::KonstantyTable, constants.size());
    for (size_t i = 0; i < constants.size(); ++i) {
        konstanty.append()
            .set(s::N, static_cast<int64_t>(i + 1))
            .set(s::PEREMEN, constants[i][0])
            .set(s::NAIMEN, cp(constants[i][1]))
            .set(s::ZNACHEN, cp(constants[i][2]));
    }
    konstanty.write();
}

void generateDatabase(const std::filesystem::path &folder, int employees, unsigned randomStart)
{
    generatePersonnelTables(folder / "database", employees, randomStart);
    generateProgramTables(folder / "program");
}

} // namespace veltor
