#include "app/DataChecks.h"

#include "records/CodeIndex.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"
#include "text/IdentityChecks.h"

#include <optional>

namespace veltor {
namespace {

std::string shown(const std::string &cp1251)
{
    return "«" + cp1251ToUtf8(cp1251) + "»";
}

Date storedDate(const LoadedTable &t, int record, std::string_view field)
{
    Date date = EmptyDate;
    if (record <= 0 || !tryStrToDate(GetField(t.Header, t.Data, record, FieldIndex(t.Header, field)), date))
        return EmptyDate;
    return date;
}

std::string fieldOf(const LoadedTable &t, int record, std::string_view field)
{
    return record > 0 ? GetField(t.Header, t.Data, record, FieldIndex(t.Header, field)) : std::string();
}

} // namespace

std::vector<std::string> dataFaults(const PersonData &person, const Date &today)
{
    std::vector<std::string> faults;
    if (!person.inn.empty() && !innValid(person.inn))
        faults.push_back("ИНН " + shown(person.inn) + " не из 12 цифр с верными контрольными цифрами");
    if (!person.snils.empty() && !snilsValid(person.snils))
        faults.push_back("СНИЛС " + shown(person.snils) + " с неверным контрольным числом");
    if (!person.passport.empty() && !passportNumberValid(person.passport))
        faults.push_back("номер паспорта " + shown(person.passport) + " не в виде «СС СС НННННН»");
    const bool hasBirth = person.birth != EmptyDate;
    const bool hasHire = person.hire != EmptyDate;
    if (hasBirth && person.birth > today)
        faults.push_back("дата рождения " + dateToStr(person.birth) + " в будущем");
    if (hasBirth && hasHire && person.birth > person.hire)
        faults.push_back("дата рождения " + dateToStr(person.birth) + " позже даты приема " +
                         dateToStr(person.hire));
    if (hasHire && person.dismissal != EmptyDate && person.dismissal < person.hire)
        faults.push_back("дата увольнения " + dateToStr(person.dismissal) + " раньше даты приема " +
                         dateToStr(person.hire));
    return faults;
}

std::string joinedFaults(const std::vector<std::string> &faults)
{
    std::string text;
    for (const std::string &fault : faults)
        text += (text.empty() ? "" : "; ") + fault;
    return text;
}

namespace {

// Each table indexed by its KOD once, so a report over thousands of employees stays linear.
struct PersonIndexes {
    explicit PersonIndexes(const AppState &state)
        : osnova(state.Osnova.Header, state.Osnova.Data, schema::KOD),
          passport(state.Passport.Header, state.Passport.Data, schema::KOD),
          trud(state.Trud.Header, state.Trud.Data, schema::KOD)
    {
    }
    CodeIndex osnova, passport, trud;
};

PersonData personDataWith(const AppState &state, const PersonIndexes &index, const std::string &code)
{
    PersonData p;
    const int main = index.osnova.first(code);
    p.inn = fieldOf(state.Osnova, main, schema::INN);
    p.snils = fieldOf(state.Osnova, main, schema::STRAH_SVID);
    const int passport = index.passport.first(code);
    p.passport = fieldOf(state.Passport, passport, schema::PASSPORT);
    p.birth = storedDate(state.Passport, passport, schema::DATA_ROZHD);
    p.hire = storedDate(state.Trud, index.trud.first(code), schema::D_POST);
    p.dismissal = storedDate(state.Trud, index.trud.last(code), schema::D_UVOL);
    return p;
}

} // namespace

Date firstHireDate(const AppState &state, const std::string &code)
{
    const CodeIndex trud(state.Trud.Header, state.Trud.Data, schema::KOD);
    return storedDate(state.Trud, trud.first(code), schema::D_POST);
}

PersonData storedPersonData(const AppState &state, const std::string &code)
{
    return personDataWith(state, PersonIndexes(state), code);
}

FaultReport faultReport(const AppState &state, const std::vector<std::string> &codes, const Date &today)
{
    FaultReport report;
    for (const char *heading : {"", "ФИО", "Таб №", "Проверьте данные"})
        report.cells.push_back(cp(heading));
    const PersonIndexes index(state);
    for (const std::string &code : codes) {
        const std::vector<std::string> faults = dataFaults(personDataWith(state, index, code), today);
        if (faults.empty())
            continue;
        const int record = index.osnova.first(code);
        report.cells.emplace_back();
        report.cells.push_back(fieldOf(state.Osnova, record, schema::FIO));
        report.cells.push_back(fieldOf(state.Osnova, record, schema::NOM));
        report.cells.push_back(utf8ToCp1251(joinedFaults(faults)));
    }
    return report;
}

} // namespace veltor
