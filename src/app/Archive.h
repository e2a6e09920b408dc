#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <string>

class QObject;
class QProcess;

// The archive of the database folder: every table file packed by the external zip program into
// "arhiv_" + the date in the database folder.
namespace veltor {

// "arhiv_" + the date as yyyy_MM_d (day without a leading zero): arhiv_2025_03_6.
QString archiveBaseName(const QDate &date);

// The archiver and its arguments, passed as a list so that no shell ever reads the folder's
// name. The table files are listed here (any letter case of ".dbf"), not left to a pattern.
struct ArchiveCommand {
    QString program;
    QStringList arguments;
    // For pg_dump: the password the program connected with, handed over in the archiver's
    // environment (PGPASSWORD), never on its command line. Empty: ~/.pgpass serves.
    QString password;
};
ArchiveCommand archiveCommand(const std::filesystem::path &databaseFolder, const QDate &date);
// The same command writing the archive of the given path.
ArchiveCommand archiveCommand(const std::filesystem::path &databaseFolder, const std::filesystem::path &archive);

// Starts the archiver without waiting for it. `done` runs when it ends: ok, and the text the
// user is told (the archive made, or why it failed). Returns nullptr when the archiver cannot be
// started, or there is no database folder; then `done` never runs. The process belongs to `parent`.
QProcess *startArchive(const std::filesystem::path &databaseFolder, const QDate &date, QObject *parent,
                       std::function<void(bool ok, const QString &text)> done);

// The archive of a database on a server: pg_dump in its custom format into `folder`, named as
// above with ".dump" (arhiv_2025_03_6.dump). `password` is the one the program connected with
// (asked of the clerk or read from ~/.pgpass); empty when the server asked for none.
ArchiveCommand serverArchiveCommand(const std::string &connection, const std::filesystem::path &folder,
                                    const QDate &date, const std::string &password = {});
QProcess *startServerArchive(const std::string &connection, const std::string &password,
                             const std::filesystem::path &folder, const QDate &date, QObject *parent,
                             std::function<void(bool ok, const QString &text)> done);

} // namespace veltor
