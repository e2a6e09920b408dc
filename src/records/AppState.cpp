#include "records/AppState.h"

#include "storage/FileNames.h"
#include "storage/Schema.h"

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

std::filesystem::path AppState::fileOf(const LoadedTable &table) const
{
    if (&table == &Osnova)
        return resolvePath(pathFromCp1251(MainTablePath));
    const std::pair<const LoadedTable *, std::string_view> database[] = {
        {&Otdel, schema::OtdelTable},     {&Dolzh, schema::DolzhTable}, {&Semja, schema::SemjaTable},
        {&Trud, schema::TrudTable},       {&Passport, schema::PassportTable},
        {&Obraz, schema::ObrazTable},     {&Voen, schema::VoenTable},   {&Dopoln, schema::DopolnTable},
        {&TipDok, schema::TipDokTable},
    };
    for (const auto &[member, name] : database)
        if (&table == member)
            return databaseFile(name);
    const std::pair<const LoadedTable *, std::string_view> program[] = {
        {&Stolb, schema::StolbTable}, {&Konstanty, schema::KonstantyTable}, {&Pechat, schema::PechatTable}};
    for (const auto &[member, name] : program)
        if (&table == member)
            return programFile(name);
    return {};
}

DatabaseStorage &AppState::storage() const
{
    static FolderStorage folder;
    return Storage ? *Storage : folder;
}

std::filesystem::path AppState::journalFile() const
{
    if (Storage && Storage->isServer())
        return ProgramFolder / "veltor.journal";
    return databaseFolder() / "veltor.journal";
}

} // namespace veltor
