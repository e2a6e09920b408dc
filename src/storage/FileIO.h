#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/DBFUnit.h"

// The few file operations a commit needs beyond Qt's: writing at an offset, cutting a file,
// flushing a file and its folder to the disk, and the system's reason for a failure in words.
// The only place that calls the operating system for files.
namespace veltor {

// Size and modification time of a file; size -1 when there is none.
FileStamp fileStampOf(const std::filesystem::path &file);

// A file opened for reading and writing in place. Every failure raises FileError naming the file
// and the reason in Russian ("На диске нет места", "Нет прав на запись в файл …").
class DiskFile {
public:
    enum class Mode { Existing, Create };
    DiskFile(const std::filesystem::path &file, Mode mode);
    ~DiskFile();
    DiskFile(const DiskFile &) = delete;
    DiskFile &operator=(const DiskFile &) = delete;

    int64_t size() const;
    // Up to `length` bytes from `offset`; fewer at the end of the file.
    std::string read(int64_t offset, int64_t length) const;
    void write(int64_t offset, std::string_view bytes);
    void resize(int64_t size);
    void sync();
    const std::filesystem::path &path() const { return m_path; }

private:
    [[noreturn]] void fail(const char *what) const;
    std::filesystem::path m_path;
    int m_fd = -1;
};

// Flushes a folder's entries (a file created, renamed or removed in it) to the disk.
void syncFolder(const std::filesystem::path &folder);

// Removes a file; a missing one is no failure. Raises FileError with the reason otherwise.
void removeFile(const std::filesystem::path &file);

// The system's reason for the last failure in Russian words.
std::string systemReason(int error);

} // namespace veltor
