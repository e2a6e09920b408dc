#include "records/Commit.h"

#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Convert.h"

#include <QString>

#include <algorithm>

namespace veltor {

std::array<LoadedTable *, 7> employeeTables(AppState &state)
{
    return {&state.Osnova, &state.Semja, &state.Passport, &state.Obraz, &state.Trud, &state.Voen, &state.Dopoln};
}

void announceReadAnew(AppState &state, const std::string &description)
{
    state.Versions.readAnew(description);
    if (state.Notifier)
        emit state.Notifier->readAnew();
}

namespace {

bool isEmployeeTable(AppState &state, const LoadedTable *table)
{
    const auto all = employeeTables(state);
    return std::find(all.begin(), all.end(), table) != all.end();
}

} // namespace

std::string tableKey(const AppState &state, const LoadedTable &table)
{
    if (&table == &state.Osnova)
        return std::string(schema::OsnovaTable);
    const std::filesystem::path file = state.fileOf(table);
    return file.empty() ? std::string() : pathToQString(file.filename()).toLower().toStdString();
}

std::string staleMessage(const std::set<std::string> &changes, const std::string &since)
{
    std::string what;
    for (const std::string &c : changes)
        what += (what.empty() ? "" : "; ") + (c.empty() ? std::string("другое сохранение") : c);
    return since + " сохранено: " + what +
           ". Ничего не записано: откройте текущие данные и повторите изменение.";
}

SaveSet::SaveSet(AppState &state, std::string description)
    : m_state(state), m_description(std::move(description))
{
}

SaveSet &SaveSet::add(LoadedTable &table)
{
    return add(table, m_state.fileOf(table));
}

SaveSet &SaveSet::add(LoadedTable &table, const std::filesystem::path &file)
{
    for (const CommitFile &f : m_files)
        if (f.table == &table)
            return *this;
    if (!m_state.PendingNewEmployee.empty() && !m_savesNewEmployee && isEmployeeTable(m_state, &table))
        throw FileError("Сначала сохраните или отмените карточку нового сотрудника: пока она открыта, " +
                        m_description + " не сохраняется.");
    m_files.push_back({resolvePath(file), &table, {}});
    const std::string key = tableKey(m_state, table);
    m_keys.push_back(key.empty() ? pathToQString(file.filename()).toLower().toStdString() : key);
    return *this;
}

SaveSet &SaveSet::addFile(const std::filesystem::path &file, std::string bytes)
{
    m_files.push_back({resolvePath(file), nullptr, std::move(bytes)});
    m_keys.push_back(pathToQString(file.filename()).toLower().toStdString());
    return *this;
}

SaveSet &SaveSet::basedOn(VersionStamp stamp, std::string since)
{
    m_basis = std::move(stamp);
    m_since = std::move(since);
    m_hasBasis = true;
    return *this;
}

SaveSet &SaveSet::savesNewEmployee()
{
    m_savesNewEmployee = true;
    return *this;
}

SaveSet &SaveSet::by(const void *origin)
{
    m_origin = origin;
    return *this;
}

void SaveSet::takeBack()
{
    for (CommitFile &f : m_files)
        if (f.table != nullptr)
            RevertChanges(*f.table);
    // A deletion not yet written lives in the seven tables of employees' records; taken back in
    // some of them only, an employee would return without his history. It is taken back whole.
    if (m_state.RecordsDeleted) {
        for (LoadedTable *t : employeeTables(m_state))
            RevertChanges(*t);
        m_state.RecordsDeleted = false;
    }
}

void SaveSet::abandon()
{
    takeBack();
}

SaveSet &SaveSet::keepChangesOnFailure()
{
    m_keepOnFailure = true;
    return *this;
}

RecordChange SaveSet::commit()
{
    if (m_state.ReadOnly) {
        takeBack();
        throw FileError("База данных открыта только для чтения: " + m_description + " не сохранено.");
    }
    if (m_hasBasis) {
        const std::set<std::string> changes = m_state.Versions.changedSince(m_basis);
        if (!changes.empty()) {
            takeBack();
            throw StaleRecords(staleMessage(changes, m_since));
        }
    }

    // A confirmed deletion not yet written lives in the seven tables of employees' records.
    // Written with some of them only, a deleted employee would stay in one table and lose his
    // records in another: a commit that touches any of them carries the deletion whole.
    const bool carriesDeletion = m_state.RecordsDeleted && std::any_of(m_files.begin(), m_files.end(), [&](const CommitFile &f) {
        return isEmployeeTable(m_state, f.table);
    });
    if (carriesDeletion)
        for (LoadedTable *t : employeeTables(m_state))
            add(*t);

    RecordChange change;
    change.description = m_description;
    change.origin = m_origin;
    for (size_t i = 0; i < m_files.size(); ++i) {
        const CommitFile &f = m_files[i];
        if (f.table == nullptr || !HasChanges(*f.table))
            continue;
        change.tables.insert(m_keys[i]);
        for (const std::string &code : f.table->Changes.codes) {
            int32_t value = 0;
            if (tryStrToInt(code, value))
                change.codes.insert(value);
        }
    }

    try {
        m_state.storage().commit(m_state, m_description, m_files, m_keys, change);
    } catch (const StaleRecords &) {
        takeBack();
        throw;
    } catch (const TableChangedOnDisk &) {
        if (!m_keepOnFailure)
            takeBack();
        throw;
    } catch (const FileError &e) {
        if (!m_keepOnFailure)
            takeBack();
        throw FileError("Не удалось сохранить (" + m_description + "): " + e.what() + ". Ничего не сохранено.");
    }

    if (carriesDeletion)
        m_state.RecordsDeleted = false;
    for (const int32_t code : change.codes)
        m_state.HighestCode = std::max(m_state.HighestCode, code);
    m_state.Versions.bump(change);
    if (m_state.Notifier)
        emit m_state.Notifier->committed(change);
    return change;
}

} // namespace veltor
