#pragma once
#include <QString>

#include <filesystem>
#include <string>
#include <string_view>
#include <map>
#include <vector>

// File names are matched without regard to letter case: the program calls one file
// "Trud.dbf" and "trud.dbf", and Linux file systems tell them apart.
namespace veltor {

// The file named `name` inside `folder` under whatever letter case exists there; when none
// exists, folder / name as given (so a new file gets the given name). `name` is UTF-8; a name
// that is not valid UTF-8 is taken as CP1251 (a name read from a table). Letter case is compared
// with Unicode case folding, so Cyrillic names match too.
std::filesystem::path resolveFileName(const std::filesystem::path &folder, std::string_view name);

// The files of a folder grouped by their name without regard to letter case, read once: two or
// more under one name make that name ambiguous.
class FolderListing {
public:
    explicit FolderListing(const std::filesystem::path &folder);
    // Every file whose name equals `name` (UTF-8) without regard to letter case.
    std::vector<std::filesystem::path> named(std::string_view name) const;

private:
    std::filesystem::path m_folder;
    std::map<QString, std::vector<QString>> m_byFoldedName;
};

// As above for a full path: its folder part is taken as is, its file name resolved.
std::filesystem::path resolvePath(const std::filesystem::path &path);

// A CP1251 path from a table or config.ini as a native path, and back.
std::filesystem::path pathFromCp1251(std::string_view cp1251);
std::string pathToCp1251(const std::filesystem::path &path);

// True when the file exists under this name or under another letter case of its file name.
bool fileExists(const std::filesystem::path &path);

// The path as UTF-8 text, for messages.
std::string pathToUtf8(const std::filesystem::path &path);

// Native paths to and from Qt's file names.
QString pathToQString(const std::filesystem::path &path);
std::filesystem::path pathFromQString(const QString &path);

} // namespace veltor
