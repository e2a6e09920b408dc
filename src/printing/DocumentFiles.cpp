#include "printing/DocumentFiles.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include "text/Errors.h"

namespace veltor {

namespace {

QString toQString(const std::filesystem::path &path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

} // namespace

std::string displayPath(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string readDocumentFile(const std::filesystem::path &path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        throw DocumentError("Файл «" + displayPath(path) + "» не найден");
    if (std::filesystem::is_directory(status))
        throw DocumentError("«" + displayPath(path) + "» — папка, а не файл документа");
    QFile file(toQString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw DocumentError("Не удалось открыть файл «" + displayPath(path)
                            + "»: " + file.errorString().toStdString());
    if (static_cast<size_t>(file.size()) > MaxDocumentSize)
        throw DocumentError("Файл «" + displayPath(path) + "» слишком велик для документа");
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw DocumentError("Не удалось прочитать файл «" + displayPath(path)
                            + "»: " + file.errorString().toStdString());
    return bytes.toStdString();
}

void writeDocumentFile(const std::filesystem::path &path, std::string_view bytes)
{
    const std::string failure = "Не удалось сохранить документ «" + displayPath(path) + "»: ";
    std::error_code error;
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    if (!std::filesystem::is_directory(folder, error))
        throw DocumentError(failure + "папки «" + displayPath(folder) + "» нет");
    if (std::filesystem::is_directory(path, error))
        throw DocumentError(failure + "под этим именем уже есть папка");
    // Unbuffered: commit() does not report a failed flush of Qt's buffer (a full disk).
    QSaveFile file(toQString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw DocumentError(failure + file.errorString().toStdString());
    const auto written = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        throw DocumentError(failure + reason);
    }
    if (!file.commit())
        throw DocumentError(failure + file.errorString().toStdString());
}

} // namespace veltor
