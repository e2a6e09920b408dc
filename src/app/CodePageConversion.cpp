#include "app/CodePageConversion.h"

#include "records/Commit.h"
#include "records/Startup.h"
#include "storage/Schema.h"
#include "storage/FileNames.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

namespace veltor {

namespace {
std::filesystem::path mainTableFile(const AppState &state)
{
    return resolvePath(pathFromCp1251(state.MainTablePath));
}
} // namespace

void convertMainTableFromDos(AppState &state)
{
    if (!state.TablesLoaded || state.MainTablePath.empty())
        throw FileError("Базы не загружены. Настройте программу.");
    std::string data = state.Osnova.Data;
    convertCp866ToCp1251(data);
    // The end-of-file byte is no text.
    if (!data.empty())
        data.back() = '\x1A';
    // A code page the file declared (a DOS one) no longer describes the records: other readers
    // are told they are Windows-1251 now.
    TTableHeader header = state.Osnova.Header;
    if (header.Form.CodePage != 0)
        header.Form.CodePage = 0xC9;
    ReplaceTable(state.Osnova, std::move(header), std::move(data));
}

void saveMainTable(AppState &state)
{
    if (!state.TablesLoaded || state.MainTablePath.empty())
        throw FileError("Базы не загружены. Настройте программу.");
    SaveSet(state, "перевод основной таблицы в кодировку WIN").add(state.Osnova).commit();
}

void rereadMainTable(AppState &state)
{
    if (state.Storage && state.Storage->isServer())
        readDatabaseTable(state, schema::OsnovaTable, state.Osnova);
    else
        ReadTable(mainTableFile(state), state.Osnova);
}

} // namespace veltor
