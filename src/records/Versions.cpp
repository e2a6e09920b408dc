#include "records/Versions.h"

namespace veltor {

uint64_t RecordVersions::table(const std::string &name) const
{
    const auto it = m_tables.find(name);
    return it == m_tables.end() ? 0 : it->second;
}

uint64_t RecordVersions::code(int32_t code) const
{
    const auto it = m_codes.find(code);
    return it == m_codes.end() ? 0 : it->second;
}

VersionStamp RecordVersions::stamp(const std::set<std::string> &tables, const std::set<int32_t> &codes) const
{
    VersionStamp s;
    for (const std::string &t : tables)
        s.tables[t] = table(t);
    for (const int32_t c : codes)
        s.codes[c] = code(c);
    s.reading = m_reading;
    return s;
}

std::set<std::string> RecordVersions::changedSince(const VersionStamp &stamp) const
{
    std::set<std::string> changes;
    const auto note = [&](uint64_t now, uint64_t then) {
        if (now == then)
            return;
        const auto it = m_descriptions.find(now);
        changes.insert(it == m_descriptions.end() ? std::string() : it->second);
    };
    for (const auto &[name, version] : stamp.tables)
        note(table(name), version);
    for (const auto &[c, version] : stamp.codes)
        note(code(c), version);
    if (stamp.reading != m_reading)
        changes.insert(m_readingDescription);
    return changes;
}

void RecordVersions::bump(const RecordChange &change)
{
    ++m_counter;
    for (const std::string &t : change.tables)
        m_tables[t] = m_counter;
    for (const int32_t c : change.codes)
        m_codes[c] = m_counter;
    m_descriptions[m_counter] = change.description;
}

void RecordVersions::readAnew(const std::string &description)
{
    ++m_reading;
    m_readingDescription = description;
}

void ChangeNotifier::addUnsavedWork(QObject *owner, std::function<bool()> settle)
{
    m_unsaved.emplace_back(owner, std::move(settle));
}

bool ChangeNotifier::settleUnsavedWork()
{
    for (auto &[owner, settle] : m_unsaved)
        if (owner && !settle())
            return false;
    return true;
}

} // namespace veltor
