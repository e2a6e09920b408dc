#pragma once
#include <string>
#include <string_view>

// The single-byte code pages a document's bytes are read in, and the case folding a word
// processor's Find uses when case is not matched.
namespace veltor {

// A character that none of the tables knows: never equal to a character of a searched text.
constexpr char32_t UnknownCharacter = 0xFFFD;

// The character byte `b` stands for in Windows code page `codePage`. Tables exist for 1250,
// 1251 and 1252; in any other code page bytes 0x80-0xFF are UnknownCharacter.
char32_t decodeByte(int codePage, unsigned char b);

// The byte of a character in Windows code page `codePage` (1250, 1251 or 1252; ASCII in any),
// or -1 when the code page cannot hold it or is not one of these.
int encodeByte(int codePage, char32_t c);

// CP1251 byte of a character, or -1 when CP1251 cannot hold it.
int encodeCp1251(char32_t c);

// CP1251 text as characters and back ('?' for what CP1251 cannot hold).
std::u32string fromCp1251(std::string_view text);
std::string toCp1251(std::u32string_view text);

// The code page of a font's \fcharset; 0 when the charset defers to the document's code page.
int codePageOfCharset(int charset);

// Lower case of letters of the Latin, Greek and Cyrillic alphabets that the Windows code
// pages above hold; every other character unchanged.
char32_t foldCase(char32_t c);

} // namespace veltor
