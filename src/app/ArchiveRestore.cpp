#include "app/ArchiveRestore.h"

#include "app/Archive.h"
#include "records/Commit.h"
#include "records/Startup.h"
#include "storage/FileNames.h"
#include "text/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>

namespace veltor {
namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool isTableFile(const std::filesystem::path &file)
{
    return lower(file.extension().string()) == ".dbf";
}

std::string quoted(const std::filesystem::path &file)
{
    return "«" + pathToUtf8(file.filename()) + "»";
}

// Runs an archiver without a shell and waits for it; the text of its failure otherwise.
std::string runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return "программа " + program.toStdString() + " не запускается";
    if (!process.waitForFinished(600000)) {
        process.kill();
        process.waitForFinished();
        return "программа " + program.toStdString() + " не завершилась";
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
        return "программа " + program.toStdString() + " завершилась с кодом " +
               std::to_string(process.exitCode()) + (output.isEmpty() ? "" : ": " + output.toStdString());
    }
    return {};
}

std::vector<std::filesystem::path> tableFiles(const std::filesystem::path &folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file() && isTableFile(entry.path()))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

std::vector<ArchiveFile> listArchives(const std::filesystem::path &folder)
{
    std::vector<ArchiveFile> archives;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = lower(pathToUtf8(entry.path().filename()));
        if (!entry.is_regular_file() || name.rfind("arhiv_", 0) != 0 || name.size() < 10 ||
            name.compare(name.size() - 4, 4, ".zip") != 0)
            continue;
        ArchiveFile file;
        file.path = entry.path();
        file.size = entry.file_size();
        file.modified = QFileInfo(pathToQString(entry.path())).lastModified();
        archives.push_back(std::move(file));
    }
    std::sort(archives.begin(), archives.end(),
              [](const ArchiveFile &a, const ArchiveFile &b) { return a.modified > b.modified; });
    return archives;
}

std::filesystem::path preRestoreArchivePath(const std::filesystem::path &folder, const QDateTime &now)
{
    const QDate d = now.date();
    const QString name = QStringLiteral("arhiv_%1_%2_%3_pered_vosstanovleniem_%4.zip")
                             .arg(d.year(), 4, 10, QLatin1Char('0'))
                             .arg(d.month(), 2, 10, QLatin1Char('0'))
                             .arg(d.day())
                             .arg(now.time().toString(QStringLiteral("HH_mm_ss")));
    // zip adds to an archive that exists: a name already taken (a second restore within the
    // same second, the undo archive itself restored) gets a number.
    std::filesystem::path path = folder / pathFromQString(name);
    for (int n = 2; std::filesystem::exists(path); ++n)
        path = folder / pathFromQString(QString(name).replace(QStringLiteral(".zip"), QStringLiteral("_%1.zip").arg(n)));
    return path;
}

void archiveTables(const std::filesystem::path &databaseFolder, const std::filesystem::path &target)
{
    ArchiveCommand command = archiveCommand(databaseFolder, target);
    command.arguments.insert(0, QStringLiteral("-q"));
    const std::string failure = runTool(command.program, command.arguments);
    if (!failure.empty() || !std::filesystem::exists(target))
        throw FileError("Не удалось заархивировать текущие таблицы в " + quoted(target) + ": " +
                        (failure.empty() ? "архив не создан" : failure));
}

std::filesystem::path restoreFromArchive(AppState &state, const std::filesystem::path &archive,
                                         const QDateTime &now)
{
    const std::filesystem::path folder = state.databaseFolder();
    const std::string failed = "Восстановление из архива " + quoted(archive) + " не выполнено: ";
    // Restoring puts table files into the folder; a database on a server is restored by its
    // administrator from the pg_dump archive with pg_restore.
    if (state.Storage && state.Storage->isServer())
        throw FileError(failed + "база данных находится на сервере; ее восстанавливают из архива pg_dump "
                                 "программой pg_restore. Таблицы оставлены как были.");
    if (!std::filesystem::is_regular_file(archive))
        throw FileError(failed + "архив не найден. Таблицы оставлены как были.");

    const std::filesystem::path undo = preRestoreArchivePath(folder, now);
    archiveTables(folder, undo);

    // Extracted beside the tables, so that putting them in place is a rename on one disk.
    QTemporaryDir extracted(pathToQString(folder / ".vosstanovlenie-XXXXXX"));
    if (!extracted.isValid())
        throw FileError(failed + "не удается создать временную папку. Таблицы оставлены как были.");
    const std::filesystem::path temp = pathFromQString(extracted.path());
    // Paths inside the archive are dropped (-j): nothing can land outside the temporary folder.
    const std::string unzipFailure =
        runTool(QStringLiteral("unzip"), {QStringLiteral("-qq"), QStringLiteral("-o"), QStringLiteral("-j"),
                                          QStringLiteral("-C"), pathToQString(archive), QStringLiteral("*.dbf"),
                                          QStringLiteral("-d"), pathToQString(temp)});
    if (!unzipFailure.empty())
        throw FileError(failed + unzipFailure + ". Таблицы оставлены как были.");
    const std::vector<std::filesystem::path> restored = tableFiles(temp);
    if (restored.empty())
        throw FileError(failed + "в архиве нет таблиц. Таблицы оставлены как были.");
    // One commit puts every restored table in place: the folder holds either all old or all
    // restored tables, whatever happens on the way. Each is checked to be a table first.
    SaveSet save(state, "восстановление из архива " + pathToUtf8(archive.filename()));
    try {
        for (const std::filesystem::path &file : restored) {
            QFile in(pathToQString(file));
            if (!in.open(QIODevice::ReadOnly))
                throw FileError("Не удается прочитать " + quoted(file) + ": " + in.errorString().toStdString());
            std::string bytes = in.readAll().toStdString();
            TTableHeader header;
            std::string data;
            ReadTableFromBytes(bytes, pathToUtf8(file.filename()), header, data);
            if (FieldCount(header) == 0)
                throw FileError("Файл \"" + pathToUtf8(file.filename()) + "\" поврежден: в нем нет полей");
            save.addFile(resolveFileName(folder, pathToUtf8(file.filename())), std::move(bytes));
        }
    } catch (const VeltorError &e) {
        throw FileError(failed + e.what() + ". Таблицы оставлены как были.");
    }
    try {
        save.commit();
    } catch (const VeltorError &e) {
        throw FileError(failed + e.what() + " Таблицы оставлены как были.");
    }

    loadPersonnelTables(state);
    state.CurrentCodeList = "-1";
    state.CurMainRec = state.CurPassportRec = state.CurTrudRec = state.CurDopolnRec = 0;
    // Deletions not yet written belong to the tables just replaced.
    state.RecordsDeleted = false;
    announceReadAnew(state, "восстановление из архива");
    return undo;
}

} // namespace veltor
