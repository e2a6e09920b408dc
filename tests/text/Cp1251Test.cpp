#include <gtest/gtest.h>

#include <string>

#include "text/Cp1251.h"

using namespace veltor;

TEST(Cp1251, EveryAssignedByteRoundTrips)
{
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98)
            continue;
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(byte)), byte) << "byte " << b;
    }
}

TEST(Cp1251, UnassignedByteBecomesReplacementCharacter)
{
    EXPECT_EQ(cp1251ToUtf8("\x98"), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8ToCp1251("\xEF\xBF\xBD"), "?");
}

TEST(Cp1251, CharactersOutsideTheAlphabetMapToTheirBytes)
{
    const struct {
        unsigned char byte;
        const char *utf8;
    } cases[] = {
        {0xA8, "Ё"}, {0xB8, "ё"}, {0xB9, "№"}, {0xAB, "«"}, {0xBB, "»"}, {0x97, "—"}, {0x96, "–"},
        {0x88, "€"}, {0x85, "…"}, {0xA5, "Ґ"}, {0xB4, "ґ"}, {0xB2, "І"}, {0xBF, "ї"}, {0xA0, "\u00A0"},
        {0xC0, "А"}, {0xDF, "Я"}, {0xE0, "а"}, {0xFF, "я"}, {0x41, "A"},
    };
    for (const auto &c : cases) {
        const std::string byte(1, static_cast<char>(c.byte));
        const std::string utf8 = c.utf8;
        EXPECT_EQ(cp1251ToUtf8(byte), utf8) << "byte " << int(c.byte);
        EXPECT_EQ(utf8ToCp1251(utf8), byte) << "byte " << int(c.byte);
    }
}

TEST(Cp1251, CyrillicTextsRoundTrip)
{
    for (const std::string text : {"Съешь же ещё этих мягких французских булок, да выпей чаю.",
                                   "ЁЛКА — «Ёлочка» № 5", "Востановлен", "Дополнительный ", ""}) {
        const std::string bytes = utf8ToCp1251(text);
        EXPECT_EQ(cp1251ToUtf8(bytes), text);
    }
    EXPECT_EQ(cp("Ёж"), "\xA8\xE6");
}

TEST(Cp1251, UnmappableAndMalformedUtf8BecomesQuestionMarks)
{
    const struct {
        const char *utf8;
        const char *expected;
    } cases[] = {
        {"日本", "??"},
        {"\xF0\x9F\x98\x80!", "?!"},             // a character beyond the basic plane
        {"ä", "?"},
        {"\xC3", "?"},                           // truncated at the end
        {"\xC3" "A", "?A"},                      // lead byte without its continuation
        {"\xE2\x80" "A", "?A"},                  // one '?' for the valid start of a sequence
        {"\x80\xBF", "??"},                      // lone continuation bytes
        {"\xC0\x80", "??"},                      // overlong NUL
        {"\xE0\x80\x80", "???"},                 // overlong three-byte form
        {"\xED\xA0\x80", "???"},                 // surrogate
        {"\xF4\x90\x80\x80", "????"},            // past U+10FFFF
        {"\xF8\x88\x80\x80\x80", "?????"},
        {"\xD0\x90\x80\xD0\xAF", "\xC0?\xDF"},   // А, stray byte, Я
    };
    for (const auto &c : cases)
        EXPECT_EQ(utf8ToCp1251(c.utf8), c.expected) << c.utf8;
}

TEST(Cp1251, Cp866LettersConvert)
{
    std::string dos;
    for (int b = 0x80; b < 0xB0; ++b)
        dos.push_back(static_cast<char>(b));
    for (int b = 0xE0; b < 0xF2; ++b)
        dos.push_back(static_cast<char>(b));
    dos += "\xFC Az09";
    convertCp866ToCp1251(dos);
    EXPECT_EQ(cp1251ToUtf8(dos), "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюяЁё№ Az09");
}

TEST(Cp1251, Cp866BoxDrawingBecomesPlainLines)
{
    std::string frame = "\xDA\xC4\xBF\xB3\xCD\xBA\xB0";
    convertCp866ToCp1251(frame);
    EXPECT_EQ(cp1251ToUtf8(frame), "+-+¦-¦?");
}
