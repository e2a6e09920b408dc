#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "records/Versions.h"
#include "storage/DBFUnit.h"
#include "storage/TableCommit.h"

// Where the personnel and order tables live. Start-up reads them and every commit writes them
// through this interface; the folder of dBASE tables is the default, a PostgreSQL database the
// shared one for several clerks. Tables are named as the program knows their files
// ("osnova.dbf", "ZhurDok.dbf"); the program folder's own tables and config.ini are always files.
namespace veltor {

struct AppState;
struct OpeningReport;

class DatabaseStorage {
public:
    virtual ~DatabaseStorage() = default;

    // True for a database shared through a server: no folder lock, no journal in a folder.
    virtual bool isServer() const = 0;
    // The database as the user knows it, for messages and the window title (UTF-8).
    virtual std::string describe(const AppState &state) const = 0;

    // Before any table is read: undoes what an interrupted commit left behind.
    virtual OpeningReport prepare(const AppState &state) = 0;
    // Whether the database holds a table (the order tables may be missing).
    virtual bool hasTable(const AppState &state, std::string_view name) = 0;
    // Reads a table whole; a missing or damaged one raises FileError, leaving it not Loaded.
    virtual void readTable(const AppState &state, std::string_view name, LoadedTable &table) = 0;
    // Whether several tables may be read at once, each on its own thread.
    virtual bool readsSideBySide() const { return false; }
    // The largest employee code of a table's KOD field, as highestCode() of the table read whole
    // gives it; a missing or damaged table raises FileError. Reads the table whole by default.
    virtual int32_t highestEmployeeCode(const AppState &state, std::string_view name);

    // What is read between beginReading() and endReading() (prepare() included) is the database
    // as it was at one moment, whatever others commit meanwhile. Readings may nest; endReading()
    // never throws. A folder's tables are read as they are: its commits are this program's own.
    virtual void beginReading() {}
    virtual void endReading() noexcept {}

    // Writes the tables and files of one save all or nothing. `change` lists what the save
    // changed; a change built on rows another clerk changed since they were read raises
    // StaleRecords. On success the tables are what the database holds (changes accepted).
    virtual void commit(AppState &state, std::string_view description, std::vector<CommitFile> &files,
                        const std::vector<std::string> &keys, const RecordChange &change) = 0;

    // The code of a new employee, at least `atLeast` and never given before.
    virtual int32_t newEmployeeCode(int32_t atLeast) = 0;
};

// Keeps a reading of the storage open for its lifetime.
class StorageReading {
public:
    explicit StorageReading(DatabaseStorage &storage) : m_storage(storage) { m_storage.beginReading(); }
    ~StorageReading() { m_storage.endReading(); }
    StorageReading(const StorageReading &) = delete;
    StorageReading &operator=(const StorageReading &) = delete;

private:
    DatabaseStorage &m_storage;
};

// The folder of dBASE tables beside the main table: tables are files, commits go through the
// rollback journal of the folder.
class FolderStorage : public DatabaseStorage {
public:
    bool isServer() const override { return false; }
    std::string describe(const AppState &state) const override;
    OpeningReport prepare(const AppState &state) override;
    bool hasTable(const AppState &state, std::string_view name) override;
    void readTable(const AppState &state, std::string_view name, LoadedTable &table) override;
    // Each table is a file of its own.
    bool readsSideBySide() const override { return true; }
    void commit(AppState &state, std::string_view description, std::vector<CommitFile> &files,
                const std::vector<std::string> &keys, const RecordChange &change) override;
    int32_t newEmployeeCode(int32_t atLeast) override { return atLeast; }
};

} // namespace veltor
