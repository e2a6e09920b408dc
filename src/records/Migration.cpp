#include "records/Migration.h"

#include "records/AppState.h"
#include "records/PgStorage.h"
#include "records/Startup.h"
#include "storage/FileIO.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Errors.h"

#include <QSaveFile>
#include <QString>

namespace veltor {
namespace {

constexpr std::string_view FolderTables[] = {
    schema::OsnovaTable, schema::OtdelTable,  schema::DolzhTable,  schema::SemjaTable,  schema::TrudTable,
    schema::PassportTable, schema::ObrazTable, schema::VoenTable,  schema::DopolnTable, schema::TipDokTable,
    schema::ZhurDokTable, schema::PriemTable, schema::UvolTable,   schema::OtpuskTable, schema::KomandTable,
};

bool isOrderTable(std::string_view name)
{
    for (const std::string_view t : {schema::ZhurDokTable, schema::PriemTable, schema::UvolTable,
                                      schema::OtpuskTable, schema::KomandTable})
        if (t == name)
            return true;
    return false;
}

std::string lower(const std::string &utf8)
{
    return QString::fromStdString(utf8).toLower().toStdString();
}

// Writes a new file whole, replaced atomically.
void writeWholeFile(const std::filesystem::path &file, const std::string &bytes)
{
    QSaveFile out(pathToQString(file));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !out.commit())
        throw FileError("Не удается записать файл \"" + pathToUtf8(file) + "\": " + out.errorString().toStdString());
}

} // namespace

MigrationReport migrateToServer(const std::filesystem::path &mainTablePath, PgStorage &server,
                                const MigrationProgress &progress)
{
    if (!server.isEmpty())
        throw FileError("База данных на сервере не пуста: базу переносят только в пустую базу данных. "
                        "Ничего не перенесено.");
    AppState folder;
    folder.MainTablePath = pathToCp1251(mainTablePath);
    // An interrupted save of the folder is undone first, so what is copied is whole.
    prepareDatabaseFolder(folder);

    struct Source {
        std::string fileName;
        LoadedTable table;
        bool endMark = true;
    };
    std::vector<Source> sources;
    int64_t total = 0;
    for (const std::string_view name : FolderTables) {
        const std::filesystem::path file =
            name == schema::OsnovaTable ? resolvePath(mainTablePath) : folder.databaseFile(name);
        if (isOrderTable(name) && !fileExists(file))
            continue;
        Source s;
        // The main table goes by its own name on the server whatever its file is called.
        s.fileName = name == schema::OsnovaTable && lower(pathToUtf8(file.filename())) != schema::OsnovaTable
                         ? std::string(schema::OsnovaTable)
                         : pathToUtf8(file.filename());
        ReadTable(file, s.table);
        // Tables made empty by other software may end right after the header.
        s.endMark = fileStampOf(file).size !=
                    static_cast<int64_t>(TableHeaderBytes(s.table.Header, s.table.Header.RecordCount).size()) +
                        int64_t{s.table.Header.RecordCount} * s.table.Header.RecordLength;
        total += s.table.Header.RecordCount;
        sources.push_back(std::move(s));
    }

    MigrationReport report;
    int64_t done = 0;
    server.begin();
    try {
        int32_t highest = 0;
        for (const Source &s : sources) {
            server.createTable(s.fileName, s.table, s.endMark, [&](int64_t written) {
                if (progress)
                    progress(done + written, total);
            });
            const int64_t count = server.countRows(s.fileName);
            if (count != s.table.Header.RecordCount)
                throw FileError("Таблица «" + s.fileName + "»: на сервере " + std::to_string(count) +
                                " записей вместо " + std::to_string(s.table.Header.RecordCount) +
                                ". Ничего не перенесено.");
            done += count;
            report.tables.emplace_back(s.fileName, count);
            highest = std::max(highest, highestCode(s.table));
        }
        // New employees get codes above every code the folder ever gave.
        server.setEmployeeCodesAbove(highest);
        server.end();
    } catch (...) {
        server.rollback();
        throw;
    }
    report.records = done;
    return report;
}

MigrationReport exportToFolder(PgStorage &server, const std::filesystem::path &folder,
                               const MigrationProgress &progress)
{
    const std::vector<std::string> names = server.tableFiles();
    if (names.empty())
        throw FileError("В базе данных на сервере нет таблиц: выгружать нечего.");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const std::string &name : names)
        if (fileExists(resolveFileName(folder, name)))
            throw FileError("В папке «" + pathToUtf8(folder) + "» уже есть таблица «" + name +
                            "»: выберите пустую папку. Ничего не выгружено.");
    AppState none;
    std::vector<LoadedTable> tables(names.size());
    int64_t total = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        server.readTable(none, names[i], tables[i]);
        total += tables[i].Header.RecordCount;
    }
    MigrationReport report;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::filesystem::path file = folder / pathFromQString(QString::fromStdString(names[i]));
        if (server.hasEndMark(names[i])) {
            WriteTable(file, tables[i]);
        } else {
            std::string bytes = TableFileBytes(tables[i].Header, tables[i].Data, tables[i].Header.RecordCount);
            bytes.pop_back();
            writeWholeFile(file, bytes);
        }
        const int64_t count = ReadTable(file).Header.RecordCount;
        if (count != tables[i].Header.RecordCount)
            throw FileError("Таблица «" + names[i] + "»: в файле " + std::to_string(count) + " записей вместо " +
                            std::to_string(tables[i].Header.RecordCount));
        report.records += count;
        report.tables.emplace_back(names[i], count);
        if (progress)
            progress(report.records, total);
    }
    return report;
}

} // namespace veltor
