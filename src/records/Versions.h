#pragma once
#include <QObject>

#include <cstdint>
#include <map>
#include <set>
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
};

// The versions a window read: of the tables and codes it shows.
struct VersionStamp {
    std::map<std::string, uint64_t> tables;
    std::map<int32_t, uint64_t> codes;
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

private:
    uint64_t m_counter = 0;
    std::map<std::string, uint64_t> m_tables;
    std::map<int32_t, uint64_t> m_codes;
    std::map<uint64_t, std::string> m_descriptions; // by version
};

// Announces every commit to the windows.
class ChangeNotifier : public QObject {
    Q_OBJECT
signals:
    void committed(const veltor::RecordChange &change);
};

} // namespace veltor
