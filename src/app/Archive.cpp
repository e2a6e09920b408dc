#include "app/Archive.h"

#include <cstring>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>

namespace veltor {

QString archiveBaseName(const QDate &date)
{
    return QStringLiteral("arhiv_") + date.toString(QStringLiteral("yyyy_MM_d"));
}

namespace {

QString nativeText(const std::filesystem::path &path)
{
    return QString::fromStdU16String(path.u16string());
}

QString archivePath(const std::filesystem::path &folder, const QDate &date)
{
    return QDir(nativeText(folder)).filePath(archiveBaseName(date) + QStringLiteral(".zip"));
}

} // namespace

ArchiveCommand archiveCommand(const std::filesystem::path &databaseFolder, const QDate &date)
{
    const std::filesystem::path folder = std::filesystem::absolute(databaseFolder);
    return archiveCommand(folder, std::filesystem::path(archivePath(folder, date).toStdU16String()));
}

ArchiveCommand archiveCommand(const std::filesystem::path &databaseFolder, const std::filesystem::path &archive)
{
    const std::filesystem::path folder = std::filesystem::absolute(databaseFolder);
    // -1 fastest, -j without paths, -nw: names are taken as they are, never as patterns.
    ArchiveCommand command{QStringLiteral("zip"), {QStringLiteral("-1"), QStringLiteral("-j"), QStringLiteral("-nw")}};
    command.arguments << nativeText(archive);
    QDir dir(nativeText(folder));
    QStringList tables = dir.entryList({QStringLiteral("*.dbf")}, QDir::Files | QDir::Hidden,
                                       QDir::Name | QDir::IgnoreCase);
    std::sort(tables.begin(), tables.end());
    for (const QString &name : tables)
        command.arguments << dir.filePath(name);
    return command;
}

// Starts the archiver; `done` is told how it ended.
static QProcess *runArchiver(const ArchiveCommand &command, const QString &archive, QObject *parent,
                      std::function<void(bool ok, const QString &text)> done)
{
    auto *process = new QProcess(parent);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    if (!command.password.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGPASSWORD"), command.password);
        process->setProcessEnvironment(environment);
    }
    process->start();
    if (!process->waitForStarted(5000)) {
        delete process;
        return nullptr;
    }
    QObject::connect(process, &QProcess::finished, process,
                     [process, archive, done](int exitCode, QProcess::ExitStatus status) {
                         const QString output = QString::fromLocal8Bit(process->readAll()).trimmed();
                         process->deleteLater();
                         if (status == QProcess::NormalExit && exitCode == 0) {
                             done(true, QStringLiteral("Архив создан: ") + QDir::toNativeSeparators(archive));
                             return;
                         }
                         QString text = QStringLiteral("Архивирование не выполнено (код %1)").arg(exitCode);
                         if (status != QProcess::NormalExit)
                             text = QStringLiteral("Архивирование прервано");
                         if (!output.isEmpty())
                             text += QStringLiteral(":\n") + output;
                         done(false, text);
                     });
    return process;
}

QProcess *startArchive(const std::filesystem::path &databaseFolder, const QDate &date, QObject *parent,
                       std::function<void(bool ok, const QString &text)> done)
{
    // No database configured: there is no folder to archive (an empty path would mean the
    // working folder).
    if (databaseFolder.empty())
        return nullptr;
    const ArchiveCommand command = archiveCommand(databaseFolder, date);
    return runArchiver(command, command.arguments.at(3), parent, std::move(done));
}

ArchiveCommand serverArchiveCommand(const std::string &connection, const std::filesystem::path &folder,
                                    const QDate &date, const std::string &password)
{
    const QString archive =
        QDir(nativeText(std::filesystem::absolute(folder))).filePath(archiveBaseName(date) + QStringLiteral(".dump"));
    // The custom format: compressed, and pg_restore can take back any part of it.
    return {QStringLiteral("pg_dump"),
            {QStringLiteral("--format=custom"), QStringLiteral("--no-password"), QStringLiteral("--file=") + archive,
             QStringLiteral("--dbname=") + QString::fromStdString(connection)},
            QString::fromStdString(password)};
}

QProcess *startServerArchive(const std::string &connection, const std::string &password,
                             const std::filesystem::path &folder, const QDate &date, QObject *parent,
                             std::function<void(bool ok, const QString &text)> done)
{
    const ArchiveCommand command = serverArchiveCommand(connection, folder, date, password);
    return runArchiver(command, command.arguments.at(2).mid(int(std::strlen("--file="))), parent, std::move(done));
}

} // namespace veltor
