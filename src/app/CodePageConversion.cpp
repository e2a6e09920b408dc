#include "app/CodePageConversion.h"

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
    convertCp866ToCp1251(state.Osnova.Data);
}

void saveMainTable(const AppState &state)
{
    if (!state.TablesLoaded || state.MainTablePath.empty())
        throw FileError("Базы не загружены. Настройте программу.");
    WriteTable(mainTableFile(state), state.Osnova);
}

void rereadMainTable(AppState &state)
{
    ReadTable(mainTableFile(state), state.Osnova.Header, state.Osnova.Data);
}

} // namespace veltor
