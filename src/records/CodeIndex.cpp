#include "records/CodeIndex.h"

#include "text/Convert.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <cstdio>

namespace veltor {

CodeIndex::CodeIndex(const TTableHeader &header, const std::string &data, std::string_view fieldName)
    : m_header(&header), m_data(&data), m_field(FieldIndex(header, fieldName))
{
    if (m_field < 1)
        return;
    const int count = WholeRecordCount(header, data);
    m_text.resize(count + 1);
    for (int r = 1; r <= count; ++r) {
        std::string value = GetField(header, data, r, m_field);
        if (value.empty())
            continue;
        int32_t n = 0;
        if (tryStrToInt(value, n)) {
            m_entries.emplace_back(n, r);
            m_text[r] = std::move(value);
        } else {
            m_notIntegers.push_back({r, std::move(value)});
        }
    }
    // One contiguous sorted array keeps look-ups cache-friendly on large tables.
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const Entry &a, const Entry &b) { return a.first < b.first; });
}

const CodeIndex &indexByCode(const LoadedTable &table)
{
    struct Cached {
        uint64_t generation = 0;
        std::unique_ptr<CodeIndex> index;
    };
    static std::unordered_map<const LoadedTable *, Cached> cache;
    Cached &slot = cache[&table];
    if (!slot.index || table.Generation == 0 || slot.generation != table.Generation) {
        slot.index = std::make_unique<CodeIndex>(table.Header, table.Data, "KOD");
        slot.generation = table.Generation;
    }
    return *slot.index;
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
    if (!plain || clash) {
        viaSelect = true;
        return none;
    }
    auto [from, to] = std::equal_range(m_entries.begin(), m_entries.end(), Entry{n, 0},
                                       [](const Entry &a, const Entry &b) { return a.first < b.first; });
    return {m_entries.data() + (from - m_entries.begin()), m_entries.data() + (to - m_entries.begin())};
}

bool CodeIndex::matches(int32_t record, std::string_view text) const
{
    return m_text[record].find(text) != std::string::npos;
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
    for (const Entry *e = found.first; e != found.second; ++e)
        if (matches(e->second, text))
            result.push_back(e->second);
    return result;
}

int CodeIndex::first(std::string_view text) const
{
    bool viaSelect = false;
    const Range found = candidates(text, viaSelect);
    if (viaSelect) {
        auto all = find(text);
        return all.empty() ? 0 : all.front();
    }
    for (const Entry *e = found.first; e != found.second; ++e)
        if (matches(e->second, text))
            return e->second;
    return 0;
}

int CodeIndex::last(std::string_view text) const
{
    bool viaSelect = false;
    const Range found = candidates(text, viaSelect);
    if (viaSelect) {
        auto all = find(text);
        return all.empty() ? 0 : all.back();
    }
    for (const Entry *e = found.second; e != found.first;) {
        --e;
        if (matches(e->second, text))
            return e->second;
    }
    return 0;
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
    for (auto e = from; e != to; ++e)
        if (matches(e->second, text))
            result.push_back(e->second);
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
