#include "app/CodeIndex.h"

#include "text/Convert.h"

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

std::vector<int32_t> CodeIndex::find(std::string_view text) const
{
    if (m_field < 1 || text.empty())
        return {};
    int32_t n = 0;
    bool plain = tryStrToInt(text, n) && intToStr(n) == text;
    bool clash = false;
    for (const std::string &bad : m_notIntegers)
        if (bad.find(text) != std::string::npos)
            clash = true;
    if (!plain || clash) {
        TIndex index;
        SelectEqualIdx(*m_header, *m_data, m_field, text, index);
        return std::vector<int32_t>(index.begin() + 1, index.end());
    }
    auto it = m_byValue.find(n);
    if (it == m_byValue.end())
        return {};
    std::vector<int32_t> result;
    result.reserve(it->second.size());
    for (int32_t r : it->second)
        if (m_text[r].find(text) != std::string::npos)
            result.push_back(r);
    return result;
}

int CodeIndex::first(std::string_view text) const
{
    auto found = find(text);
    return found.empty() ? 0 : found.front();
}

int CodeIndex::last(std::string_view text) const
{
    auto found = find(text);
    return found.empty() ? 0 : found.back();
}

} // namespace veltor
