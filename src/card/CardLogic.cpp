#include "card/CardLogic.h"

#include "app/EmployeeList.h"
#include "records/CodeIndex.h"
#include "records/Startup.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

#include <algorithm>

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

int fieldLength(const LoadedTable &t, std::string_view name)
{
    const int field = FieldIndex(t.Header, name);
    return field < 1 ? 0 : t.Header.FieldLengths[field];
}

bool isRecordOf(const LoadedTable &t, int record)
{
    return record >= 1 && record <= t.Header.RecordCount &&
           record <= WholeRecordCount(t.Header, t.Data);
}

// Records of the table whose field `name` holds the same integer as `value` (SelectEqual).
TIndex recordsWith(const LoadedTable &t, std::string_view name, const std::string &value)
{
    TIndex found;
    if (value.empty())
        return TIndex(1, 0);
    if (name == schema::KOD) {
        const std::vector<int32_t> records = indexByCode(t).find(value);
        found.assign(1, 0);
        found.insert(found.end(), records.begin(), records.end());
        return found;
    }
    SelectEqualIdx(t.Header, t.Data, FieldIndex(t.Header, name), value, found);
    return found;
}

int firstWith(const LoadedTable &t, std::string_view name, const std::string &value)
{
    const TIndex found = recordsWith(t, name, value);
    return found.size() > 1 ? found[1] : 0;
}

int lastWith(const LoadedTable &t, std::string_view name, const std::string &value)
{
    const TIndex found = recordsWith(t, name, value);
    return found.size() > 1 ? found.back() : 0;
}

// True when the record exists and carries the employee's code, compared as SelectEqual does.
bool recordHasCode(const LoadedTable &t, int record, const std::string &code)
{
    if (!isRecordOf(t, record) || code.empty())
        return false;
    const std::string own = fieldOf(t, record, schema::KOD);
    int32_t a = 0;
    int32_t b = 0;
    if (tryStrToInt(own, a) && tryStrToInt(code, b))
        return a == b;
    return own == code;
}

int appendWithCode(LoadedTable &t, const std::string &code)
{
    const int record = AppendBlankRecord(t);
    setFieldOf(t, record, schema::KOD, code);
    return record;
}

// Reads the stored values of one record; what cannot be read is noted and read as empty.
class StoredReader {
public:
    StoredReader(const AppState &state, const LoadedTable &table, int record, std::vector<UnreadableValue> &bad)
        : m_table(table), m_record(record), m_bad(bad),
          m_tableName(state.fileOf(table).filename().string())
    {
    }

    std::string text(std::string_view field) const { return fieldOf(m_table, m_record, field); }

    // Empty stays EmptyDate; a text that is no date is noted and read as EmptyDate too.
    Date date(std::string_view field) const
    {
        const std::string stored = text(field);
        Date d = EmptyDate;
        if (!stored.empty() && !tryStrToDate(stored, d)) {
            note(field, stored);
            d = EmptyDate;
        }
        return d;
    }

    // `empty` for an empty text and for one that is no integer (noted).
    int32_t integer(std::string_view field, int32_t empty) const
    {
        const std::string stored = text(field);
        int32_t value = empty;
        if (!stored.empty() && !tryStrToInt(stored, value)) {
            note(field, stored);
            value = empty;
        }
        return value;
    }

private:
    void note(std::string_view field, const std::string &value) const
    {
        m_bad.push_back({m_tableName, std::string(field), value});
    }

    const LoadedTable &m_table;
    int m_record;
    std::vector<UnreadableValue> &m_bad;
    std::string m_tableName;
};

constexpr std::array<std::string_view, 6> SeniorityFields = {
    schema::ST_OB_LET, schema::ST_OB_MES, schema::ST_OB_DN,
    schema::ST_NP_LET, schema::ST_NP_MES, schema::ST_NP_DN,
};

constexpr std::array<std::string_view, 6> MilitaryFields = {
    schema::KATEGOR, schema::ZVANIE, schema::SOSTAV, schema::VUS, schema::GODN, schema::VOENKOM,
};

} // namespace

std::string storedForm(std::string_view text, int fieldLength)
{
    text = text.substr(0, static_cast<size_t>(std::max(0, fieldLength)));
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20)
        --end;
    return std::string(text.substr(begin, end - begin));
}

CardRecords cardRecordsOfCode(const AppState &state, const std::string &code)
{
    CardRecords r;
    if (code.empty())
        return r;
    r.main = firstWith(state.Osnova, schema::KOD, code);
    if (r.main == 0)
        return r;
    r.code = code;
    r.passport = firstWith(state.Passport, schema::KOD, code);
    r.trud = lastWith(state.Trud, schema::KOD, code);
    r.dopoln = firstWith(state.Dopoln, schema::KOD, code);
    return r;
}

CardRecords cardRecordsFromGlobals(const AppState &state)
{
    CardRecords r;
    if (!isRecordOf(state.Osnova, state.CurMainRec))
        return r;
    const std::string code = fieldOf(state.Osnova, state.CurMainRec, schema::KOD);
    if (code.empty())
        return r;
    r.code = code;
    r.main = state.CurMainRec;
    r.passport = recordHasCode(state.Passport, state.CurPassportRec, code)
                     ? state.CurPassportRec
                     : firstWith(state.Passport, schema::KOD, code);
    r.trud = recordHasCode(state.Trud, state.CurTrudRec, code) ? state.CurTrudRec
                                                               : lastWith(state.Trud, schema::KOD, code);
    r.dopoln = recordHasCode(state.Dopoln, state.CurDopolnRec, code)
                   ? state.CurDopolnRec
                   : firstWith(state.Dopoln, schema::KOD, code);
    return r;
}

std::vector<std::string> referenceNames(const LoadedTable &table, std::string_view nameField)
{
    const int field = FieldIndex(table.Header, nameField);
    const int count = std::min(table.Header.RecordCount, WholeRecordCount(table.Header, table.Data));
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(std::max(0, count)));
    for (int r = 1; r <= count; ++r)
        names.push_back(GetField(table.Header, table.Data, r, field));
    return names;
}

CardValues loadCardValues(const AppState &state, const CardRecords &records, const Date &today)
{
    CardValues v;
    const LoadedTable &main = state.Osnova;
    const int m = records.main;
    v.nom = fieldOf(main, m, schema::NOM);
    v.fio = fieldOf(main, m, schema::FIO);
    v.sokrFio = fieldOf(main, m, schema::SOKR_FIO);
    v.fioKogo = fieldOf(main, m, schema::FIO_KOGO);

    // The list items are the reference records in record order, so the employee's own record
    // gives the item even where two positions or departments share a name.
    v.positionNumber = fieldOf(main, m, schema::DOLZH);
    if (v.positionNumber.empty()) {
        v.positionText = cp("должность не указана");
    } else if (const int rec = firstWith(state.Dolzh, schema::NOM, v.positionNumber); rec > 0) {
        v.positionItem = rec - 1;
        v.positionText = fieldOf(state.Dolzh, rec, schema::DOLZH);
    } else {
        v.positionText = cp("должность удалена");
    }

    v.oklad = fieldOf(main, m, schema::OKLAD);
    v.inn = fieldOf(main, m, schema::INN);
    v.strahSvid = fieldOf(main, m, schema::STRAH_SVID);
    v.dismissed = fieldOf(main, m, schema::UVOLEN) == "1";

    v.departmentNumber = fieldOf(main, m, schema::OTDEL);
    if (!v.departmentNumber.empty()) {
        if (const int rec = firstWith(state.Otdel, schema::NOM, v.departmentNumber); rec > 0) {
            v.departmentItem = rec - 1;
            v.departmentText = fieldOf(state.Otdel, rec, schema::OTDEL);
        } else {
            v.departmentText = cp("отдел удален");
        }
    }
    v.female = fieldOf(main, m, schema::POL) == "f";

    const LoadedTable &pass = state.Passport;
    const int p = records.passport;
    const StoredReader passReader(state, pass, p, v.unreadable);
    v.passport = fieldOf(pass, p, schema::PASSPORT);
    v.passDate = passReader.date(schema::PASS_DATA);
    v.passIssuer = fieldOf(pass, p, schema::PASS_KEM);
    v.birthDate = passReader.date(schema::DATA_ROZHD);
    v.birthPlace = fieldOf(pass, p, schema::MESTO_ROZH);
    v.citizenship = fieldOf(pass, p, schema::GRAZHD);
    const std::string visa = fieldOf(pass, p, schema::VIZA_DATA);
    v.hasVisa = !visa.empty();
    // A visa whose date cannot be read stays a visa, with the date to be given again.
    v.visaDate = v.hasVisa ? passReader.date(schema::VIZA_DATA) : today;
    v.address = fieldOf(pass, p, schema::ADRESS);
    v.phone = fieldOf(pass, p, schema::TELEFON);

    const StoredReader mainReader(state, main, m, v.unreadable);
    const int32_t item = mainReader.integer(schema::OBRAZ, -1);
    v.education = item >= -1 && item <= 4 ? item : -1;
    v.language = fieldOf(main, m, schema::IN_JAZ);
    v.languageLevel = fieldOf(main, m, schema::UROVEN);

    v.military = fieldOf(main, m, schema::VOIN) == "1";
    if (v.military) {
        const int rec = firstWith(state.Voen, schema::KOD, records.code);
        for (size_t i = 0; i < MilitaryFields.size(); ++i)
            v.militaryFields[i] = fieldOf(state.Voen, rec, MilitaryFields[i]);
    }

    const LoadedTable &trud = state.Trud;
    const int t = records.trud;
    const StoredReader trudReader(state, trud, t, v.unreadable);
    v.postDate = trudReader.date(schema::D_POST);
    v.contractDate = trudReader.date(schema::D_DOG);
    v.annexDate = trudReader.date(schema::D_PRIL);
    v.contractNo = fieldOf(trud, t, schema::NOM_DOG);
    v.annexNo = fieldOf(trud, t, schema::NOM_PRIL);
    v.workKind = trudReader.integer(schema::VID_RAB, 0);

    for (size_t i = 0; i < SeniorityFields.size(); ++i)
        v.seniority[i] = fieldOf(main, m, SeniorityFields[i]);

    const std::string dismissal = fieldOf(trud, t, schema::D_UVOL);
    v.dismissalShown = !dismissal.empty();
    if (v.dismissalShown) {
        v.dismissalDate = trudReader.date(schema::D_UVOL);
        v.dismissalReason = fieldOf(trud, t, schema::PR_UVOL);
    } else {
        v.dismissalDate = today;
    }

    for (int k = 1; k <= state.ExtraParamCount; ++k) {
        const std::string name = schema::dopolnFieldName(k);
        const int rec = RecordNoOfText(name, state.Konstanty.Data, state.Konstanty.Header);
        v.extraNames.push_back(fieldOf(state.Konstanty, rec, schema::ZNACHEN));
        v.extraValues.push_back(fieldOf(state.Dopoln, records.dopoln, name));
    }

    v.photoPath = fieldOf(main, m, schema::FOTO);
    return v;
}

std::string unreadableValuesMessage(const std::vector<UnreadableValue> &values, const std::string &name,
                                    const std::string &code)
{
    std::string text = "У сотрудника " + cp1251ToUtf8(name) + " (код " + cp1251ToUtf8(code) +
                       ") не удалось прочитать:";
    for (const UnreadableValue &v : values)
        text += "\n  " + v.table + ", поле " + v.field + ": \"" + cp1251ToUtf8(v.value) + "\"";
    text += "\nЭти значения показаны пустыми; исправьте их и сохраните карточку.";
    return text;
}

CardSaveResult storeCard(AppState &state, const std::string &code, const CardSaveInput &input)
{
    CardRecords r = cardRecordsOfCode(state, code);
    if (r.main == 0) {
        throw FileError("Сотрудник с кодом " + cp1251ToUtf8(code) +
                        " не найден в основной таблице: карточка не сохранена");
    }
    const CardValues &v = input.values;
    LoadedTable &main = state.Osnova;
    LoadedTable &trud = state.Trud;

    // Everything that decides the history record, and the one conversion it needs, comes first,
    // so that a failure leaves the loaded tables as they were. An unselected list keeps the
    // stored number: it means the number names no record, not that the user cleared it.
    // The lists hand over the reference entry's number (NOM), not its place in the list: an
    // entry removed meanwhile must not move the employee to its neighbour.
    const std::string position = storedForm(v.positionNumber, fieldLength(main, schema::DOLZH));
    const std::string department = storedForm(v.departmentNumber, fieldLength(main, schema::OTDEL));

    const std::string postDate = dateToStr(v.postDate);
    const std::string contractDate = dateToStr(v.contractDate);
    const std::string annexDate = dateToStr(v.annexDate);
    const std::string workKind = intToStr(v.workKind);
    auto same = [&](std::string_view value, std::string_view field) {
        return storedForm(value, fieldLength(trud, field)) == fieldOf(trud, r.trud, field);
    };
    const bool unchanged = position == fieldOf(trud, r.trud, schema::DOLZH) &&
                           same(v.oklad, schema::OKLAD) && same(v.annexNo, schema::NOM_PRIL) &&
                           same(annexDate, schema::D_PRIL) &&
                           department == fieldOf(trud, r.trud, schema::OTDEL) &&
                           same(workKind, schema::VID_RAB) && same(postDate, schema::D_POST) &&
                           same(contractDate, schema::D_DOG) && same(v.contractNo, schema::NOM_DOG) &&
                           !input.statusChangePending;

    int historyRecord = 0; // 0: append one
    std::string changeNumber;
    if (!unchanged) {
        TIndex own = recordsWith(trud, schema::KOD, code);
        std::vector<int32_t> after(own.begin() + 1, own.end());
        if (input.mode == CardMode::NewEmployee && r.trud > 0)
            historyRecord = r.trud;
        else
            after.push_back(0);
        if (after.size() < 2) {
            changeNumber = "1";
        } else {
            // The number of the record before this one. An empty number (the blank record of a
            // new card closed without saving) counts as 0.
            const std::string previous = fieldOf(trud, after[after.size() - 2], schema::N_IZM);
            changeNumber = intToStr(int64_t{previous.empty() ? 0 : strToInt(previous)} + 1);
        }
    }

    const int m = r.main;
    setFieldOf(main, m, schema::NOM, v.nom);
    setFieldOf(main, m, schema::FIO, v.fio);
    setFieldOf(main, m, schema::DOLZH, position);
    setFieldOf(main, m, schema::OKLAD, v.oklad);
    setFieldOf(main, m, schema::INN, v.inn);
    setFieldOf(main, m, schema::STRAH_SVID, v.strahSvid);
    setFieldOf(main, m, schema::OTDEL, department);
    setFieldOf(main, m, schema::UVOLEN, v.dismissed ? "1" : "0");
    setFieldOf(main, m, schema::POL, v.female ? "f" : "m");

    LoadedTable &pass = state.Passport;
    if (r.passport == 0)
        r.passport = appendWithCode(pass, code);
    const int p = r.passport;
    setFieldOf(pass, p, schema::DATA_ROZHD, dateToStr(v.birthDate));
    setFieldOf(pass, p, schema::MESTO_ROZH, v.birthPlace);
    setFieldOf(pass, p, schema::PASSPORT, v.passport);
    setFieldOf(pass, p, schema::PASS_DATA, dateToStr(v.passDate));
    setFieldOf(pass, p, schema::PASS_KEM, v.passIssuer);
    setFieldOf(pass, p, schema::GRAZHD, v.citizenship);
    setFieldOf(pass, p, schema::VIZA_DATA, v.hasVisa ? dateToStr(v.visaDate) : std::string());
    setFieldOf(pass, p, schema::ADRESS, v.address);
    setFieldOf(pass, p, schema::TELEFON, v.phone);

    setFieldOf(main, m, schema::FOTO, v.photoPath);
    setFieldOf(main, m, schema::SOKR_FIO, v.sokrFio);
    setFieldOf(main, m, schema::FIO_KOGO, v.fioKogo);
    setFieldOf(main, m, schema::OBRAZ, intToStr(v.education));
    setFieldOf(main, m, schema::IN_JAZ, v.language);
    setFieldOf(main, m, schema::UROVEN, v.languageLevel);

    LoadedTable &voen = state.Voen;
    int militaryRecord = firstWith(voen, schema::KOD, code);
    if (v.military) {
        setFieldOf(main, m, schema::VOIN, "1");
        if (militaryRecord == 0)
            militaryRecord = appendWithCode(voen, code);
        setFieldOf(voen, militaryRecord, schema::KOD, code);
        for (size_t i = 0; i < MilitaryFields.size(); ++i)
            setFieldOf(voen, militaryRecord, MilitaryFields[i], v.militaryFields[i]);
    } else {
        setFieldOf(main, m, schema::VOIN, "0");
        for (std::string_view field : MilitaryFields)
            setFieldOf(voen, militaryRecord, field, "");
    }

    for (size_t i = 0; i < SeniorityFields.size(); ++i)
        setFieldOf(main, m, SeniorityFields[i], v.seniority[i]);

    CardSaveResult result;
    if (!unchanged) {
        if (historyRecord == 0) {
            historyRecord = AppendBlankRecord(trud);
        }
        const int h = historyRecord;
        setFieldOf(trud, h, schema::KOD, code);
        setFieldOf(trud, h, schema::D_IZM, dateToStr(input.changeDate));
        setFieldOf(trud, h, schema::N_IZM, changeNumber);
        setFieldOf(trud, h, schema::D_POST, postDate);
        setFieldOf(trud, h, schema::OTDEL, department);
        setFieldOf(trud, h, schema::OKLAD, v.oklad);
        setFieldOf(trud, h, schema::D_DOG, contractDate);
        setFieldOf(trud, h, schema::NOM_DOG, v.contractNo);
        setFieldOf(trud, h, schema::D_PRIL, annexDate);
        setFieldOf(trud, h, schema::NOM_PRIL, v.annexNo);
        setFieldOf(trud, h, schema::VID_RAB, workKind);
        setFieldOf(trud, h, schema::DOLZH, position);
        if (v.dismissalShown) {
            setFieldOf(trud, h, schema::D_UVOL, dateToStr(v.dismissalDate));
            setFieldOf(trud, h, schema::PR_UVOL, v.dismissalReason);
        } else {
            setFieldOf(trud, h, schema::D_UVOL, "");
            setFieldOf(trud, h, schema::PR_UVOL, cp("Востановлен"));
        }
        r.trud = h;
        result.historyAdded = true;
    }

    LoadedTable &dopoln = state.Dopoln;
    if (r.dopoln == 0)
        r.dopoln = appendWithCode(dopoln, code);
    for (int k = 1; k <= state.ExtraParamCount; ++k) {
        const size_t i = static_cast<size_t>(k - 1);
        setFieldOf(dopoln, r.dopoln, schema::dopolnFieldName(k),
                   i < v.extraValues.size() ? v.extraValues[i] : std::string());
    }

    if (recordHasCode(main, state.CurMainRec, code)) {
        state.CurMainRec = r.main;
        state.CurPassportRec = r.passport;
        state.CurTrudRec = r.trud;
        state.CurDopolnRec = r.dopoln;
    }
    result.records = r;
    return result;
}

void writeCardTables(AppState &state, const std::string &code, const CardCommit &how)
{
    std::string who = "карточка сотрудника";
    if (const int m = firstWith(state.Osnova, schema::KOD, code); m > 0)
        who += " " + cp1251ToUtf8(fieldOf(state.Osnova, m, schema::FIO));
    SaveSet save(state, who);
    save.by(how.origin);
    if (how.newEmployee)
        save.savesNewEmployee();
    if (!how.basis.codes.empty() || !how.basis.tables.empty())
        save.basedOn(how.basis, "После открытия карточки");
    addEmployeeTables(save, state);
    save.commit();
}

void removeEmployeeRecords(AppState &state, const std::string &code)
{
    if (code.empty())
        return;
    for (LoadedTable *t : {&state.Osnova, &state.Passport, &state.Trud, &state.Semja, &state.Obraz,
                           &state.Voen, &state.Dopoln}) {
        const TIndex found = recordsWith(*t, schema::KOD, code);
        // From the highest number down, so the numbers still to delete stay valid.
        for (size_t i = found.size(); i-- > 1;)
            DeleteRecord(*t, found[i]);
    }
}

} // namespace veltor
