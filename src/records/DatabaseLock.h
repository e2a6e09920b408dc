#pragma once
#include <QLockFile>

#include <filesystem>
#include <memory>
#include <string>

// One program per database: the database folder is locked for the whole run by a lock file
// held with the system's lock. A lock left by a process that no longer runs is taken over.
namespace veltor {

class DatabaseLock {
public:
    // Who holds a database another copy has open.
    struct Holder {
        std::string host;
        int64_t pid = 0;
    };

    // Locks the folder; false when another running copy holds it (holder() says who).
    bool acquire(const std::filesystem::path &folder);
    void release();
    bool held() const { return m_lock != nullptr; }
    const Holder &holder() const { return m_holder; }
    // The message for a database another copy holds (UTF-8).
    std::string heldMessage() const;

private:
    std::unique_ptr<QLockFile> m_lock;
    Holder m_holder;
};

} // namespace veltor
