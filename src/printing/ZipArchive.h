#pragma once
#include <string>
#include <string_view>
#include <vector>

// Reading and writing a whole zip archive in memory (through libzip), as Office Open XML
// documents are zip archives of XML parts.
namespace veltor {

struct ZipEntry {
    std::string name; // as stored, UTF-8
    std::string data; // uncompressed
};

// Every entry in archive order. DocumentError naming `name` (UTF-8) when the bytes are not a
// zip archive, an entry cannot be read, or the entries unpack to more than `maxTotal` bytes
// (checked against the sizes the archive declares, before anything is unpacked).
std::vector<ZipEntry> readZip(std::string_view bytes, const std::string &name, size_t maxTotal);

// An archive of the entries in the given order, compressed. DocumentError naming `name`.
std::string writeZip(const std::vector<ZipEntry> &entries, const std::string &name);

} // namespace veltor
