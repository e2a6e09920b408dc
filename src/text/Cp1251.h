#pragma once
#include <string>
#include <string_view>

// Every stored text is CP1251 bytes. These conversions are the only bridge to UTF-8, which the
// source files, error messages and the widget boundary use.
namespace veltor {

// CP1251 bytes to UTF-8. Every byte maps to a character (0x98, unassigned, becomes U+FFFD).
std::string cp1251ToUtf8(std::string_view cp1251);

// UTF-8 to CP1251. A character CP1251 cannot hold becomes '?'; a malformed sequence too.
std::string utf8ToCp1251(std::string_view utf8);

// The character a CP1251 byte stands for (0x98, unassigned, is U+FFFD), and the byte of a
// character; -1 when CP1251 cannot hold it.
char32_t cp1251CodePoint(unsigned char byte);
int cp1251ByteOf(char32_t codePoint);

// CP866 (DOS Cyrillic) byte to CP1251, for the DOS->WIN conversion of a table.
unsigned char cp866ToCp1251(unsigned char c);
void convertCp866ToCp1251(std::string &bytes);

// A UTF-8 literal of the sources turned into CP1251 once: cp("Востановлен").
inline std::string cp(std::string_view utf8) { return utf8ToCp1251(utf8); }

} // namespace veltor
