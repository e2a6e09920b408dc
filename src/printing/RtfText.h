#pragma once
#include <string>
#include <string_view>

// Text written into RTF. Every character is escaped so that no value can become markup:
// \, { and } are quoted, non-ASCII characters become \uN (or \'hh), tabs and line breaks
// become \tab and \line, and other control characters are dropped.
namespace veltor {

// How characters beyond ASCII are written.
enum class RtfEscaping {
    // \uN followed by as many '?' as the \uc in effect asks for. Word and LibreOffice read the
    // Unicode value whatever the fonts' character sets, so Cyrillic survives in any document.
    Unicode,
    // \'hh in CP1251: for documents whose code page and fonts are CP1251 (those we create).
    Cp1251Hex,
};

// Characters of a stored CP1251 text as the document holds them: CR LF, CR and LF each
// become one line break mark.
std::u32string documentTextOf(std::string_view cp1251);

// Appends the escaped characters. `unicodeSkip` is the \uc in effect where they are written.
void appendRtfText(std::string &out, std::u32string_view text, int unicodeSkip,
                   RtfEscaping escaping = RtfEscaping::Unicode);
void appendRtfText(std::string &out, std::string_view cp1251, int unicodeSkip,
                   RtfEscaping escaping);

} // namespace veltor
