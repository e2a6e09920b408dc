#include <gtest/gtest.h>

#include <string>

#include "PrintingTestSupport.h"
#include "printing/RtfDocument.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

namespace veltor {
namespace {

using testing::rtf;

// Three top-level tables as Word writes them: the second holds a nested table in its first
// cell, the third has rows of different widths (still one table: no paragraph parts them).
const std::string ThreeTables = rtf(
    "\\pard\\plain Before\\par\n"
    "\\trowd\\trgaph108\\cellx3000\\cellx6000\n"
    "\\pard\\plain\\intbl {\\b\\f1 A1}\\cell B1\\cell\\row\n"
    "\\trowd\\trgaph108\\cellx3000\\cellx6000\n"
    "\\pard\\plain\\intbl A2\\cell \\cell\\row\n"
    "\\pard\\plain Between\\par\n"
    "\\trowd\\cellx4000\\cellx8000\n"
    "\\pard\\plain\\intbl Outer\\par\n"
    "\\pard\\plain\\intbl\\itap2 N1\\nestcell N2\\nestcell{\\*\\nesttableprops\\trowd\\cellx2000"
    "\\cellx4000\\nestrow}{\\nonesttables\\par}\n"
    "\\pard\\plain\\intbl After\\cell Right\\cell\\row\n"
    "\\pard\\plain\\par\n"
    "\\trowd\\cellx3000\\pard\\plain\\intbl r1\\cell\\row\n"
    "\\trowd\\cellx3000\\cellx6000\\cellx9000\\pard\\plain\\intbl r2a\\cell r2b\\cell r2c\\cell\\row\n"
    "\\trowd\\cellx3000\\pard\\plain\\intbl r3\\cell\\row\n"
    "\\pard\\plain End\\par\n");

TEST(Tables, NumberedLikeWordWithoutNestedTables)
{
    RtfDocument document(ThreeTables, "t.rtf");
    EXPECT_EQ(document.tableCount(), 3);
    EXPECT_EQ(document.rowCount(1), 2);
    EXPECT_EQ(document.rowCount(2), 1);
    EXPECT_EQ(document.rowCount(3), 3);
    EXPECT_EQ(document.columnCount(1, 1), 2);
    EXPECT_EQ(document.columnCount(2, 1), 2);
    EXPECT_EQ(document.columnCount(3, 1), 1);
    EXPECT_EQ(document.columnCount(3, 2), 3);
    EXPECT_EQ(document.cellText(1, 1, 1), "A1");
    EXPECT_EQ(document.cellText(1, 2, 2), "");
    EXPECT_EQ(document.cellText(2, 1, 1), "Outer\rN1\aN2\a\aAfter");
    EXPECT_EQ(document.cellText(2, 1, 2), "Right");
    EXPECT_EQ(document.cellText(3, 2, 3), "r2c");
    EXPECT_EQ(document.cellText(3, 3, 1), "r3");
}

TEST(Tables, CellTextKeepsTheCellsFormatting)
{
    RtfDocument document(ThreeTables, "t.rtf");
    document.setCellText(1, 1, 1, cp("Новый"));
    const std::string bytes = document.toBytes();
    EXPECT_NE(bytes.find("{\\b\\f1 \\u1053?\\u1086?\\u1074?\\u1099?\\u1081?}\\cell B1"),
              std::string::npos);
    EXPECT_EQ(cp1251ToUtf8(RtfDocument(bytes, "re").cellText(1, 1, 1)), "Новый");
}

TEST(Tables, CellTextReplacesANestedTableWhole)
{
    RtfDocument document(ThreeTables, "t.rtf");
    document.setCellText(2, 1, 1, "no nested table");
    const std::string bytes = document.toBytes();
    // Left behind, the nested row's definition and its paragraphs would make word processors
    // drop the rest of the table and the document after it.
    for (const char *gone : {"itap2", "nesttableprops", "cellx2000", "N1"})
        EXPECT_EQ(bytes.find(gone), std::string::npos) << gone << "\n" << bytes;
    RtfDocument saved(bytes, "re");
    EXPECT_EQ(saved.tableCount(), 3);
    EXPECT_EQ(saved.cellText(2, 1, 1), "no nested table");
    EXPECT_EQ(saved.cellText(2, 1, 2), "Right");
    EXPECT_EQ(saved.cellText(3, 2, 3), "r2c");
}

TEST(Tables, CellsFilledInAnyOrderReadBackFromTheSavedFile)
{
    RtfDocument document(ThreeTables, "t.rtf");
    // The personal card fills rows one after another; positions after each filled cell move.
    document.setCellText(3, 2, 1, "x1");
    document.setCellText(1, 2, 2, "empty cell filled");
    document.setCellText(2, 1, 1, "no nested table");
    document.setCellText(3, 2, 3, "");
    document.setCellText(1, 1, 2, "line1\r\nline2");
    document.setCellText(3, 3, 1, "last");

    RtfDocument saved(document.toBytes(), "re");
    EXPECT_EQ(saved.tableCount(), 3);
    EXPECT_EQ(saved.cellText(1, 1, 1), "A1");
    EXPECT_EQ(saved.cellText(1, 1, 2), "line1\vline2");
    EXPECT_EQ(saved.cellText(1, 2, 1), "A2");
    EXPECT_EQ(saved.cellText(1, 2, 2), "empty cell filled");
    EXPECT_EQ(saved.cellText(2, 1, 1), "no nested table");
    EXPECT_EQ(saved.cellText(2, 1, 2), "Right");
    EXPECT_EQ(saved.cellText(3, 1, 1), "r1");
    EXPECT_EQ(saved.cellText(3, 2, 1), "x1");
    EXPECT_EQ(saved.cellText(3, 2, 2), "r2b");
    EXPECT_EQ(saved.cellText(3, 2, 3), "");
    EXPECT_EQ(saved.cellText(3, 3, 1), "last");
    EXPECT_EQ(saved.text().substr(0, 7), "Before\n");
}

TEST(Tables, ReplacedTextAndCellsTogether)
{
    RtfDocument document(rtf("\\pard <TRUD>\\par\\trowd\\cellx3000\\cellx6000\\pard\\intbl "
                             "<D>\\cell \\cell\\row\\pard\\par"),
                         "t.rtf");
    document.replaceAll("<TRUD>", "");
    document.setCellText(1, 1, 2, "<D>");
    document.replaceAll("<D>", "d");
    RtfDocument saved(document.toBytes(), "re");
    EXPECT_EQ(saved.cellText(1, 1, 1), "d");
    EXPECT_EQ(saved.cellText(1, 1, 2), "d");
}

TEST(Tables, OtherStoriesAreNeitherTablesNorCellText)
{
    const std::string source = rtf(
        "{\\header \\trowd\\cellx1000\\pard\\intbl H\\cell\\row\\pard Head\\par}"
        "\\trowd\\cellx3000\\pard\\plain\\intbl A{\\super\\chftn}{\\footnote \\pard\\plain "
        "{\\super\\chftn} Note\\par}B\\cell\\row\\pard\\par"
        "{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt \\trowd\\cellx1000\\pard\\intbl "
        "T\\cell\\row}}}");
    RtfDocument document(source, "t.rtf");
    EXPECT_EQ(document.tableCount(), 1);
    EXPECT_EQ(document.cellText(1, 1, 1), "AB");
    document.setCellText(1, 1, 1, "X");
    RtfDocument saved(document.toBytes(), "re");
    EXPECT_EQ(saved.cellText(1, 1, 1), "X");
    EXPECT_EQ(saved.text(), "HHeadX Note\a\n\nT");
}

TEST(Tables, BoldOnACellOfTheTemplate)
{
    RtfDocument document(ThreeTables, "t.rtf");
    document.setCellBold(1, 2, 1, true);
    const std::string bytes = document.toBytes();
    EXPECT_NE(bytes.find("{\\b A2}\\cell"), std::string::npos);
    EXPECT_EQ(RtfDocument(bytes, "re").cellText(1, 2, 1), "A2");
}

TEST(Tables, MissingTablesAndCellsAreErrorsNamingTheDocument)
{
    RtfDocument document(ThreeTables, "card.rtf");
    const auto expectError = [](auto &&call, const std::string &part) {
        try {
            call();
            ADD_FAILURE() << "no error for " << part;
        } catch (const DocumentError &error) {
            EXPECT_NE(std::string(error.what()).find(part), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find("card.rtf"), std::string::npos);
        }
    };
    expectError([&] { document.setCellText(4, 1, 1, "x"); }, "нет таблицы 4");
    expectError([&] { document.cellText(0, 1, 1); }, "нет таблицы 0");
    expectError([&] { document.setCellText(1, 3, 1, "x"); }, "строке 3, столбце 1");
    expectError([&] { document.setCellText(3, 1, 2, "x"); }, "строке 1, столбце 2");
    expectError([&] { document.addRow(1); }, "таблица шаблона");
    expectError([&] { document.addTable(1, 64); }, "64 столбцов");
    // Nothing was changed by the failed calls.
    EXPECT_EQ(document.toBytes(), ThreeTables);
}

TEST(NewDocument, ListTableWithBoldHeadingRow)
{
    auto document = RtfDocument::blank();
    EXPECT_EQ(document->tableCount(), 0);
    EXPECT_EQ(document->addTable(1, 3), 1);
    const char *rows[][3] = {{"Фамилия, Имя, Отчество", "Должность", "Оклад"},
                             {"Иванов Иван Иванович", "Инженер {1}", "10000"},
                             {"Петрова Анна", "Бухгалтер \\ кассир", ""}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            document->setCellText(1, r + 1, c + 1, cp(rows[r][c]));
            document->setCellBold(1, r + 1, c + 1, r == 0);
        }
        if (r < 2)
            document->addRow(1);
    }
    EXPECT_EQ(document->rowCount(1), 3);
    EXPECT_THROW(document->setCellText(1, 4, 1, "x"), DocumentError);
    EXPECT_THROW(document->setCellBold(1, 1, 4, true), DocumentError);

    const std::string bytes = document->toBytes();
    RtfDocument saved(bytes, "re");
    ASSERT_EQ(saved.tableCount(), 1);
    EXPECT_EQ(saved.rowCount(1), 3);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(saved.columnCount(1, r + 1), 3);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(cp1251ToUtf8(saved.cellText(1, r + 1, c + 1)), rows[r][c]);
    }
    size_t bold = 0;
    for (size_t at = bytes.find("{\\b "); at != std::string::npos; at = bytes.find("{\\b ", at + 1))
        ++bold;
    EXPECT_EQ(bold, 3u);
}

TEST(NewDocument, ReplacingAfterAddingATableSeesItsCells)
{
    auto document = RtfDocument::blank();
    document->addTable(2, 2);
    document->setCellText(1, 2, 2, "<A>");
    document->replaceAll("<A>", cp("Я"));
    EXPECT_EQ(document->tableCount(), 1);
    EXPECT_EQ(cp1251ToUtf8(document->cellText(1, 2, 2)), "Я");
    document->setCellText(1, 1, 1, "a");
    RtfDocument saved(document->toBytes(), "re");
    EXPECT_EQ(saved.cellText(1, 1, 1), "a");
    EXPECT_EQ(cp1251ToUtf8(saved.cellText(1, 2, 2)), "Я");
}

TEST(NewDocument, TableAddedAfterAnUnfinishedUnicodeEscape)
{
    // The document ends in a \uN whose fallback the closing brace cuts short; the table's
    // markup written there must not be taken for that fallback.
    RtfDocument document("{\\rtf1\\uc1 x\\u1071}", "t.rtf");
    document.addTable(1, 1);
    document.setCellText(1, 1, 1, "new");
    RtfDocument saved(document.toBytes(), "re");
    ASSERT_EQ(saved.tableCount(), 1);
    EXPECT_EQ(saved.cellText(1, 1, 1), "new");
    EXPECT_EQ(cp1251ToUtf8(saved.text()).substr(0, 3), "xЯ");
}

TEST(NewDocument, TableAddedToATemplateComesAfterItsTables)
{
    RtfDocument document(ThreeTables, "t.rtf");
    EXPECT_EQ(document.addTable(1, 2), 4);
    document.setCellText(4, 1, 2, "new");
    RtfDocument saved(document.toBytes(), "re");
    EXPECT_EQ(saved.tableCount(), 4);
    EXPECT_EQ(saved.cellText(4, 1, 2), "new");
    EXPECT_EQ(saved.cellText(3, 3, 1), "r3");
}

} // namespace
} // namespace veltor
