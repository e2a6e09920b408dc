#include "storage/FileIO.h"

#include "storage/FileNames.h"
#include "text/Errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltor {

std::string systemReason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return "На диске нет места";
    case EACCES:
    case EPERM:
        return "Нет прав на запись";
    case EROFS:
        return "Диск доступен только для чтения";
    case EFBIG:
        return "Файл превысил допустимый размер";
    case ENOENT:
        return "Файл или папка не найдены";
    case EIO:
        return "Ошибка ввода-вывода диска";
    case EBUSY:
    case ETXTBSY:
        return "Файл занят другой программой";
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EDEADLK:
        return "Файл заблокирован другой программой";
    case EMFILE:
    case ENFILE:
        return "Открыто слишком много файлов";
    case EISDIR:
        return "Это папка, а не файл";
    default:
        return std::strerror(error);
    }
}

FileStamp fileStampOf(const std::filesystem::path &file)
{
    struct stat st {};
    FileStamp stamp;
    if (::stat(file.c_str(), &st) != 0)
        return stamp;
    stamp.size = st.st_size;
    stamp.modified = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

DiskFile::DiskFile(const std::filesystem::path &file, Mode mode) : m_path(file)
{
    const int flags = O_RDWR | O_CLOEXEC | (mode == Mode::Create ? O_CREAT : 0);
    m_fd = ::open(file.c_str(), flags, 0644);
    if (m_fd < 0)
        fail("открыть");
}

DiskFile::~DiskFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void DiskFile::fail(const char *what) const
{
    const int error = errno;
    std::string reason = systemReason(error);
    if (error == EACCES || error == EPERM)
        reason = "Нет прав на запись в файл «" + pathToUtf8(m_path) + "»";
    throw FileError("Не удается " + std::string(what) + " файл «" + pathToUtf8(m_path) + "»: " + reason);
}

int64_t DiskFile::size() const
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        fail("прочитать");
    return st.st_size;
}

std::string DiskFile::read(int64_t offset, int64_t length) const
{
    std::string bytes(static_cast<size_t>(std::max<int64_t>(0, length)), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(m_fd, bytes.data() + done, bytes.size() - done, offset + static_cast<int64_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("прочитать");
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

void DiskFile::write(int64_t offset, std::string_view bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, offset + static_cast<int64_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("записать");
        }
        if (n == 0) {
            errno = ENOSPC;
            fail("записать");
        }
        done += static_cast<size_t>(n);
    }
}

void DiskFile::resize(int64_t size)
{
    if (::ftruncate(m_fd, size) != 0)
        fail("записать");
}

void DiskFile::sync()
{
    // The data and what reading it back needs (the size): the times need not reach the disk.
    if (::fdatasync(m_fd) != 0)
        fail("записать на диск");
}

void syncFolder(const std::filesystem::path &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return; // a folder that cannot be opened cannot be flushed either; its files were
    ::fsync(fd);
    ::close(fd);
}

void removeFile(const std::filesystem::path &file)
{
    if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
        const int error = errno;
        throw FileError("Не удается удалить файл «" + pathToUtf8(file) + "»: " + systemReason(error));
    }
}

} // namespace veltor
