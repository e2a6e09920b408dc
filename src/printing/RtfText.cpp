#include "printing/RtfText.h"

#include "printing/CodePages.h"
#include "printing/RtfReader.h"

namespace veltor {

namespace {

void appendCharacter(std::string &out, char32_t c, int unicodeSkip, int codePage)
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
    } else if (c > 0xFFFF && c <= 0x10FFFF) {
        // Beyond 16 bits: a surrogate pair, as Word writes one.
        const char32_t v = c - 0x10000;
        appendCharacter(out, 0xD800 + (v >> 10), unicodeSkip, 0);
        appendCharacter(out, 0xDC00 + (v & 0x3FF), unicodeSkip, 0);
    } else if (c >= 0x80 && c <= 0xFFFF) {
        const int b = encodeByte(codePage, c);
        if (b >= 0x80) {
            static constexpr char Hex[] = "0123456789abcdef";
            out.append("\\'");
            out.push_back(Hex[b >> 4]);
            out.push_back(Hex[b & 15]);
            return;
        }
        // \uN takes a signed 16-bit number.
        const int value = c > 0x7FFF ? static_cast<int>(c) - 65536 : static_cast<int>(c);
        out.append("\\u");
        out.append(std::to_string(value));
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

std::u32string documentTextOf(std::u32string_view text)
{
    std::u32string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            result.push_back(LineBreakMark);
        } else {
            result.push_back(text[i]);
        }
    }
    return result;
}

void appendRtfText(std::string &out, std::u32string_view text, int unicodeSkip, int codePage)
{
    for (char32_t c : text)
        appendCharacter(out, c, unicodeSkip, codePage);
}

void appendRtfText(std::string &out, std::string_view cp1251, int unicodeSkip, int codePage)
{
    for (size_t i = 0; i < cp1251.size(); ++i) {
        const auto b = static_cast<unsigned char>(cp1251[i]);
        if (b >= 0x20 && b < 0x7F && b != '\\' && b != '{' && b != '}') {
            out.push_back(static_cast<char>(b));
        } else if (b == '\r' || b == '\n') {
            if (b == '\r' && i + 1 < cp1251.size() && cp1251[i + 1] == '\n')
                ++i;
            appendCharacter(out, LineBreakMark, unicodeSkip, codePage);
        } else {
            appendCharacter(out, decodeByte(1251, b), unicodeSkip, codePage);
        }
    }
}

} // namespace veltor
