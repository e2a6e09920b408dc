#pragma once
#include <string>
#include <string_view>

// Text written into RTF. Every character is escaped so that no value can become markup:
// \, { and } are quoted, tabs and line breaks become \tab and \line, other control characters
// are dropped. A character beyond ASCII is written as \'hh when the code page in effect where it
// is written holds it (one readers of any age show, and four bytes where \uN? takes seven);
// otherwise as \uN followed by the fallback the \uc in effect asks for.
namespace veltor {

// Characters of a stored CP1251 text as the document holds them: CR LF, CR and LF each
// become one line break mark.
std::u32string documentTextOf(std::string_view cp1251);
std::u32string documentTextOf(std::u32string_view text);

// Appends the escaped characters. `unicodeSkip` is the \uc in effect where they are written,
// `codePage` the code page of the text there (0: none known, every such character as \uN).
void appendRtfText(std::string &out, std::u32string_view text, int unicodeSkip, int codePage);
void appendRtfText(std::string &out, std::string_view cp1251, int unicodeSkip, int codePage);

} // namespace veltor
