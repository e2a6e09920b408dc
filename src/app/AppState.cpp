#include "app/AppState.h"

#include "storage/FileNames.h"

namespace veltor {

std::filesystem::path AppState::databaseFolder() const
{
    return pathFromCp1251(MainTablePath).parent_path();
}

std::filesystem::path AppState::databaseFile(std::string_view name) const
{
    return resolveFileName(databaseFolder(), name);
}

std::filesystem::path AppState::programFile(std::string_view name) const
{
    return resolveFileName(ProgramFolder, name);
}

} // namespace veltor
