#include "records/CodeIndex.h"

#include "text/Convert.h"

#include <algorithm>
#include <memory>
#include <future>
#include <map>
#include <cstdio>

namespace veltor {

namespace {

// An integer as "%d" writes it: an optional minus, then digits without a leading zero. Such a
// text contains another such text only when both are the same.
bool isCanonicalInteger(std::string_view text)
{
    size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
    if (at == text.size() || (text[at] == '0' && text.size() > at + 1) || text == "-0")
        return false;
    for (; at < text.size(); ++at)
        if (text[at] < '0' || text[at] > '9')
            return false;
    return true;
}

} // namespace

CodeIndex::CodeIndex(const TTableHeader &header, const std::string &data, std::string_view fieldName,
                     int32_t indexedRecords)
    : m_header(&header), m_data(&data), m_field(FieldIndex(header, fieldName))
{
    if (m_field < 1)
        return;
    const int count = WholeRecordCount(header, data);
    m_indexed = indexedRecords < 0 ? count : std::min(count, indexedRecords);
    m_canonical.assign(static_cast<size_t>(m_indexed) + 1, 0);
    for (int r = 1; r <= m_indexed; ++r) {
        std::string value = GetField(header, data, r, m_field);
        if (value.empty())
            continue;
        int32_t n = 0;
        if (tryStrToInt(value, n)) {
            m_entries.emplace_back(n, r);
            m_canonical[static_cast<size_t>(r)] = isCanonicalInteger(value);
        } else {
            m_notIntegers.push_back({r, std::move(value)});
        }
    }
    // One contiguous sorted array keeps look-ups cache-friendly on large tables.
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const Entry &a, const Entry &b) { return a.first < b.first; });
}

template <typename Visit> void CodeIndex::forEachLater(Visit visit) const
{
    const int count = WholeRecordCount(*m_header, *m_data);
    for (int r = m_indexed + 1; r <= count; ++r)
        visit(r, GetField(*m_header, *m_data, r, m_field));
}

std::vector<CodeIndex::BadValue> CodeIndex::badValues() const
{
    std::vector<BadValue> all = m_notIntegers;
    if (m_field < 1)
        return all;
    forEachLater([&](int32_t r, const std::string &value) {
        int32_t n = 0;
        if (!value.empty() && !tryStrToInt(value, n))
            all.push_back({r, value});
    });
    return all;
}

int CodeIndex::firstWithValue(int32_t value) const
{
    if (m_field < 1)
        return 0;
    const auto from = std::lower_bound(m_entries.begin(), m_entries.end(), Entry{value, 0},
                                       [](const Entry &a, const Entry &b) { return a.first < b.first; });
    if (from != m_entries.end() && from->first == value)
        return from->second;
    int found = 0;
    forEachLater([&](int32_t r, const std::string &text) {
        int32_t n = 0;
        if (!found && tryStrToInt(text, n) && n == value)
            found = r;
    });
    return found;
}

namespace {

struct CachedIndex {
    uint64_t generation = 0;
    std::unique_ptr<CodeIndex> index;
};

std::map<std::pair<const LoadedTable *, std::string>, CachedIndex, std::less<>> &indexCache()
{
    static std::map<std::pair<const LoadedTable *, std::string>, CachedIndex, std::less<>> cache;
    return cache;
}

bool current(const CachedIndex &slot, const LoadedTable &table)
{
    return slot.index && table.Generation != 0 && slot.generation == table.Generation;
}

std::unique_ptr<CodeIndex> indexOf(const LoadedTable &table, std::string_view fieldName)
{
    // A table never read is indexed whole on every look-up; a read one up to the count its
    // generation began with.
    const int32_t indexed = table.Generation == 0 ? -1 : table.GenerationRecords;
    return std::make_unique<CodeIndex>(table.Header, table.Data, fieldName, indexed);
}

} // namespace

const CodeIndex &indexByField(const LoadedTable &table, std::string_view fieldName)
{
    CachedIndex &slot = indexCache()[{&table, std::string(fieldName)}];
    if (!current(slot, table)) {
        slot.index = indexOf(table, fieldName);
        slot.generation = table.Generation;
    }
    return *slot.index;
}

void prepareIndexesByCode(const std::vector<const LoadedTable *> &tables)
{
    struct Build {
        CachedIndex *slot;
        uint64_t generation;
        std::future<std::unique_ptr<CodeIndex>> index;
    };
    // The tables are only read while the indexes are built side by side; the cache is changed
    // afterwards, on this thread.
    std::vector<Build> builds;
    for (const LoadedTable *table : tables) {
        CachedIndex &slot = indexCache()[{table, std::string("KOD")}];
        if (!current(slot, *table))
            builds.push_back({&slot, table->Generation,
                              std::async(std::launch::async, [table] { return indexOf(*table, "KOD"); })});
    }
    for (Build &b : builds) {
        b.slot->index = b.index.get();
        b.slot->generation = b.generation;
    }
}

const CodeIndex &indexByCode(const LoadedTable &table)
{
    return indexByField(table, "KOD");
}

CodeIndex::Range CodeIndex::candidates(std::string_view text, bool &viaSelect) const
{
    const Range none{nullptr, nullptr};
    viaSelect = false;
    if (m_field < 1 || text.empty())
        return none;
    int32_t n = 0;
    char canonical[16];
    const bool plain = tryStrToInt(text, n)
        && std::string_view(canonical, std::snprintf(canonical, sizeof canonical, "%d", n)) == text;
    bool clash = false;
    for (const BadValue &bad : m_notIntegers)
        if (bad.text.find(text) != std::string::npos)
            clash = true;
    forEachLater([&](int32_t, const std::string &value) {
        int32_t v = 0;
        if (!value.empty() && !tryStrToInt(value, v) && value.find(text) != std::string::npos)
            clash = true;
    });
    if (!plain || clash) {
        viaSelect = true;
        return none;
    }
    auto [from, to] = std::equal_range(m_entries.begin(), m_entries.end(), Entry{n, 0},
                                       [](const Entry &a, const Entry &b) { return a.first < b.first; });
    return {m_entries.data() + (from - m_entries.begin()), m_entries.data() + (to - m_entries.begin())};
}

bool CodeIndex::matches(int32_t record, std::string_view text, bool canonical) const
{
    // Found under the text's value, a field written the same way is the text itself: the
    // table's record need not be read.
    if (canonical && m_canonical[static_cast<size_t>(record)])
        return true;
    return GetField(*m_header, *m_data, record, m_field).find(text) != std::string::npos;
}

int32_t CodeIndex::highestValue() const
{
    int32_t highest = m_entries.empty() ? 0 : std::max(0, m_entries.back().first);
    forEachLater([&](int32_t, const std::string &field) {
        int32_t n = 0;
        if (tryStrToInt(field, n))
            highest = std::max(highest, n);
    });
    return highest;
}

void CodeIndex::addLater(int32_t value, std::string_view text, std::vector<int32_t> &result) const
{
    forEachLater([&](int32_t r, const std::string &field) {
        int32_t n = 0;
        if (tryStrToInt(field, n) && n == value && field.find(text) != std::string::npos)
            result.push_back(r);
    });
}

std::vector<int32_t> CodeIndex::find(std::string_view text) const
{
    bool viaSelect = false;
    const Range found = candidates(text, viaSelect);
    if (viaSelect) {
        TIndex index;
        SelectEqualIdx(*m_header, *m_data, m_field, text, index);
        return std::vector<int32_t>(index.begin() + 1, index.end());
    }
    std::vector<int32_t> result;
    if (m_field < 1 || text.empty())
        return result;
    for (const Entry *e = found.first; e != found.second; ++e)
        if (matches(e->second, text, true))
            result.push_back(e->second);
    addLater(strToInt(text), text, result);
    return result;
}

int CodeIndex::first(std::string_view text) const
{
    const std::vector<int32_t> all = find(text);
    return all.empty() ? 0 : all.front();
}

int CodeIndex::last(std::string_view text) const
{
    const std::vector<int32_t> all = find(text);
    return all.empty() ? 0 : all.back();
}

std::vector<int32_t> CodeIndex::findIntegers(std::string_view text) const
{
    std::vector<int32_t> result;
    int32_t n = 0;
    if (m_field < 1 || !tryStrToInt(text, n))
        return result;
    // A text such as "030" is no plain decimal, but equal fields still hold the value 30 and
    // contain the text, which is what the index keeps apart.
    auto [from, to] = std::equal_range(m_entries.begin(), m_entries.end(), Entry{n, 0},
                                       [](const Entry &a, const Entry &b) { return a.first < b.first; });
    const bool canonical = isCanonicalInteger(text);
    for (auto e = from; e != to; ++e)
        if (matches(e->second, text, canonical))
            result.push_back(e->second);
    addLater(n, text, result);
    return result;
}

int CodeIndex::firstInteger(std::string_view text) const
{
    const std::vector<int32_t> all = findIntegers(text);
    return all.empty() ? 0 : all.front();
}

int CodeIndex::lastInteger(std::string_view text) const
{
    const std::vector<int32_t> all = findIntegers(text);
    return all.empty() ? 0 : all.back();
}

} // namespace veltor
