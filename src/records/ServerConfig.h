#pragma once
#include <filesystem>
#include <optional>

#include "records/PgStorage.h"

// The choice of a server database, kept in server.ini in the program folder beside config.ini
// (which stays as it is). No such file: the folder of tables. The password is never written.
namespace veltor {

std::optional<ServerSettings> readServerConfig(const std::filesystem::path &programFolder);
// Writes the settings, or removes the file for the folder of tables (atomic, FileError on failure).
void writeServerConfig(const std::filesystem::path &programFolder, const std::optional<ServerSettings> &settings);

// The settings of a "postgresql://…" or "postgres://…" address; nothing for any other text.
std::optional<ServerSettings> serverFromUri(const std::string &uri);

} // namespace veltor
