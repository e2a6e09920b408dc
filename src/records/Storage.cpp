#include "records/Storage.h"

#include "records/AppState.h"
#include "records/Startup.h"
#include "storage/FileIO.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Convert.h"

namespace veltor {

int32_t DatabaseStorage::highestEmployeeCode(const AppState &state, std::string_view name)
{
    LoadedTable table;
    readTable(state, name, table);
    return highestCode(table);
}

std::string FolderStorage::describe(const AppState &state) const
{
    return "папка " + pathToUtf8(state.databaseFolder());
}

OpeningReport FolderStorage::prepare(const AppState &state)
{
    return prepareDatabaseFolder(state);
}

bool FolderStorage::hasTable(const AppState &state, std::string_view name)
{
    return fileExists(state.databaseFile(name));
}

void FolderStorage::readTable(const AppState &state, std::string_view name, LoadedTable &table)
{
    if (name == schema::OsnovaTable)
        ReadTable(resolvePath(pathFromCp1251(state.MainTablePath)), table);
    else
        ReadTable(state.databaseFile(name), table);
}

void FolderStorage::commit(AppState &state, std::string_view description, std::vector<CommitFile> &files,
                           const std::vector<std::string> &, const RecordChange &)
{
    commitFiles(state.journalFile(), description, files);
}

} // namespace veltor
