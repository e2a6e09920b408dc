#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printing/RtfReader.h"
#include "printing/RtfTokenizer.h"

namespace veltor {
namespace {

std::string describe(const RtfToken &t, std::string_view bytes)
{
    std::string text;
    switch (t.type) {
    case RtfToken::Type::GroupStart: text = "{"; break;
    case RtfToken::Type::GroupEnd: text = "}"; break;
    case RtfToken::Type::ControlWord:
        text.append("\\").append(t.word);
        if (t.hasParameter)
            text.append(std::to_string(t.parameter));
        if (t.delimitedByBlank)
            text.append("_");
        break;
    case RtfToken::Type::ControlSymbol: text.append("sym").push_back(t.symbol); break;
    case RtfToken::Type::Hex: text.append("hex").append(std::to_string(t.byte)); break;
    case RtfToken::Type::Text:
        text.append("'").append(bytes.substr(t.begin, t.end - t.begin)).append("'");
        break;
    case RtfToken::Type::Binary: text = "bin"; break;
    case RtfToken::Type::End: text = "end"; break;
    }
    text.append("@").append(std::to_string(t.begin)).append("-").append(std::to_string(t.end));
    return text;
}

TEST(Tokenizer, TokensWithTheirBytes)
{
    const std::string_view bytes = "{\\b1 x\\'e9\r\n\\u-10?\\bin3 {}a\\~\\par}\\";
    RtfTokenizer tokenizer(bytes);
    std::vector<std::string> tokens;
    for (RtfToken t = tokenizer.next(); t.type != RtfToken::Type::End; t = tokenizer.next())
        tokens.push_back(describe(t, bytes));
    const std::vector<std::string> expected = {
        "{@0-1",      "\\b1_@1-5",  "'x'@5-6", "hex233@6-10", "\\u-10@12-17", "'?'@17-18",
        "\\bin3_@18-24", "bin@24-27", "sym~@27-29", "\\par@29-33", "}@33-34", "sym\\@34-35"};
    EXPECT_EQ(tokens, expected);
}

TEST(Tokenizer, DamagedInputEndsCleanly)
{
    // A \bin longer than the data, a truncated \'h, a long run of letters and digits.
    for (std::string_view bytes : {"{\\bin99 ab", "\\'4", "\\abcdefghijklmnopqrstuvwxyzabcdefghijklmnop",
                                   "\\x-", "\\fs99999999999999999999"}) {
        RtfTokenizer tokenizer(bytes);
        uint32_t last = 0;
        int count = 0;
        for (RtfToken t = tokenizer.next(); t.type != RtfToken::Type::End; t = tokenizer.next()) {
            EXPECT_GE(t.begin, last);
            EXPECT_LE(t.end, bytes.size());
            last = t.end;
            ASSERT_LT(++count, 100);
        }
        EXPECT_EQ(last, bytes.size()) << bytes;
    }
}

struct Collected : RtfSink {
    std::u32string text;
    std::vector<RtfChar> chars;
    void character(const RtfChar &c) override
    {
        text.push_back(c.code);
        chars.push_back(c);
    }
};

std::u32string readText(std::string_view bytes)
{
    Collected sink;
    RtfReader(bytes).read(sink);
    return sink.text;
}

TEST(Reader, HexTextInTheCodePageOfTheFontOrDocument)
{
    const struct {
        const char *bytes;
        std::u32string expected;
    } cases[] = {
        {"{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'b8}", U"\u0410\u0451"},
        {"{\\rtf1\\ansi\\ansicpg1252 \\'c0}", U"\u00C0"},
        {"{\\rtf1\\ansi \\'c0}", U"\u00C0"},
        {"{\\rtf1\\ansi\\ansicpg1250 \\'a5}", U"\u0104"},
        {"{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f3\\fcharset204 X;}}\\f3 \\'c0{\\plain \\'c0}}",
         U"\u0410\u00C0"},
        {"{\\rtf1\\ansi\\ansicpg1251\\deff1{\\fonttbl{\\f1\\fcharset0 X;}}\\'c0\\f2 \\'c0}",
         U"\u00C0\u0410"},
        {"{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset1 X;}}\\f0\\'c0}", U"\u0410"},
        {"{\\rtf1\\ansi\\ansicpg932 \\'c0A}", U"\uFFFDA"},
        {"{\\rtf1\\ansi\\ansicpg1251 raw\xc0}", U"raw\u0410"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(readText(c.bytes), c.expected) << c.bytes;
}

TEST(Reader, UnicodeCharacterCoversItsFallback)
{
    Collected sink;
    const std::string_view bytes = "{\\rtf1\\uc1\\u1071\\'df x{\\uc0\\u1071 y}}";
    RtfReader(bytes).read(sink);
    ASSERT_EQ(sink.text, U"\u042F x\u042Fy");
    EXPECT_EQ(bytes.substr(sink.chars[0].begin, sink.chars[0].end - sink.chars[0].begin), "\\u1071\\'df");
    EXPECT_EQ(sink.chars[0].unicodeSkip, 1);
    EXPECT_EQ(sink.chars[0].openBefore, RtfOpenEnd::ControlWord);
    EXPECT_EQ(bytes.substr(sink.chars[3].begin, sink.chars[3].end - sink.chars[3].begin), "\\u1071 ");
    EXPECT_EQ(sink.chars[3].unicodeSkip, 0);
}

TEST(Reader, MarksOfParagraphsTablesAndStories)
{
    const std::string_view bytes =
        "{\\rtf1 a\\par\\trowd\\pard\\intbl b\\par c\\cell\\pard\\intbl\\itap2 d\\nestcell"
        "{\\*\\nesttableprops\\nestrow}\\pard\\intbl\\cell\\row\\pard\\line\\tab\\sect"
        "{\\header h\\par}\\chpgn{\\*\\unknown x}\\emdash}";
    Collected sink;
    RtfReader reader(bytes);
    reader.read(sink);
    const std::u32string expected = {U'a', BodyParagraphMark, U'b', TableParagraphMark, U'c', CellMark,
                                     U'd', NestedCellMark, NestedRowMark, CellMark, RowMark,
                                     LineBreakMark, U'\t', BodyParagraphMark, StoryStartMark, U'h',
                                     SeparatorMark, StoryEndMark, SeparatorMark, U'\u2014'};
    EXPECT_EQ(sink.text, expected);
    EXPECT_EQ(reader.documentEnd(), bytes.size() - 1);
    EXPECT_EQ(reader.codePage(), 1252);
}

} // namespace
} // namespace veltor
