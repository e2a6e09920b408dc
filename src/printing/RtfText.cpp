#include "printing/RtfText.h"

#include "printing/CodePages.h"
#include "printing/RtfReader.h"

namespace veltor {

namespace {

void appendCharacter(std::string &out, char32_t c, int unicodeSkip, RtfEscaping escaping)
{
    if (c == '\\' || c == '{' || c == '}') {
        out.push_back('\\');
        out.push_back(static_cast<char>(c));
    } else if (c == '\t') {
        out.append("\\tab ");
    } else if (c == LineBreakMark) {
        out.append("\\line ");
    } else if (c >= 0x20 && c < 0x7F) {
        out.push_back(static_cast<char>(c));
    } else if (c >= 0x80 && c <= 0xFFFF) {
        if (escaping == RtfEscaping::Cp1251Hex) {
            const int b = encodeCp1251(c);
            if (b >= 0) {
                static constexpr char Hex[] = "0123456789abcdef";
                out.append("\\'");
                out.push_back(Hex[b >> 4]);
                out.push_back(Hex[b & 15]);
                return;
            }
        }
        // \uN takes a signed 16-bit number.
        const int value = c > 0x7FFF ? static_cast<int>(c) - 65536 : static_cast<int>(c);
        out.append("\\u");
        out.append(std::to_string(value));
        if (escaping == RtfEscaping::Cp1251Hex)
            unicodeSkip = 1;
        if (unicodeSkip == 0)
            out.push_back(' ');
        else
            out.append(static_cast<size_t>(unicodeSkip), '?');
    }
    // Other control characters and marks have no place in a value: dropped.
}

} // namespace

std::u32string documentTextOf(std::string_view cp1251)
{
    std::u32string result;
    result.reserve(cp1251.size());
    for (size_t i = 0; i < cp1251.size(); ++i) {
        const auto b = static_cast<unsigned char>(cp1251[i]);
        if (b == '\r') {
            if (i + 1 < cp1251.size() && cp1251[i + 1] == '\n')
                ++i;
            result.push_back(LineBreakMark);
        } else if (b == '\n') {
            result.push_back(LineBreakMark);
        } else {
            result.push_back(decodeByte(1251, b));
        }
    }
    return result;
}

void appendRtfText(std::string &out, std::u32string_view text, int unicodeSkip,
                   RtfEscaping escaping)
{
    for (char32_t c : text)
        appendCharacter(out, c, unicodeSkip, escaping);
}

void appendRtfText(std::string &out, std::string_view cp1251, int unicodeSkip,
                   RtfEscaping escaping)
{
    for (size_t i = 0; i < cp1251.size(); ++i) {
        const auto b = static_cast<unsigned char>(cp1251[i]);
        if (b >= 0x20 && b < 0x7F && b != '\\' && b != '{' && b != '}') {
            out.push_back(static_cast<char>(b));
        } else if (b == '\r' || b == '\n') {
            if (b == '\r' && i + 1 < cp1251.size() && cp1251[i + 1] == '\n')
                ++i;
            appendCharacter(out, LineBreakMark, unicodeSkip, escaping);
        } else {
            appendCharacter(out, decodeByte(1251, b), unicodeSkip, escaping);
        }
    }
}

} // namespace veltor
