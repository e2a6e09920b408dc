#include "storage/FileNames.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <system_error>

#include "text/Cp1251.h"

namespace veltor {
namespace {

QString nameToQString(std::string_view name)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
    if (utf8.hasError())
        return QString::fromStdString(cp1251ToUtf8(name));
    return decoded;
}

std::filesystem::path resolveInFolder(const std::filesystem::path &folder, const QString &name)
{
    const std::filesystem::path given = folder / pathFromQString(name);
    std::error_code error;
    if (std::filesystem::exists(given, error))
        return given;
    const QDir dir(folder.empty() ? QStringLiteral(".") : pathToQString(folder));
    // Sorted, so that of two names differing only in case the same one is always taken.
    const QStringList entries = dir.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder / pathFromQString(entry);
    }
    return given;
}

} // namespace

std::filesystem::path resolveFileName(const std::filesystem::path &folder, std::string_view name)
{
    return resolveInFolder(folder, nameToQString(name));
}

FolderListing::FolderListing(const std::filesystem::path &folder) : m_folder(folder)
{
    const QDir dir(folder.empty() ? QStringLiteral(".") : pathToQString(folder));
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
        m_byFoldedName[entry.toCaseFolded()].push_back(entry);
}

std::vector<std::filesystem::path> FolderListing::named(std::string_view name) const
{
    std::vector<std::filesystem::path> found;
    const auto it = m_byFoldedName.find(nameToQString(name).toCaseFolded());
    if (it != m_byFoldedName.end())
        for (const QString &entry : it->second)
            found.push_back(m_folder / pathFromQString(entry));
    return found;
}

std::filesystem::path resolvePath(const std::filesystem::path &path)
{
    if (!path.has_filename())
        return path;
    return resolveInFolder(path.parent_path(), pathToQString(path.filename()));
}

std::filesystem::path pathFromCp1251(std::string_view cp1251)
{
    const std::string utf8 = cp1251ToUtf8(cp1251);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToCp1251(const std::filesystem::path &path)
{
    return utf8ToCp1251(pathToUtf8(path));
}

bool fileExists(const std::filesystem::path &path)
{
    std::error_code error;
    return std::filesystem::exists(resolvePath(path), error);
}

std::string pathToUtf8(const std::filesystem::path &path)
{
    return pathToQString(path).toStdString();
}

QString pathToQString(const std::filesystem::path &path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

std::filesystem::path pathFromQString(const QString &path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

} // namespace veltor
