#include "card/CardLists.h"

#include "records/CodeIndex.h"
#include "storage/Schema.h"

namespace veltor {
namespace {

std::string fieldOf(const LoadedTable &t, int record, std::string_view name)
{
    return GetField(t.Header, t.Data, record, FieldIndex(t.Header, name));
}

void setFieldOf(LoadedTable &t, int record, std::string_view name, std::string_view value)
{
    SetField(t, record, name, value);
}

} // namespace

EmployeeSelection selectEmployeeRecords(const LoadedTable &table, const std::string &code)
{
    EmployeeSelection s;
    s.header = table.Header;
    s.index.assign(1, 0);
    if (!code.empty())
        for (const int32_t r : indexByCode(table).find(code)) {
            s.index.push_back(r);
            s.data.append(table.Data, static_cast<size_t>(r - 1) * table.Header.RecordLength,
                          static_cast<size_t>(table.Header.RecordLength));
        }
    s.header.RecordCount = table.Header.RecordLength > 0
                               ? static_cast<int32_t>(s.data.size() / table.Header.RecordLength)
                               : 0;
    return s;
}

TIndex employeeRecordIndex(const LoadedTable &table, const std::string &code)
{
    TIndex index(1, 0);
    if (!code.empty())
        for (const int32_t r : indexByCode(table).find(code))
            index.push_back(r);
    return index;
}

bool indexStillCurrent(const LoadedTable &table, const std::string &code, const TIndex &shown)
{
    return employeeRecordIndex(table, code) == shown;
}

int appendRecordWithCode(LoadedTable &table, const std::string &code)
{
    const int record = AppendBlankRecord(table);
    setFieldOf(table, record, schema::KOD, code);
    return record;
}

int lastRecordWithCode(const LoadedTable &table, const std::string &code)
{
    const TIndex index = employeeRecordIndex(table, code);
    return index.size() > 1 ? index.back() : 0;
}

int kinshipItem(std::string_view letter)
{
    if (letter == "r")
        return 0;
    if (letter == "s")
        return 1;
    if (letter == "d")
        return 2;
    return 3;
}

std::string kinshipLetter(int item)
{
    switch (item) {
    case 0:
        return "r";
    case 1:
        return "s";
    case 2:
        return "d";
    default:
        return "x";
    }
}

std::string birthDateField(const FamilyMember &member)
{
    if (member.exactBirthDate)
        return dateToStr(member.birthDate);
    return "      " + member.birthYear.substr(0, 4);
}

void writeFamilyMember(LoadedTable &semja, int record, const FamilyMember &member)
{
    setFieldOf(semja, record, schema::S_TIP_N, member.who);
    setFieldOf(semja, record, schema::S_FIO, member.name);
    setFieldOf(semja, record, schema::S_ADRES, member.address);
    setFieldOf(semja, record, schema::S_ROZHD, birthDateField(member));
    setFieldOf(semja, record, schema::S_TIP, kinshipLetter(member.kinship));
}

std::optional<BirthDateShown> birthDateShown(const std::string &stored, const Date &today)
{
    if (stored.empty())
        return std::nullopt;
    BirthDateShown shown;
    if (stored.size() < 5) {
        shown.exact = false;
        shown.year = stored;
        shown.date = today;
    } else {
        shown.date = strToDate(stored);
    }
    return shown;
}

EducationEntry readEducationEntry(const LoadedTable &obraz, int record)
{
    EducationEntry e;
    e.school = fieldOf(obraz, record, schema::UCHEB);
    e.speciality = fieldOf(obraz, record, schema::SPEC);
    e.qualification = fieldOf(obraz, record, schema::KVALIFIK);
    e.graduationYear = fieldOf(obraz, record, schema::GOD_OKON);
    const std::string dok = fieldOf(obraz, record, schema::DOK);
    if (!dok.empty())
        e.certificate = strToInt(dok);
    e.series = fieldOf(obraz, record, schema::DOK_SER);
    e.number = fieldOf(obraz, record, schema::DOK_NOM);
    return e;
}

void writeEducationEntry(LoadedTable &obraz, int record, const EducationEntry &entry)
{
    setFieldOf(obraz, record, schema::UCHEB, entry.school);
    setFieldOf(obraz, record, schema::SPEC, entry.speciality);
    setFieldOf(obraz, record, schema::KVALIFIK, entry.qualification);
    setFieldOf(obraz, record, schema::GOD_OKON, entry.graduationYear);
    setFieldOf(obraz, record, schema::DOK, intToStr(entry.certificate.value_or(-1)));
    setFieldOf(obraz, record, schema::DOK_SER, entry.series);
    setFieldOf(obraz, record, schema::DOK_NOM, entry.number);
}

} // namespace veltor
