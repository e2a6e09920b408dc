#include "listtools/SettingsLogic.h"

#include "records/DatabaseLock.h"
#include "records/Startup.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"

namespace veltor {
namespace {

std::string paramCaption(int k) { return cp("Дополнительный ") + std::to_string(k); }

void setNamed(LoadedTable &t, int record, std::string_view field, std::string_view value)
{
    SetField(t, record, field, value);
}

// First record whose field holds exactly `value` (trimmed); 0 when none.
int recordWithValue(const LoadedTable &t, std::string_view field, std::string_view value)
{
    const int f = FieldIndex(t.Header, field);
    if (f < 1)
        return 0;
    for (int r = 1; r <= t.Header.RecordCount; ++r)
        if (GetField(t.Header, t.Data, r, f) == value)
            return r;
    return 0;
}

} // namespace

void addExtraParams(AppState &state, int n, int m)
{
    for (int k = n + 1; k <= m; ++k) {
        const std::string key = schema::dopolnFieldName(k);
        LoadedTable &stolb = state.Stolb;
        const int stolbCount = stolb.Header.RecordCount;
        // The new column takes the number after the last one; no column yet starts at 1.
        const int nom = stolbCount > 0
            ? strToInt(GetField(stolb.Header, stolb.Data, stolbCount, FieldIndex(stolb.Header, schema::NOM))) + 1
            : 1;

        // A parameter already described (added by a save that then failed to write) is not
        // added twice.
        LoadedTable &konst = state.Konstanty;
        if (!recordWithValue(konst, schema::PEREMEN, key)) {
            const int r = AppendBlankRecord(konst);
            setNamed(konst, r, schema::N, std::to_string(r));
            setNamed(konst, r, schema::PEREMEN, key);
            setNamed(konst, r, schema::NAIMEN, paramCaption(k));
            setNamed(konst, r, schema::ZNACHEN, paramCaption(k));
        }

        if (FieldIndex(state.Dopoln.Header, key) < 1) {
            TTableHeader header = state.Dopoln.Header;
            std::string data = state.Dopoln.Data;
            AddField(header, data, key, schema::DopolnFieldLength, 'C');
            ReplaceTable(state.Dopoln, std::move(header), std::move(data));
        }

        if (recordWithValue(stolb, schema::POLE_BAZY, key))
            continue;
        const int s = AppendBlankRecord(stolb);
        setNamed(stolb, s, schema::NOM, std::to_string(nom));
        setNamed(stolb, s, schema::STOLB_GRID, paramCaption(k));
        setNamed(stolb, s, schema::SHIRINA, "30");
        setNamed(stolb, s, schema::POLE_BAZY, key);
        setNamed(stolb, s, schema::NOMER_BAZY, "5");
        setNamed(stolb, s, schema::POKAZ, "0");
    }
}

void removeExtraParams(AppState &state, int n, int m)
{
    for (int k = n; k > m; --k) {
        const std::string key = schema::dopolnFieldName(k);
        if (const int r = recordWithValue(state.Konstanty, schema::PEREMEN, key))
            DeleteRecord(state.Konstanty, r);
        if (const int f = FieldIndex(state.Dopoln.Header, key); f > 0) {
            TTableHeader header;
            std::string data;
            DeleteField(state.Dopoln.Header, state.Dopoln.Data, f, data, header);
            ReplaceTable(state.Dopoln, std::move(header), std::move(data));
        }
        if (const int s = recordWithValue(state.Stolb, schema::POLE_BAZY, key))
            DeleteRecord(state.Stolb, s);
    }
}

bool switchDatabase(AppState &state, const std::string &mainTablePath, std::string &error)
{
    AppState fresh;
    fresh.ProgramFolder = state.ProgramFolder;
    fresh.MainTablePath = mainTablePath;
    auto lock = std::make_shared<DatabaseLock>();
    if (!lock->acquire(fresh.databaseFolder())) {
        error = lock->heldMessage();
        return false;
    }
    try {
        loadPersonnelTables(fresh);
    } catch (const std::exception &e) {
        error = e.what();
        return false;
    }
    // Only now is the old folder let go: a refused switch keeps it locked.
    if (state.Lock)
        state.Lock->release();
    state.Lock = std::move(lock);
    // A folder chosen here is the database from now on, even when a server one was open.
    state.Storage.reset();
    state.ReadOnly = false;
    state.HighestCode = fresh.HighestCode;
    state.MainTablePath = mainTablePath;
    state.Osnova = std::move(fresh.Osnova);
    state.Otdel = std::move(fresh.Otdel);
    state.Dolzh = std::move(fresh.Dolzh);
    state.Semja = std::move(fresh.Semja);
    state.Trud = std::move(fresh.Trud);
    state.Passport = std::move(fresh.Passport);
    state.Obraz = std::move(fresh.Obraz);
    state.Voen = std::move(fresh.Voen);
    state.Dopoln = std::move(fresh.Dopoln);
    state.TipDok = std::move(fresh.TipDok);
    state.TablesLoaded = true;
    // Record numbers of the old database mean nothing in the new one.
    state.CurMainRec = state.CurPassportRec = state.CurTrudRec = state.CurDopolnRec = 0;
    state.CurrentCodeList = "-1";
    state.RecordsDeleted = false;
    announceReadAnew(state, "открыта другая база данных");
    return true;
}

void addProgramTables(SaveSet &save, AppState &state)
{
    // A table without fields was never read; writing it would replace the file with nothing.
    for (LoadedTable *table : {&state.Stolb, &state.Konstanty, &state.Pechat})
        if (table->Loaded && FieldCount(table->Header) > 0)
            save.add(*table);
}

bool isPersonConstant(const AppState &state, int record)
{
    const LoadedTable &k = state.Konstanty;
    const std::string key = GetField(k.Header, k.Data, record, FieldIndex(k.Header, schema::PEREMEN));
    return key == schema::DIREKTOR || key == schema::GL_BUH || key == schema::KADROVIK;
}

std::string constantShownValue(const AppState &state, int record)
{
    const LoadedTable &k = state.Konstanty;
    const std::string value = GetField(k.Header, k.Data, record, FieldIndex(k.Header, schema::ZNACHEN));
    if (value.empty() || !isPersonConstant(state, record))
        return value;
    int code = 0;
    if (!tryStrToInt(value, code))
        return value;
    const LoadedTable &main = state.Osnova;
    const int r = nomerstrokipokodu(main.Header, main.Data, code);
    return r > 0 ? GetField(main.Header, main.Data, r, FieldIndex(main.Header, schema::FIO)) : value;
}

} // namespace veltor
