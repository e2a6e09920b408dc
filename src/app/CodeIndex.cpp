#include "app/CodeIndex.h"

#include "text/Convert.h"

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
            m_byValue[n].push_back(r);
            m_text[r] = std::move(value);
        } else {
            m_notIntegers.push_back(std::move(value));
        }
    }
}

const std::vector<int32_t> *CodeIndex::candidates(std::string_view text, bool &viaSelect) const
{
    static const std::vector<int32_t> none;
    viaSelect = false;
    if (m_field < 1 || text.empty())
        return &none;
    int32_t n = 0;
    char canonical[16];
    const bool plain = tryStrToInt(text, n)
        && std::string_view(canonical, std::snprintf(canonical, sizeof canonical, "%d", n)) == text;
    bool clash = false;
    for (const std::string &bad : m_notIntegers)
        if (bad.find(text) != std::string::npos)
            clash = true;
    if (!plain || clash) {
        viaSelect = true;
        return nullptr;
    }
    auto it = m_byValue.find(n);
    return it == m_byValue.end() ? &none : &it->second;
}

bool CodeIndex::matches(int32_t record, std::string_view text) const
{
    return m_text[record].find(text) != std::string::npos;
}

std::vector<int32_t> CodeIndex::find(std::string_view text) const
{
    bool viaSelect = false;
    const std::vector<int32_t> *found = candidates(text, viaSelect);
    if (viaSelect) {
        TIndex index;
        SelectEqualIdx(*m_header, *m_data, m_field, text, index);
        return std::vector<int32_t>(index.begin() + 1, index.end());
    }
    std::vector<int32_t> result;
    for (int32_t r : *found)
        if (matches(r, text))
            result.push_back(r);
    return result;
}

int CodeIndex::first(std::string_view text) const
{
    bool viaSelect = false;
    const std::vector<int32_t> *found = candidates(text, viaSelect);
    if (viaSelect) {
        auto all = find(text);
        return all.empty() ? 0 : all.front();
    }
    for (int32_t r : *found)
        if (matches(r, text))
            return r;
    return 0;
}

int CodeIndex::last(std::string_view text) const
{
    bool viaSelect = false;
    const std::vector<int32_t> *found = candidates(text, viaSelect);
    if (viaSelect) {
        auto all = find(text);
        return all.empty() ? 0 : all.back();
    }
    for (auto it = found->rbegin(); it != found->rend(); ++it)
        if (matches(*it, text))
            return *it;
    return 0;
}

} // namespace veltor
