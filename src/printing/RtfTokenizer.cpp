#include "printing/RtfTokenizer.h"

#include <algorithm>

namespace veltor {

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Control word names are at most 32 letters and parameters at most 10 digits by the format;
// longer runs are cut there so that damaged input cannot build huge tokens or overflow.
constexpr uint32_t MaxWordLength = 32;
constexpr uint32_t MaxParameterDigits = 10;

} // namespace

RtfToken RtfTokenizer::next()
{
    const auto size = static_cast<uint32_t>(m_bytes.size());
    RtfToken token;
    if (m_pendingBinary > 0) {
        token.type = RtfToken::Type::Binary;
        token.begin = m_pos;
        token.end = m_pos + std::min(m_pendingBinary, size - m_pos);
        m_pos = token.end;
        m_pendingBinary = 0;
        return token;
    }
    while (m_pos < size && (m_bytes[m_pos] == '\r' || m_bytes[m_pos] == '\n'))
        ++m_pos;
    token.begin = m_pos;
    if (m_pos >= size) {
        token.end = m_pos;
        return token;
    }
    const char c = m_bytes[m_pos];
    if (c == '{' || c == '}') {
        token.type = c == '{' ? RtfToken::Type::GroupStart : RtfToken::Type::GroupEnd;
        token.end = ++m_pos;
        return token;
    }
    if (c == '\\')
        return readControl(m_pos);
    token.type = RtfToken::Type::Text;
    while (m_pos < size) {
        const char t = m_bytes[m_pos];
        if (t == '\\' || t == '{' || t == '}' || t == '\r' || t == '\n')
            break;
        ++m_pos;
    }
    token.end = m_pos;
    return token;
}

RtfToken RtfTokenizer::readControl(uint32_t start)
{
    const auto size = static_cast<uint32_t>(m_bytes.size());
    RtfToken token;
    token.begin = start;
    uint32_t pos = start + 1;
    if (pos >= size) {
        // A lone backslash at the very end: nothing follows it to escape.
        token.type = RtfToken::Type::ControlSymbol;
        token.symbol = '\\';
        token.end = m_pos = pos;
        return token;
    }
    const char c = m_bytes[pos];
    if (!isLetter(c)) {
        if (c == '\'' && pos + 2 < size && hexValue(m_bytes[pos + 1]) >= 0
            && hexValue(m_bytes[pos + 2]) >= 0) {
            token.type = RtfToken::Type::Hex;
            token.byte = static_cast<unsigned char>(hexValue(m_bytes[pos + 1]) * 16
                                                    + hexValue(m_bytes[pos + 2]));
            token.end = m_pos = pos + 3;
            return token;
        }
        token.type = RtfToken::Type::ControlSymbol;
        token.symbol = c;
        token.end = m_pos = pos + 1;
        return token;
    }
    token.type = RtfToken::Type::ControlWord;
    const uint32_t nameStart = pos;
    while (pos < size && isLetter(m_bytes[pos]) && pos - nameStart < MaxWordLength)
        ++pos;
    token.word = m_bytes.substr(nameStart, pos - nameStart);
    bool negative = false;
    if (pos + 1 < size && m_bytes[pos] == '-' && isDigit(m_bytes[pos + 1])) {
        negative = true;
        ++pos;
    }
    const uint32_t digitsStart = pos;
    int64_t value = 0;
    while (pos < size && isDigit(m_bytes[pos]) && pos - digitsStart < MaxParameterDigits) {
        value = value * 10 + (m_bytes[pos] - '0');
        ++pos;
    }
    if (pos > digitsStart) {
        token.hasParameter = true;
        value = negative ? -value : value;
        value = std::clamp<int64_t>(value, INT32_MIN, INT32_MAX);
        token.parameter = static_cast<int32_t>(value);
    }
    if (pos < size && m_bytes[pos] == ' ') {
        token.delimitedByBlank = true;
        ++pos;
    }
    token.end = m_pos = pos;
    if (token.word == "bin" && token.hasParameter && token.parameter > 0)
        m_pendingBinary = static_cast<uint32_t>(token.parameter);
    return token;
}

} // namespace veltor
