#pragma once
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>
#include <string>

// Versions of what a window shows: every commit bumps the version of each table file and each
// employee code it changed. A window keeps the versions it read; a commit built on older ones is
// refused.
namespace veltor {

// What one commit changed: table files (their file names as the program knows them, lower
// case) and employee codes.
struct RecordChange {
    std::string description; // the save, as the journal names it (UTF-8)
    std::set<std::string> tables;
    std::set<int32_t> codes;
    // The window or object that made the commit (SaveSet::by), so it can tell its own commits
    // from others'; null when nobody said.
    const void *origin = nullptr;
};

// The versions a window read: of the tables and codes it shows.
struct VersionStamp {
    std::map<std::string, uint64_t> tables;
    std::map<int32_t, uint64_t> codes;
    uint64_t reading = 0; // how many times the tables had been read anew
};

class RecordVersions {
public:
    uint64_t table(const std::string &name) const;
    uint64_t code(int32_t code) const;
    // The current versions of these tables and codes.
    VersionStamp stamp(const std::set<std::string> &tables, const std::set<int32_t> &codes) const;
    // What changed since the stamp was taken: the descriptions of the commits that moved its
    // versions (UTF-8, one per commit), empty when nothing did.
    std::set<std::string> changedSince(const VersionStamp &stamp) const;
    // Records a commit.
    void bump(const RecordChange &change);
    // The tables were read anew from disk (the same database or another): every stamp taken
    // before is out of date.
    void readAnew(const std::string &description);

private:
    uint64_t m_counter = 0;
    uint64_t m_reading = 0;
    std::string m_readingDescription;
    std::map<std::string, uint64_t> m_tables;
    std::map<int32_t, uint64_t> m_codes;
    std::map<uint64_t, std::string> m_descriptions; // by version
};

// Announces every commit to the windows, and lets the windows that hold typed work settle it
// before the tables are read anew or another database is opened.
class ChangeNotifier : public QObject {
    Q_OBJECT
public:
    // `settle` asks the clerk about the typed work of `owner` (save, drop or cancel) and returns
    // false when the clerk cancelled. Dropped with its owner.
    void addUnsavedWork(QObject *owner, std::function<bool()> settle);
    // Asks every window with typed work in turn; false as soon as one is cancelled.
    bool settleUnsavedWork();

signals:
    void committed(const veltor::RecordChange &change);
    // The tables were read anew (the same database or another): windows show them afresh or
    // close, and drop what they remembered of the old ones.
    void readAnew();

private:
    std::vector<std::pair<QPointer<QObject>, std::function<bool()>>> m_unsaved;
};

} // namespace veltor
