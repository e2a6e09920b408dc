#include "records/DatabaseLock.h"

#include "storage/FileNames.h"

namespace veltor {

bool DatabaseLock::acquire(const std::filesystem::path &folder)
{
    release();
    auto lock = std::make_unique<QLockFile>(pathToQString(folder / "veltor.lock"));
    // A lock is stale only when its process is gone, never by age: a clerk may keep the
    // program open for days.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        return true;
    }
    m_holder = {};
    qint64 pid = 0;
    QString host, application;
    if (lock->getLockInfo(&pid, &host, &application)) {
        m_holder.pid = pid;
        m_holder.host = host.toStdString();
    }
    // A folder where no lock file can be made (read-only media) is opened without one.
    return lock->error() == QLockFile::PermissionError;
}

void DatabaseLock::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

std::string DatabaseLock::heldMessage() const
{
    return "База данных уже открыта другой копией программы (компьютер " +
           (m_holder.host.empty() ? std::string("неизвестен") : m_holder.host) + ", процесс " +
           std::to_string(m_holder.pid) + ").";
}

} // namespace veltor
