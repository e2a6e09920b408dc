#include "records/Startup.h"

#include "records/CodeIndex.h"
#include "records/Storage.h"

#include "storage/FileIO.h"
#include "storage/FileNames.h"
#include "storage/TableCommit.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Errors.h"

#include <algorithm>
#include <exception>
#include <future>
#include <optional>
#include <fstream>
#include <sstream>

namespace veltor {
namespace {

std::vector<std::string> readLines(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw FileError("Не удается открыть файл \"" + file.string() + "\"");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace

void readConfigIni(const std::filesystem::path &file, AppState &state)
{
    const std::vector<std::string> lines = readLines(file);
    size_t next = 0;
    // Reading past the end of the file yields empty lines.
    auto readLine = [&]() -> std::string { return next < lines.size() ? lines[next++] : std::string(); };

    std::string current = readLine();
    if (current == "[PUT]") {
        state.MainTablePath = readLine();
        current = readLine();
    }
    if (current == "[DOK]") {
        state.TemplatesFolder = readLine();
        current = readLine();
    }
    if (current == "[VYVOD]") {
        state.OutputFolder = readLine();
        current = readLine();
    }
    if (current == "[INTERFACE]") {
        state.InterfaceMode = strToInt(readLine());
        current = readLine();
    }
    if (current == "[VID]")
        current = readLine();
    state.VidValue = current;
}

std::string configIniBytes(const AppState &state, bool previewShown)
{
    std::ostringstream out;
    out << "[PUT]\r\n" << state.MainTablePath << "\r\n"
        << "[DOK]\r\n" << state.TemplatesFolder << "\r\n"
        << "[VYVOD]\r\n" << state.OutputFolder << "\r\n"
        << "[INTERFACE]\r\n" << state.InterfaceMode << "\r\n"
        << "[VID]\r\n" << (previewShown ? 1 : 0) << state.PositionListMode << "\r\n";
    return out.str();
}

void writeConfigIni(const std::filesystem::path &file, const AppState &state, bool previewShown)
{
    std::ostringstream out;
    out << configIniBytes(state, previewShown);
    const std::filesystem::path temp = file.string() + ".tmp";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        f << out.str();
        f.flush();
        if (!f)
            throw FileError("Не удается записать файл \"" + file.string() + "\"");
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        throw FileError("Не удается записать файл \"" + file.string() + "\"");
    }
}

std::vector<TColumnSetting> columnSettingsFromStolb(const LoadedTable &stolb)
{
    const TTableHeader &h = stolb.Header;
    const int caption = FieldIndex(h, "STOLB_GRID");
    const int width = FieldIndex(h, "SHIRINA");
    const int field = FieldIndex(h, "POLE_BAZY");
    const int table = FieldIndex(h, "NOMER_BAZY");
    const int shown = FieldIndex(h, "POKAZ");
    std::vector<TColumnSetting> settings;
    for (int r = 1; r <= h.RecordCount; ++r) {
        TColumnSetting s;
        s.Caption = GetField(h, stolb.Data, r, caption);
        s.Width = strToInt(GetField(h, stolb.Data, r, width));
        s.FieldName = GetField(h, stolb.Data, r, field);
        s.TableNo = GetField(h, stolb.Data, r, table);
        s.Shown = GetField(h, stolb.Data, r, shown);
        settings.push_back(std::move(s));
    }
    return settings;
}

int extraParamCount(const LoadedTable &konstanty)
{
    // A Konstanty with fewer than its seven fixed constants (an empty one made at start-up)
    // describes no additional parameter.
    return std::max(0, konstanty.Header.RecordCount - 7);
}

namespace {

struct PersonnelTable {
    std::string_view name;
    LoadedTable AppState::*table;
};

// In the order start-up reads them; osnova.dbf stands for the file of MainTablePath.
constexpr PersonnelTable PersonnelTables[] = {
    {schema::OsnovaTable, &AppState::Osnova},     {schema::OtdelTable, &AppState::Otdel},
    {schema::DolzhTable, &AppState::Dolzh},       {schema::SemjaTable, &AppState::Semja},
    {schema::TrudTable, &AppState::Trud},         {schema::PassportTable, &AppState::Passport},
    {schema::ObrazTable, &AppState::Obraz},       {schema::VoenTable, &AppState::Voen},
    {schema::DopolnTable, &AppState::Dopoln},     {schema::TipDokTable, &AppState::TipDok},
};

void updateTablesLoaded(AppState &state)
{
    state.TablesLoaded = missingTables(state).empty();
}

} // namespace

void readDatabaseTable(const AppState &state, std::string_view name, LoadedTable &table)
{
    state.storage().readTable(state, name, table);
}

int32_t highestCode(const LoadedTable &table)
{
    const int kod = FieldIndex(table.Header, schema::KOD);
    if (kod < 1)
        return 0;
    int32_t highest = 0;
    for (int r = 1; r <= table.Header.RecordCount; ++r) {
        int32_t code = 0;
        if (tryStrToInt(GetField(table.Header, table.Data, r, kod), code))
            highest = std::max(highest, code);
    }
    return highest;
}

std::vector<std::string> missingTables(const AppState &state)
{
    std::vector<std::string> names;
    for (const PersonnelTable &t : PersonnelTables)
        if (!(state.*t.table).Loaded)
            names.emplace_back(t.name);
    return names;
}

void requireLoaded(const AppState &state, std::initializer_list<const LoadedTable *> tables)
{
    std::string names;
    for (const PersonnelTable &t : PersonnelTables) {
        const LoadedTable *table = &(state.*t.table);
        if (!table->Loaded && std::find(tables.begin(), tables.end(), table) != tables.end())
            names += (names.empty() ? "" : ", ") + std::string(t.name);
    }
    if (!names.empty()) {
        throw FileError("Не загружены таблицы: " + names +
                        ". Ничего не записано; проверьте базы и выберите \"Показать всех\".");
    }
}

namespace {

// The tables whose codes a new employee's code must stay above: besides the main table and the
// history, the orders' tables, which keep the codes of dismissed and deleted employees.
constexpr std::string_view OrderTables[] = {schema::ZhurDokTable, schema::PriemTable, schema::UvolTable,
                                            schema::OtpuskTable, schema::KomandTable};

// The highest code an order table keeps; 0 for a damaged one, which the orders window reports
// when it opens it. The table itself is not kept: the orders window reads it when it opens.
int32_t highestOrderCode(const AppState &state, std::string_view name)
{
    try {
        return state.storage().highestEmployeeCode(state, name);
    } catch (const VeltorError &) {
        return 0;
    }
}

// Reads the tables as reading them one after another in this order would: the first failure is
// raised, the tables before it are read and those after it are left as they were. A folder's
// files are read side by side, each on its own thread.
void readDatabaseTables(AppState &state, std::initializer_list<std::pair<std::string_view, LoadedTable *>> tables)
{
    if (!state.storage().readsSideBySide()) {
        for (const auto &[name, table] : tables)
            readDatabaseTable(state, name, *table);
        return;
    }
    std::vector<LoadedTable> read(tables.size());
    std::vector<std::future<void>> reads;
    size_t i = 0;
    for (const auto &[name, table] : tables) {
        LoadedTable *into = &read[i++];
        reads.push_back(std::async(std::launch::async, [&state, name = name, into] { readDatabaseTable(state, name, *into); }));
    }
    std::exception_ptr failure;
    for (std::future<void> &done : reads) {
        try {
            done.get();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    // Up to the first that failed, which its reading left not Loaded.
    i = 0;
    for (const auto &[name, table] : tables) {
        const bool failed = !read[i].Loaded;
        *table = std::move(read[i++]);
        if (failed)
            break;
    }
    if (failure)
        std::rethrow_exception(failure);
}

void noteBytesPastRecords(const AppState &state, const LoadedTable &table, OpeningReport &report)
{
    if (table.Loaded && table.BytesPastRecords > 0) {
        report.warnings.push_back("Таблица «" + pathToUtf8(state.fileOf(table)) + "» содержит " +
                                  std::to_string(table.BytesPastRecords) +
                                  " байт после последней записи; они не являются записями и не будут прочитаны.");
    }
}

} // namespace

OpeningReport prepareDatabaseFolder(const AppState &state)
{
    OpeningReport report;
    const std::filesystem::path folder = state.databaseFolder();
    // A copy that opened the database read-only leaves the journal and the files to the copy
    // that writes them: that one may be committing right now.
    if (!state.ReadOnly)
        if (const std::optional<std::string> undone = rollBackJournal(state.journalFile()))
            report.undoneSave = *undone;

    std::vector<std::string_view> names;
    for (const PersonnelTable &t : PersonnelTables)
        names.push_back(t.name);
    names.insert(names.end(), std::begin(OrderTables), std::end(OrderTables));
    const std::filesystem::path mainFile = pathFromCp1251(state.MainTablePath).filename();
    // One listing of the folder serves every name checked below.
    const FolderListing listing(folder);
    for (std::string_view name : names) {
        const std::string fileName = name == schema::OsnovaTable ? pathToUtf8(mainFile) : std::string(name);
        const std::vector<std::filesystem::path> alike = listing.named(fileName);
        if (alike.size() > 1) {
            throw FileError("В папке базы данных два файла одной таблицы, имена которых отличаются только регистром "
                            "букв: «" + pathToUtf8(alike[0]) + "» и «" + pathToUtf8(alike[1]) +
                            "». Оставьте один из них (другой переименуйте или перенесите) и запустите программу снова.");
        }
        // Older versions wrote a table to "<table>.new" and renamed it; one left behind by a
        // stop before the rename is dropped once the table itself reads.
        const std::vector<std::filesystem::path> leftovers = listing.named(fileName + ".new");
        if (leftovers.empty() || state.ReadOnly)
            continue;
        const std::filesystem::path table = resolveFileName(folder, fileName);
        try {
            ReadTable(table);
        } catch (const VeltorError &) {
            continue; // the leftover may be all that is left of the table: kept for the user
        }
        for (const std::filesystem::path &leftover : leftovers) {
            removeFile(leftover);
            report.removedLeftovers.push_back(pathToUtf8(leftover));
        }
    }
    return report;
}

namespace {

// The reading of reloadListTables, inside a reading of the storage that the caller holds.
OpeningReport readListTables(AppState &state)
{
    state.TablesLoaded = false;
    OpeningReport report = state.storage().prepare(state);
    // The order tables are read only for the codes they keep: beside the personnel tables where
    // the storage reads side by side, else after them.
    const std::launch when = state.storage().readsSideBySide() ? std::launch::async : std::launch::deferred;
    std::vector<std::future<int32_t>> orderCodes;
    for (std::string_view name : OrderTables)
        if (state.storage().hasTable(state, name))
            orderCodes.push_back(std::async(when, [&state, name] { return highestOrderCode(state, name); }));
    // A deletion also removed the employee's records from Obraz, Voen and Dopoln: re-read, so
    // that an employee who returns to the list returns whole.
    readDatabaseTables(state, {{schema::OsnovaTable, &state.Osnova},
                               {schema::OtdelTable, &state.Otdel},
                               {schema::DolzhTable, &state.Dolzh},
                               {schema::SemjaTable, &state.Semja},
                               {schema::TrudTable, &state.Trud},
                               {schema::PassportTable, &state.Passport},
                               {schema::ObrazTable, &state.Obraz},
                               {schema::VoenTable, &state.Voen},
                               {schema::DopolnTable, &state.Dopoln}});
    // After a start-up that stopped part-way this is how the user gets the rest; a table never
    // loaded holds nothing that re-reading could drop.
    if (!state.TipDok.Loaded)
        readDatabaseTable(state, schema::TipDokTable, state.TipDok);
    state.RecordsDeleted = false;
    updateTablesLoaded(state);
    for (const PersonnelTable &t : PersonnelTables)
        if (t.name != schema::TipDokTable)
            noteBytesPastRecords(state, state.*t.table, report);

    // The indexes kept by code serve the list filled next as well.
    prepareIndexesByCode({&state.Osnova, &state.Trud});
    int32_t highest = std::max(indexByCode(state.Osnova).highestValue(), indexByCode(state.Trud).highestValue());
    for (std::future<int32_t> &codes : orderCodes)
        highest = std::max(highest, codes.get());
    state.HighestCode = std::max(state.HighestCode, highest);
    return report;
}

} // namespace

OpeningReport loadPersonnelTables(AppState &state)
{
    state.TablesLoaded = false;
    // Every table of a start-up comes from one state of the database, however many connections
    // read them and whatever other programs commit meanwhile.
    const StorageReading reading(state.storage());
    // The tables the list shows come first, in the same order showing all employees re-reads them.
    OpeningReport report = readListTables(state);
    readDatabaseTable(state, schema::TipDokTable, state.TipDok);
    updateTablesLoaded(state);
    noteBytesPastRecords(state, state.TipDok, report);
    return report;
}

OpeningReport reloadListTables(AppState &state)
{
    const StorageReading reading(state.storage());
    return readListTables(state);
}

SaveSet &addEmployeeTables(SaveSet &save, AppState &state)
{
    requireLoaded(state, {&state.Osnova, &state.Semja, &state.Passport, &state.Obraz, &state.Trud,
                          &state.Voen, &state.Dopoln});
    for (LoadedTable *t : employeeTables(state))
        save.add(*t);
    return save;
}

void writeTablesAfterDeletion(AppState &state)
{
    SaveSet save(state, "удаление сотрудников");
    // A failed write keeps the confirmed deletion in memory: the user may free the disk and retry.
    save.keepChangesOnFailure();
    addEmployeeTables(save, state);
    save.commit();
}

} // namespace veltor
