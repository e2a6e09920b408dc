#include "records/ServerConfig.h"

#include "storage/FileNames.h"
#include "text/Errors.h"

#include <QSaveFile>

#include <fstream>

namespace veltor {
namespace {

constexpr const char *FileName = "server.ini";

} // namespace

std::optional<ServerSettings> readServerConfig(const std::filesystem::path &programFolder)
{
    const std::filesystem::path file = resolveFileName(programFolder, FileName);
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    ServerSettings s;
    bool postgres = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == "[POSTGRESQL]") {
            postgres = true;
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "host")
            s.host = value;
        else if (key == "port")
            s.port = value;
        else if (key == "dbname")
            s.database = value;
        else if (key == "user")
            s.user = value;
    }
    if (!postgres)
        return std::nullopt;
    return s;
}

void writeServerConfig(const std::filesystem::path &programFolder, const std::optional<ServerSettings> &settings)
{
    const std::filesystem::path file = resolveFileName(programFolder, FileName);
    if (!settings) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
        if (ec)
            throw FileError("Не удается удалить файл \"" + pathToUtf8(file) + "\": " + ec.message());
        return;
    }
    for (const std::string *v : {&settings->host, &settings->port, &settings->database, &settings->user})
        if (v->find_first_of("\r\n") != std::string::npos)
            throw FileError("Параметры сервера не могут содержать перевод строки");
    const std::string text = "[POSTGRESQL]\r\nhost=" + settings->host + "\r\nport=" + settings->port +
                             "\r\ndbname=" + settings->database + "\r\nuser=" + settings->user + "\r\n";
    QSaveFile out(pathToQString(file));
    if (!out.open(QIODevice::WriteOnly) || out.write(text.data(), static_cast<qint64>(text.size())) !=
                                               static_cast<qint64>(text.size()) || !out.commit())
        throw FileError("Не удается записать файл \"" + pathToUtf8(file) + "\": " + out.errorString().toStdString());
}

std::optional<ServerSettings> serverFromUri(const std::string &uri)
{
    if (!uri.starts_with("postgresql://") && !uri.starts_with("postgres://"))
        return std::nullopt;
    ServerSettings s;
    s.uri = uri;
    return s;
}

} // namespace veltor
