#include "DemoInstall.h"

#include <system_error>

#include "DemoDatabase.h"
#include "DemoFiles.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

namespace veltor::demo {
namespace {

namespace fs = std::filesystem;

fs::path absoluteFolder(const fs::path &folder)
{
    fs::path result = fs::absolute(folder).lexically_normal();
    if (!result.has_filename() && result.has_parent_path() && result != result.root_path())
        result = result.parent_path();
    return result;
}

bool isSameOrInside(const fs::path &inner, const fs::path &outer)
{
    std::error_code error;
    const fs::path a = fs::weakly_canonical(inner, error);
    const fs::path b = fs::weakly_canonical(outer, error);
    auto i = a.begin();
    for (auto j = b.begin(); j != b.end(); ++j, ++i) {
        if (j->empty())
            continue; // the empty last element of a path ending with a separator
        if (i == a.end() || *i != *j)
            return false;
    }
    return true;
}

// The installation root as stored in tables and config.ini: CP1251 text with '/' separators.
std::string rootText(const fs::path &runFolder)
{
    const fs::path generic(runFolder.generic_u8string());
    const std::string text = pathToCp1251(generic);
    if (cp1251ToUtf8(text) != pathToUtf8(generic)) {
        throw FileError(
            "Путь \"" + pathToUtf8(runFolder) +
            "\" содержит знаки, которых нет в кодировке Windows-1251; выберите другую папку");
    }
    return text;
}

// Replaces the placeholder root at the start of `field` in every record of the table.
void pointPathsAt(const fs::path &tableFile, std::string_view field, const std::string &root)
{
    LoadedTable table = ReadTable(tableFile);
    const int index = FieldIndex(table.Header, field);
    if (index < 1)
        throw FileError("В таблице \"" + pathToUtf8(tableFile) + "\" нет поля " +
                        std::string(field));
    for (int record = 1; record <= table.Header.RecordCount; ++record) {
        const std::string value = GetField(table.Header, table.Data, record, index);
        if (!value.starts_with(RootPlaceholder))
            continue;
        const std::string path = root + value.substr(RootPlaceholder.size());
        // A cut path would name another file: refuse instead.
        if (path.size() > table.Header.FieldLengths[index]) {
            throw FileError("Путь \"" + cp1251ToUtf8(path) + "\" длиннее поля " +
                            std::string(field) + " таблицы \"" + pathToUtf8(tableFile) + "\" (" +
                            std::to_string(table.Header.FieldLengths[index]) +
                            " знаков); выберите папку с более коротким путем");
        }
        SetField(table.Header, record, index, table.Data, path);
    }
    WriteTable(tableFile, table);
}

void copyProgramFiles(const fs::path &from, const fs::path &to)
{
    std::error_code error;
    for (fs::directory_iterator entry(from, error), end; !error && entry != end;
         entry.increment(error)) {
        if (!entry->is_regular_file())
            continue;
        fs::copy_file(entry->path(), to / entry->path().filename(),
                      fs::copy_options::overwrite_existing, error);
        if (error) {
            throw FileError("Не удается скопировать файл \"" + pathToUtf8(entry->path()) +
                            "\": " + error.message());
        }
    }
    if (error)
        throw FileError("Не удается прочитать папку \"" + pathToUtf8(from) +
                        "\": " + error.message());
}

void requireFolder(const fs::path &folder)
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        throw FileError("Не найдена папка \"" + pathToUtf8(folder) + "\"");
}

} // namespace

std::string configIni(const fs::path &runFolder)
{
    const std::string root = rootText(runFolder);
    const std::string lines[] = {
        "[PUT]",       root + "/database/" + std::string(schema::OsnovaTable),
        "[DOK]",       root + "/templates/",
        "[VYVOD]",     root + "/output/",
        "[INTERFACE]", "0",
        "[VID]",       "11",
    };
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}

void installDemo(const fs::path &demoFolder, const fs::path &runFolder)
{
    const fs::path demo = absoluteFolder(demoFolder);
    const fs::path run = absoluteFolder(runFolder);
    requireFolder(demo / "database");
    requireFolder(demo / "program");
    if (isSameOrInside(run, demo)) {
        throw FileError("Папка установки \"" + pathToUtf8(run) +
                        "\" не может лежать внутри папки демонстрационной базы \"" +
                        pathToUtf8(demo) + "\"");
    }
    const fs::path database = run / "database";
    std::error_code error;
    if (fs::exists(database, error)) {
        throw FileError(
            "Папка \"" + pathToUtf8(database) +
            "\" уже есть; установка не перезаписывает рабочую базу, удалите ее сначала");
    }
    const std::string root = rootText(run);
    const std::string config = configIni(run);

    createFolder(run);
    const fs::path staging = run / ".database.install";
    fs::remove_all(staging, error);
    try {
        copyFolderContents(demo / "database", staging);
        pointPathsAt(resolveFileName(staging, schema::OsnovaTable), schema::FOTO, root);

        copyProgramFiles(demo / "program", run);
        pointPathsAt(resolveFileName(run, schema::PechatTable), schema::FAIL, root);
        if (fs::is_directory(demo / "templates", error))
            copyFolderContents(demo / "templates", run / "templates");
        else
            createFolder(run / "templates");
        createFolder(run / "output");
        writeFile(run / "config.ini", config);

        fs::rename(staging, database, error);
        if (error) {
            throw FileError("Не удается переименовать папку \"" + pathToUtf8(staging) + "\" в \"" +
                            pathToUtf8(database) + "\": " + error.message());
        }
    } catch (...) {
        std::error_code ignored;
        fs::remove_all(staging, ignored);
        throw;
    }
}

} // namespace veltor::demo
