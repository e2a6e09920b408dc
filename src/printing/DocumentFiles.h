#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// Reading and writing whole document files, with messages that name the file.
namespace veltor {

// The largest document read. A template is well under a megabyte; pictures make some larger.
constexpr size_t MaxDocumentSize = 64u * 1024u * 1024u;
// The most characters of text a document read may hold: each costs about 30 bytes of memory
// while it is filled. (Positions in a document are kept in 29 bits.)
constexpr size_t MaxDocumentCharacters = 4000000;

// A path as UTF-8 text for messages.
std::string displayPath(const std::filesystem::path &path);

// The whole file. DocumentError when it is missing, a folder, unreadable or too large.
std::string readDocumentFile(const std::filesystem::path &path);

// Replaces the file atomically: written to a temporary file in the same folder, then renamed
// over it. DocumentError naming the file when the folder is missing or the write fails, and no
// partial file is left.
void writeDocumentFile(const std::filesystem::path &path, std::string_view bytes);

} // namespace veltor
