#include "storage/Schema.h"

#include <system_error>

#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "text/Errors.h"

namespace veltor::schema {

std::string dopolnFieldName(int k)
{
    return std::string(DOPOLN) + std::to_string(k);
}

namespace {

void createTables(const std::filesystem::path &folder, const auto &tables)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw FileError("Не удается создать папку \"" + pathToUtf8(folder) +
                        "\": " + error.message());
    }
    for (const TableDefinition &table : tables)
        CreateTableFile(resolveFileName(folder, table.fileName), table.structure, 0);
}

} // namespace

void createEmptyDatabase(const std::filesystem::path &folder)
{
    createTables(folder, PersonnelTables);
}

void createProgramTables(const std::filesystem::path &folder)
{
    createTables(folder, ProgramTables);
}

} // namespace veltor::schema
