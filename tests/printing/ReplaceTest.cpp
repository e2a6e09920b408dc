#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "PrintingTestSupport.h"
#include "printing/RtfDocument.h"
#include "text/Cp1251.h"

namespace veltor {
namespace {

using testing::reread;
using testing::rtf;

struct ReplaceCase {
    const char *name;
    std::string body; // RTF body
    std::vector<std::pair<std::string, std::string>> replacements; // UTF-8, applied in order
    std::string expected; // UTF-8 visible text of the saved document
};

void PrintTo(const ReplaceCase &c, std::ostream *os) { *os << c.name; }

class ReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, SavedDocumentShowsTheReplacedText)
{
    const ReplaceCase &c = GetParam();
    RtfDocument document(rtf(c.body), "template.rtf");
    for (const auto &[text, replacement] : c.replacements)
        document.replaceAll(cp(text), cp(replacement));
    EXPECT_EQ(cp1251ToUtf8(reread(document)), c.expected);
}

const ReplaceCase ReplaceCases[] = {
    {"SplitAcrossFormattingRuns", R"(\pard {\b <FA}{\i M>} ok\par)", {{"<FAM>", "Иванов "}},
     "Иванов  ok\n"},
    {"SplitAcrossRevisionGroups",
     R"(\pard\plain {\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid1 <OSNOVA.}{\rtlch\fcs1 \af0 \ltrch\fcs0 )"
     R"(\lang1033\langfe1049\insrsid2 FIO}{\rtlch\fcs1 \af0 \ltrch\fcs0 \insrsid3 >}\par)",
     {{"<OSNOVA.FIO>", "Петров Пётр"}}, "Петров Пётр\n"},
    {"BookmarksInside", R"(\pard <OSNOVA{\*\bkmkstart b1}.FIO{\*\bkmkend b1}>\par)",
     {{"<OSNOVA.FIO>", "X"}}, "X\n"},
    {"FieldResultButNotItsInstruction",
     R"(\pard {\field{\*\fldinst { DOCPROPERTY "<DATA>" }}{\fldrslt {<DATA>}}}\par)",
     {{"<DATA>", "01.02.2025"}}, "01.02.2025\n"},
    {"HexEscapedCyrillic", R"(\pard \'d4\'e0\'ec\'e8\'eb\'e8\'ff: <FAM>\par)",
     {{"Фамилия", "Surname"}, {"<FAM>", "Сидоров"}}, "Surname: Сидоров\n"},
    {"UnicodeEscapesWithFallback", R"(\pard\uc1 \u1060?\u1072?<X>\par)", {{"Фа<X>", "ok"}}, "ok\n"},
    {"UnicodeSkipOfTwo", R"(\pard\uc2 \u1060\'d4\'d4<X>\par)", {{"Ф<X>", "ok"}}, "ok\n"},
    {"UnicodeSkipOfZero", R"(\pard\uc0 \u1060<X>\par)", {{"Ф<X>", "ok"}}, "ok\n"},
    {"UnicodeFallbackEndsAtGroup", R"(\pard\uc1 {\u1060}<X>\par)", {{"Ф<X>", "ok"}}, "ok\n"},
    {"NegativeUnicodeParameter", R"(\pard\uc1 \u-4064?<X>\par)", {{"<X>", "ok"}},
     "?ok\n"},
    {"LettersComparedWithoutCase", R"(\pard <fam> and <Fam>\par)", {{"<FAM>", "Иванов"}},
     "Иванов and Иванов\n"},
    {"CyrillicComparedWithoutCase", R"(\pard \'c8\'e2\'e0\'ed\par)", {{"иВАН", "Пётр"}}, "Пётр\n"},
    {"EveryOccurrence", R"(\pard <D> {\b <D>} <D>\par)", {{"<D>", "1"}}, "1 1 1\n"},
    {"NonOverlappingLeftToRight", R"(\pard aaa\par)", {{"aa", "b"}}, "ba\n"},
    {"ReplacementNotSearchedAgainByTheSameCall", R"(\pard <A>\par)", {{"<A>", "<A><A>"}},
     "<A><A>\n"},
    {"LaterCallFindsInsertedText", R"(\pard <A> <B>\par)", {{"<A>", "<B>!"}, {"<B>", "b"}},
     "b! b\n"},
    {"LaterCallFindsTextSpanningInsertedAndOriginal", R"(\pard {\b <A>}C>\par)",
     {{"<A>", "<B"}, {"<BC>", "ok"}}, "ok\n"},
    {"MarkupInValuesStaysText", R"(\pard <V>\par)", {{"<V>", "{\\b1 Иванов} \\par \\'41"}},
     "{\\b1 Иванов} \\par \\'41\n"},
    {"TrailingBlanksKept", R"(\pard [<IMJA>]\par)", {{"<IMJA>", "Иван "}}, "[Иван ]\n"},
    {"EmptyReplacementRemoves", R"(\pard a<TRUD>b\par)", {{"<TRUD>", ""}}, "ab\n"},
    {"ControlWordBeforePlaceholderKeepsItsDelimiter", R"(\pard\b<V>\b0\par)", {{"<V>", "5x"}},
     "5x\n"},
    {"ControlWordBeforeRemovedText", R"(\pard\tab<V>x\par)", {{"<V>", ""}}, "\tx\n"},
    {"ControlWordWithParameterBeforePlaceholder", R"(\pard\fs24<V>\par)", {{"<V>", "12"}},
     "12\n"},
    {"LineBreaksInValue", R"(\pard <V>\par)", {{"<V>", "a\r\nb\nc"}}, "a\vb\vc\n"},
    {"TabInValue", R"(\pard <V>\par)", {{"<V>", "a\tb"}}, "a\tb\n"},
    {"HeaderAndFooterToo", R"({\header \pard <DATA>\par}{\footer \pard <DATA>\par}\pard <DATA>\par)",
     {{"<DATA>", "d"}}, "ddd\n"},
    {"ParagraphBreakStopsAMatch", R"(\pard <A\par B>\par)", {{"<AB>", "x"}}, "<A\nB>\n"},
    {"PictureStopsAMatch", R"(\pard <A{\pict\wmetafile8 0102}B>\par)", {{"<AB>", "x"}}, "<AB>\n"},
    {"ListNumberTextIsNotDocumentText", R"(\pard {\listtext 1.\tab}<A>\par)", {{"1.\t<A>", "x"}},
     "<A>\n"},
    {"HiddenDestinationsAreNotText",
     R"({\info{\title <A>}}{\stylesheet{\s1 <A>;}}{\*\generator <A>;}\pard <A>\par)",
     {{"<A>", "x"}}, "x\n"},
    {"BinaryDataIsSkipped", "{\\*\\blob\\bin4 <A>}}\\pard <A>\\par", {{"<A>", "x"}}, "x\n"},
    // \binN with its data is one fallback character: it goes with the \uN, never left as markup.
    {"BinaryFallbackGoesWithItsCharacter", "\\pard\\uc1 <\\u1071\\bin4 \\par>\\par", {{"<Я>", "x"}}, "x\n"},
    {"StarOnlyAfterABraceHidesAGroup", R"(\pard {\i a\*\b <X>\b0 }{\*\b <X>}<X>\par)", {{"<X>", "x"}},
     "axx\n"},
    {"UnicodeHalfOfUpr", R"(\pard {\upr{A<X>}{\*\ud{U<X>}}}\par)", {{"<X>", "x"}}, "Ux\n"},
    {"TextBoxButNotItsFallback",
     R"(\pard a{\shp{\*\shpinst{\sp{\sn t}{\sv <X>}}{\shptxt \pard <X>\par}}{\shprslt <X>}}b\par)",
     {{"<X>", "x"}}, "axb\n"},
    {"EscapedBracesInDocument", R"(\pard \{<A>\}\par)", {{"{<A>}", "x"}}, "x\n"},
    {"TextOnlyPlaceholderStaysWhenNotGiven", R"(\pard <OSNOVA.OKLAD_PROPIS>\par)",
     {{"<OSNOVA.OKLAD>", "1"}}, "<OSNOVA.OKLAD_PROPIS>\n"},
    {"EmptyFindTextChangesNothing", R"(\pard abc\par)", {{"", "x"}}, "abc\n"},
    // Find passes over hidden text, tracked deletions and comment marks; these placeholders
    // stayed in the printed document.
    {"HiddenTextInsidePlaceholder", R"(\pard <OSNOVA.{\v x}FIO> {\v <OSNOVA.FIO>}\par)",
     {{"<OSNOVA.FIO>", "Белова"}}, "Белова \n"},
    {"TrackedDeletionInsidePlaceholder",
     R"(\pard <OS{\deleted\revauthdel1 XX}NOVA.FIO>{\deleted0 !}\par)", {{"<OSNOVA.FIO>", "Белова"}},
     "Белова!\n"},
    {"CommentMarkInsidePlaceholder",
     R"(\pard <OSNOVA.{\*\atrfstart 1}FI{\*\atrfend 1}{\*\atnid И}{\*\atnauthor И}\chatn )"
     R"({\*\annotation{\*\atnref 1}\pard <X>\par}O>\par)",
     {{"<OSNOVA.FIO>", "Белова"}}, "Белова\n"},
    {"PlainEndsHiddenText", R"(\pard {\v\plain <A>}{\v1\v0 <A>}\par)", {{"<A>", "x"}}, "xx\n"},
};

INSTANTIATE_TEST_SUITE_P(Documents, ReplaceTest, ::testing::ValuesIn(ReplaceCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ReplaceBytes, OnlyTheReplacedCharactersChange)
{
    RtfDocument document(R"({\rtf1 {\b <FA}{\i M>}\par})", "t.rtf");
    document.replaceAll("<FAM>", cp("Ив{}"));
    EXPECT_EQ(document.toBytes(), R"({\rtf1 {\b \u1048?\u1074?\{\}}{\i }\par})");
}

TEST(ReplaceBytes, FallbackCountFollowsTheUnicodeSkipInEffect)
{
    RtfDocument document(R"({\rtf1\uc2 <A>\uc0 <B>\par})", "t.rtf");
    document.replaceAll("<A>", cp("Я"));
    document.replaceAll("<B>", cp("Я1"));
    EXPECT_EQ(document.toBytes(), R"({\rtf1\uc2 \u1071??\uc0 \u1071 1\par})");
    EXPECT_EQ(cp1251ToUtf8(reread(document)), "ЯЯ1\n");
}

TEST(ReplaceBytes, HiddenPartsOfAPlaceholderGoWithItAndNothingElseDoes)
{
    RtfDocument document(R"({\rtf1 a{\b <A{\v x}B>}{\v y}<AB\chatn {\*\annotation c}>\par})", "t.rtf");
    document.replaceAll("<AB>", "V");
    EXPECT_EQ(document.toBytes(), R"({\rtf1 a{\b V{\v }}{\v y}V\chatn {\*\annotation c}\par})");

    // A cell's new text goes where its first shown character was, not into hidden text.
    RtfDocument table(R"({\rtf1 \trowd\cellx3000\pard\intbl {\v h}{\i a}\cell\row\pard\par})", "t.rtf");
    table.setCellText(1, 1, 1, "b");
    EXPECT_EQ(table.toBytes(), R"({\rtf1 \trowd\cellx3000\pard\intbl {\v }{\i b}\cell\row\pard\par})");
}

TEST(ReplaceBytes, ValuesAreWrittenInTheCodePageOfTheirPlace)
{
    // Every letter was \uN? (seven bytes, "??????" in readers without Unicode): now \'hh where the
    // font's code page holds it, \uN with its fallback beyond it, surrogates beyond 16 bits.
    RtfDocument document(testing::rtf(R"(\pard <A>|{\f1 <A>}|{\uc0\f1 <A>}\par)"), "t.rtf");
    document.replaceAll("<A>", cp("Ёж"));
    EXPECT_NE(document.toBytes().find(R"(\pard \'a8\'e6|{\f1 \u1025?\u1078?}|{\uc0\f1 \u1025 \u1078 })"),
              std::string::npos)
        << document.toBytes();
    EXPECT_EQ(cp1251ToUtf8(reread(document)), "Ёж|Ёж|Ёж\n");

    RtfDocument unicode(testing::rtf(R"(\pard <A>|{\f1 <A>}\par)"), "t.rtf");
    EXPECT_EQ(unicode.replaceAllUnicode(U"<a>", U"\u00FC\U0001F600"), 2);
    EXPECT_NE(unicode.toBytes().find(R"(\pard \u252?\u-10179?\u-8704?|{\f1 \'fc\u-10179?\u-8704?}\par)"),
              std::string::npos)
        << unicode.toBytes();
    EXPECT_EQ(unicode.replaceAllUnicode(U"<A>", U"x"), 0);
}

TEST(ReplaceBytes, DocumentWithoutMatchesIsWrittenByteForByte)
{
    const std::string source = rtf(R"(\pard {\b Text} \'c0\u1071?{\*\bkmkstart x}\par)") + "\r\n";
    RtfDocument document(source, "t.rtf");
    for (const char *placeholder : {"<FAM>", "<IMJA>", "<OSNOVA.FIO>", "<DATA>"})
        document.replaceAll(placeholder, "value");
    EXPECT_EQ(document.toBytes(), source);
}

TEST(ReplaceBytes, DamagedHexEscapeDoesNotSwallowTheValue)
{
    // Found by the damaged-document test: this was written "\\'cafe", read back as "\xCA" + "fe".
    RtfDocument document("{\\rtf1 \\'<A>\\par}", "t.rtf");
    document.replaceAll("<A>", "cafe");
    EXPECT_EQ(document.toBytes(), "{\\rtf1 \\'{}cafe\\par}");
    EXPECT_EQ(reread(document), "cafe\n");
}

TEST(ReplaceBytes, ReplacementInAWesternFontDocumentStillReadsAsCyrillic)
{
    // \'hh would be read in the font's Western code page; \uN is not.
    RtfDocument document(R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0\fcharset0 Arial;}}\f0 <A>\par})",
                         "t.rtf");
    document.replaceAll("<A>", cp("Ёлка"));
    EXPECT_EQ(cp1251ToUtf8(reread(document)), "Ёлка\n");
}

} // namespace
} // namespace veltor
