#pragma once
#include <QObject>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "records/Storage.h"

class QSocketNotifier;
typedef struct pg_conn PGconn;

// The shared database on a PostgreSQL server. Every table of the folder is an SQL table of the
// same name (without ".dbf") and the same fields, as varchar of the field's width holding the
// stored text in UTF-8, trailing blanks dropped; dates stay texts in their stored form. Each row
// carries its place (veltor_pos, rows in file order) and the number of the commit that last wrote
// it (veltor_ver). Every commit is one SQL transaction, logged in veltor_log and announced with
// NOTIFY, so the other clerks' programs re-read what it changed.
namespace veltor {

// Where the server is; empty fields are left to libpq's defaults (PGHOST, the Unix socket, the
// login name). The password is never kept here: ~/.pgpass, or asked once per run.
struct ServerSettings {
    std::string host;
    std::string port;
    std::string database;
    std::string user;
    std::string uri; // a "postgresql://…" given on the command line, used as it is
    bool empty() const { return uri.empty() && database.empty() && host.empty(); }
};

// The connection string libpq takes for these settings (values quoted).
std::string connectionString(const ServerSettings &settings);

// The storage of one program on the server. One connection serves the queries and LISTEN.
class PgStorage : public QObject, public DatabaseStorage {
    Q_OBJECT
public:
    // Asked when the server wants a password that ~/.pgpass does not hold: the password, or
    // nothing when the user gave up.
    using PasswordPrompt = std::function<std::optional<std::string>(const std::string &what)>;

    // Connects; FileError says why it could not (in Russian, with the server's reason).
    explicit PgStorage(const ServerSettings &settings, const PasswordPrompt &askPassword = {});
    ~PgStorage() override;

    bool isServer() const override { return true; }
    std::string describe(const AppState &state) const override;
    OpeningReport prepare(const AppState &state) override;
    bool hasTable(const AppState &state, std::string_view name) override;
    void readTable(const AppState &state, std::string_view name, LoadedTable &table) override;
    void commit(AppState &state, std::string_view description, std::vector<CommitFile> &files,
                const std::vector<std::string> &keys, const RecordChange &change) override;
    int32_t newEmployeeCode(int32_t atLeast) override;
    // Tables are read over several connections at once, so the server reads them side by side.
    bool readsSideBySide() const override { return true; }
    // Codes of plain digits are compared on the server; only the other values travel.
    int32_t highestEmployeeCode(const AppState &state, std::string_view name) override;
    // A reading is a read-only transaction of the main connection whose snapshot every reading
    // connection takes over.
    void beginReading() override;
    void endReading() noexcept override;

    // From now on the commits of other programs are taken into `state` as they are announced:
    // the tables they changed are re-read (those without changes of this program in memory)
    // and each commit is announced on state.Notifier. The state must outlive the storage.
    void follow(AppState &state);
    // Takes in at once what other programs committed since the last look.
    void catchUp();

    // The database holds no tables of the program yet (a migration may fill it).
    bool isEmpty();
    // The tables the database holds, by the file names the folder had ("osnova.dbf", "Voen.dbf").
    std::vector<std::string> tableFiles();
    // Whether the table's file is written with the end-of-file byte after its records: a file
    // moved from a folder without one gets none back, until the program changes the table.
    bool hasEndMark(const std::string &fileName);
    // Creates a table and fills it with the records, in one transaction with whatever else runs
    // between begin() and end(). `progress` gets the count of records written so far.
    void createTable(const std::string &fileName, const LoadedTable &table, bool endMark,
                     const std::function<void(int64_t)> &progress);
    int64_t countRows(const std::string &fileName);
    void setEmployeeCodesAbove(int32_t code);
    void begin();
    void end();
    void rollback();

    PGconn *connection() const { return m_conn; }
    // The connection string the storage was opened with (no password).
    const std::string &connectionInfo() const { return m_conninfo; }
    // The password the connection was made with (asked or from ~/.pgpass); empty when none.
    std::string connectionPassword() const;

private:
    struct Field {
        std::string name; // as the table header holds it (CP1251)
        char type = 'C';
        int length = 0;
    };
    struct TableInfo {
        std::string fileName;
        std::vector<Field> fields;
        bool endMark = true; // the file ends with 0x1A (a table made empty by other software may not)
    };
    // Staged for a table by a commit and applied once the transaction is committed.
    struct Written {
        LoadedTable *table = nullptr;
        std::vector<int64_t> keys;
        std::vector<int64_t> versions;
    };

    void listen();
    void loadCatalog();
    // A table's header as a folder's file of its fields would have it, with no records.
    static TTableHeader headerOf(const std::vector<Field> &fields);
    // Reads the rows `select` gives, (place, version, the fields' values) each, into `table`.
    void readRows(const std::string &key, const std::vector<Field> &fields, const std::string &select,
                  LoadedTable &table);
    const TableInfo *info(const std::string &key) const;
    bool sameFields(const std::string &key, const TTableHeader &header) const;
    // Creates the SQL table of a table (dropping one of that name) and enters it in the catalog.
    void defineTable(const std::string &key, const std::string &fileName, const TTableHeader &header);
    void noteEndMark(const std::string &key);
    void writeTable(LoadedTable &table, const std::string &key, int64_t commit, Written &out);
    void replaceTable(LoadedTable &table, const std::string &key, int64_t commit, Written &out);
    void copyRows(const std::string &key, const TableInfo &info, const LoadedTable &table, int64_t version,
                  const std::function<void(int64_t)> &progress);
    std::vector<std::string> rowValues(const std::string &key, const TableInfo &info, const LoadedTable &table,
                                       int record) const;
    [[noreturn]] void stale(const std::string &key, int64_t row);
    [[noreturn]] void staleByVersion(int64_t version);
    LoadedTable *tableOf(const std::string &key);
    void safeCatchUp();
    void scheduleCatchUp();
    // A connection for reading a table: the main one when it is free, else one of a few more
    // opened as needed and kept for later readings; waits while all are busy.
    // In a reading, the connection is in the reading's snapshot.
    PGconn *takeReader();
    PGconn *freeReader();
    void giveBackReader(PGconn *conn);

    std::string m_conninfo;
    std::string m_fullConninfo; // with the encoding and the program's name
    PGconn *m_conn = nullptr;
    std::mutex m_readersLock;
    std::condition_variable m_readerFree;
    bool m_mainReading = false;
    std::vector<PGconn *> m_idleReaders;
    int m_readers = 0; // opened besides the main connection
    // The snapshot of the reading under way, which reading connections take over; empty when none.
    std::string m_snapshot;
    int m_readingDepth = 0;
    std::map<std::string, TableInfo> m_tables; // by key: the lower-case file name
    std::map<int32_t, int64_t> m_codeVersions;  // as this program last read them
    std::set<int64_t> m_ownCommits;
    int64_t m_lastSeen = 0;
    AppState *m_state = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    bool m_catchingUp = false;
    bool m_listening = false;
    bool m_versionsRead = false; // m_lastSeen and m_codeVersions are those of the first reading
};

} // namespace veltor
