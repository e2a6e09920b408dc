#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// File names are matched without regard to letter case: the program calls one file
// "Trud.dbf" and "trud.dbf", and Linux file systems tell them apart.
namespace veltor {

// The file named `name` inside `folder` under whatever letter case exists there; when none
// exists, folder / name as given (so a new file gets the given name).
std::filesystem::path resolveFileName(const std::filesystem::path &folder, std::string_view name);

// As above for a full path: its folder part is taken as is, its file name resolved.
std::filesystem::path resolvePath(const std::filesystem::path &path);

// A CP1251 path from a table or config.ini as a native path, and back.
std::filesystem::path pathFromCp1251(std::string_view cp1251);
std::string pathToCp1251(const std::filesystem::path &path);

bool fileExists(const std::filesystem::path &path);

// The path as UTF-8 text, for messages.
std::string pathToUtf8(const std::filesystem::path &path);

} // namespace veltor
