#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// Whole-file reading and writing for the demo tool; failures raise FileError naming the file.
namespace veltor::demo {

std::string readFile(const std::filesystem::path &file);
void writeFile(const std::filesystem::path &file, std::string_view bytes);
void createFolder(const std::filesystem::path &folder);

// Copies the files and folders inside `from` into `to` (created when missing), replacing files
// of the same name.
void copyFolderContents(const std::filesystem::path &from, const std::filesystem::path &to);

} // namespace veltor::demo
