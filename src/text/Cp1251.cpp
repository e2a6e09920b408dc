#include "text/Cp1251.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace veltor {
namespace {

// Code points of the CP1251 bytes 0x80-0xBF. 0xC0-0xFF are А..я, U+0410-U+044F, in order.
// 0x98 is unassigned in CP1251 and reads as the replacement character.
constexpr std::array<char16_t, 64> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

constexpr char16_t codePointOf(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte < 0xC0)
        return kHighHalf[byte - 0x80];
    return static_cast<char16_t>(0x0410 + (byte - 0xC0));
}

// The UTF-8 form of every byte 0x80-0xFF, so that decoding a text is one table copy per byte.
struct Utf8Form {
    std::array<char, 3> bytes{};
    uint8_t length = 0;
};

constexpr std::array<Utf8Form, 128> makeUtf8Forms()
{
    std::array<Utf8Form, 128> forms{};
    for (int i = 0; i < 128; ++i) {
        const char32_t cp = codePointOf(static_cast<unsigned char>(0x80 + i));
        Utf8Form form;
        if (cp < 0x800) {
            form.bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
            form.bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
            form.length = 2;
        } else {
            form.bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
            form.bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            form.bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
            form.length = 3;
        }
        forms[i] = form;
    }
    return forms;
}

constexpr auto kUtf8Forms = makeUtf8Forms();

// Code points U+0400-U+045F (the Cyrillic block CP1251 covers) to bytes; 0 where CP1251 has none.
constexpr std::array<unsigned char, 0x60> makeCyrillicBytes()
{
    std::array<unsigned char, 0x60> bytes{};
    for (int b = 0x80; b < 0x100; ++b) {
        const char16_t cp = codePointOf(static_cast<unsigned char>(b));
        if (cp >= 0x0400 && cp < 0x0460)
            bytes[cp - 0x0400] = static_cast<unsigned char>(b);
    }
    return bytes;
}

constexpr auto kCyrillicBytes = makeCyrillicBytes();

struct CodePointByte {
    char16_t codePoint;
    unsigned char byte;
};

constexpr bool isOther(char16_t cp) { return (cp < 0x0400 || cp >= 0x0460) && cp != 0xFFFD; }

constexpr std::size_t countOthers()
{
    std::size_t count = 0;
    for (int b = 0x80; b < 0xC0; ++b)
        count += isOther(codePointOf(static_cast<unsigned char>(b))) ? 1 : 0;
    return count;
}

// The remaining non-ASCII characters of CP1251 (punctuation, signs, Ґ ґ), sorted by code point.
constexpr std::array<CodePointByte, countOthers()> makeOtherBytes()
{
    std::array<CodePointByte, countOthers()> others{};
    std::size_t count = 0;
    for (int b = 0x80; b < 0xC0; ++b) {
        const char16_t cp = codePointOf(static_cast<unsigned char>(b));
        if (isOther(cp))
            others[count++] = {cp, static_cast<unsigned char>(b)};
    }
    std::sort(others.begin(), others.end(),
              [](const CodePointByte &a, const CodePointByte &b) { return a.codePoint < b.codePoint; });
    return others;
}

constexpr auto kOtherBytes = makeOtherBytes();

int byteOf(char32_t cp)
{
    if (cp < 0x80)
        return static_cast<int>(cp);
    if (cp >= 0x0400 && cp < 0x0460) {
        const unsigned char b = kCyrillicBytes[cp - 0x0400];
        return b != 0 ? b : -1;
    }
    const auto it = std::lower_bound(kOtherBytes.begin(), kOtherBytes.end(), cp,
                                     [](const CodePointByte &e, char32_t v) { return e.codePoint < v; });
    if (it != kOtherBytes.end() && it->codePoint == cp)
        return it->byte;
    return -1;
}

char byteForCodePoint(char32_t cp)
{
    const int b = byteOf(cp);
    return b < 0 ? '?' : static_cast<char>(b);
}

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// CP866 bytes 0x80-0xFF in CP1251. Letters map exactly; the box-drawing characters, which CP1251
// lacks, become the nearest ASCII lines (horizontal '-', vertical '¦', corners and joins '+'), and
// shades, blocks and the remaining signs '?'.
constexpr std::array<unsigned char, 128> makeCp866Table()
{
    std::array<unsigned char, 128> table{};
    for (int i = 0; i < 0x30; ++i)
        table[i] = static_cast<unsigned char>(0xC0 + i); // А..Я, а..п
    for (int i = 0x30; i < 0x60; ++i)
        table[i] = '+';
    for (int i : {0x30, 0x31, 0x32, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F})
        table[i] = '?';
    table[0x33] = 0xA6; // │
    table[0x3A] = 0xA6; // ║
    table[0x44] = '-';  // ─
    table[0x4D] = '-';  // ═
    for (int i = 0x60; i < 0x70; ++i)
        table[i] = static_cast<unsigned char>(0xF0 + (i - 0x60)); // р..я
    constexpr unsigned char tail[16] = {
        0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2, // Ё ё Є є Ї ї Ў ў
        0xB0, 0xB7, 0xB7, '?', 0xB9, 0xA4, '?', 0xA0,   // ° ∙ · √ № ¤ ■ nbsp
    };
    for (int i = 0; i < 16; ++i)
        table[0x70 + i] = tail[i];
    return table;
}

constexpr auto kCp866Table = makeCp866Table();

} // namespace

std::string cp1251ToUtf8(std::string_view cp1251)
{
    std::string out;
    out.resize(cp1251.size() * 3);
    char *dst = out.data();
    for (const char c : cp1251) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            *dst++ = c;
        } else {
            const Utf8Form &form = kUtf8Forms[b - 0x80];
            dst[0] = form.bytes[0];
            dst[1] = form.bytes[1];
            dst[2] = form.bytes[2];
            dst += form.length;
        }
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
    return out;
}

std::string utf8ToCp1251(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    const auto *p = reinterpret_cast<const unsigned char *>(utf8.data());
    const auto *end = p + utf8.size();
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++p;
            continue;
        }
        // Decode by the well-formed byte sequences of Unicode (no overlong forms, no surrogates,
        // nothing past U+10FFFF). An ill-formed sequence gives one '?' for its longest valid start.
        int need = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        char32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            cp = lead & 0x0F;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            cp = lead & 0x07;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            out.push_back('?');
            ++p;
            continue;
        }
        ++p;
        bool ok = true;
        for (int i = 0; i < need; ++i) {
            if (p == end || *p < low || *p > high || !isContinuation(*p)) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (*p & 0x3F);
            ++p;
            low = 0x80;
            high = 0xBF;
        }
        out.push_back(ok ? byteForCodePoint(cp) : '?');
    }
    return out;
}

char32_t cp1251CodePoint(unsigned char byte) { return codePointOf(byte); }

int cp1251ByteOf(char32_t codePoint) { return byteOf(codePoint); }

unsigned char cp866ToCp1251(unsigned char c)
{
    return c < 0x80 ? c : kCp866Table[c - 0x80];
}

void convertCp866ToCp1251(std::string &bytes)
{
    for (char &c : bytes)
        c = static_cast<char>(cp866ToCp1251(static_cast<unsigned char>(c)));
}

} // namespace veltor
