#include "DemoFiles.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "storage/FileNames.h"
#include "text/Errors.h"

namespace veltor::demo {
namespace {

[[noreturn]] void fail(const std::string &what, const std::filesystem::path &path,
                       const std::string &why)
{
    throw FileError(what + " \"" + pathToUtf8(path) + "\"" + (why.empty() ? "" : ": " + why));
}

} // namespace

std::string readFile(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        fail("Не удается открыть файл", file, {});
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        fail("Не удается прочитать файл", file, {});
    return bytes;
}

void writeFile(const std::filesystem::path &file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        fail("Не удается создать файл", file, {});
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        fail("Не удается записать файл", file, {});
}

void createFolder(const std::filesystem::path &folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        fail("Не удается создать папку", folder, error.message());
}

void copyFolderContents(const std::filesystem::path &from, const std::filesystem::path &to)
{
    createFolder(to);
    std::error_code error;
    std::filesystem::copy(from, to,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing,
                          error);
    if (error)
        fail("Не удается скопировать папку", from, error.message());
}

} // namespace veltor::demo
