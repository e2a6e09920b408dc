#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "printing/RtfDocument.h"
#include "text/Cp1251.h"

namespace veltor::testing {

// A document's visible text after writing it out and reading the bytes again, so that what is
// checked is what a reader of the saved file sees.
inline std::string reread(const RtfDocument &document)
{
    return RtfDocument(document.toBytes(), "reread").text();
}

// An RTF document around a body, in CP1251 with a Cyrillic default font and a Latin one.
inline std::string rtf(std::string_view body)
{
    std::string text = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\froman\\fcharset204 Times "
                       "New Roman;}{\\f1\\fswiss\\fcharset0 Arial;}}\n"
                       "{\\colortbl;\\red0\\green0\\blue0;}\n";
    text.append(body);
    text.append("}");
    return text;
}

inline std::string readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::filesystem::path &path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the system's temporary folder, removed with the object.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path()
                 / ("veltor-printing-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;
    const std::filesystem::path &path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace veltor::testing
