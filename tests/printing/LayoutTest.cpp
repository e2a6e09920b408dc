#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextTable>

#include <string>
#include <vector>

#include "PrintingTestSupport.h"
#include "printing/AfterFilling.h"
#include "printing/LongTable.h"
#include "printing/PdfOutput.h"
#include "printing/RtfLayout.h"
#include "text/Errors.h"

// Laying RTF out on pages: what each construct of the templates becomes, the faults of Qt's
// text engine worked around, damaged input, and the PDF written from a layout.
namespace veltor {
namespace {

namespace fs = std::filesystem;
using testing::rtf;
using testing::TemporaryFolder;

std::unique_ptr<RtfLayout> layOut(const std::string &body)
{
    auto layout = RtfLayout::fromRtf(rtf(body), "test");
    EXPECT_NE(layout, nullptr);
    layout->pageCount();
    return layout;
}

// The text of the body's blocks outside tables, in order.
std::vector<QString> paragraphs(const RtfLayout &layout)
{
    std::vector<QString> result;
    for (QTextBlock b = layout.body().begin(); b.isValid(); b = b.next())
        if (!QTextCursor(b).currentTable())
            result.push_back(b.text());
    return result;
}

QTextBlock blockWith(const RtfLayout &layout, const QString &text)
{
    for (QTextBlock b = layout.body().begin(); b.isValid(); b = b.next())
        if (b.text().contains(text))
            return b;
    ADD_FAILURE() << "no block with " << text.toStdString();
    return {};
}

QRectF rectOf(const RtfLayout &layout, const QTextBlock &block)
{
    return layout.body().documentLayout()->blockBoundingRect(block);
}

QTextTable *firstTable(const RtfLayout &layout)
{
    for (auto it = layout.body().rootFrame()->begin(); !it.atEnd(); ++it)
        if (auto *table = qobject_cast<QTextTable *>(it.currentFrame()))
            return table;
    return nullptr;
}

QString cellText(QTextTable *table, int row, int column)
{
    const QTextTableCell cell = table->cellAt(row, column);
    QTextCursor c = cell.firstCursorPosition();
    c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return c.selectedText();
}

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

TEST(RtfLayout, PaperAndMarginsComeFromTheDocumentInTwips)
{
    auto layout = layOut("\\paperw16838\\paperh11906\\margl567\\margr850\\margt1134\\margb709 A\\par");
    EXPECT_EQ(layout->paperSize(), QSizeF(16838, 11906));
    EXPECT_EQ(layout->margins(), QMarginsF(567, 1134, 850, 709));
    // The text starts at the margins: one unit of the layout is one twip.
    const QRectF first = rectOf(*layout, blockWith(*layout, "A"));
    EXPECT_NEAR(first.left(), 567, 1);
    EXPECT_NEAR(first.top(), 1134, 1);
    EXPECT_NEAR(first.width(), 16838 - 567 - 850, 1);

    // Without them: A4 and the margins RTF gives by default.
    auto plain = layOut("A\\par");
    EXPECT_EQ(plain->paperSize(), QSizeF(11906, 16838));
    EXPECT_EQ(plain->margins(), QMarginsF(1800, 1440, 1800, 1440));
}

TEST(RtfLayout, PageBreaksStartNewPages)
{
    EXPECT_EQ(layOut("one\\par two\\par")->pageCount(), 1);
    EXPECT_EQ(layOut("one\\page two\\page three\\par")->pageCount(), 3);
    EXPECT_EQ(layOut("one\\par\\pard\\pagebb two\\par")->pageCount(), 2);
    // A table whose first paragraph asks for a new page starts on one.
    EXPECT_EQ(layOut("one\\par\\trowd\\cellx2000\\pard\\intbl\\pagebb cell\\cell\\row\\pard after\\par")
                  ->pageCount(),
              2);
    // So much text that it flows onto a second page.
    std::string lines;
    for (int i = 0; i < 80; ++i)
        lines += "line\\par ";
    EXPECT_EQ(layOut("\\fs24 " + lines)->pageCount(), 2);
}

TEST(RtfLayout, CharacterFormattingIsCarriedOver)
{
    auto layout = layOut("{\\f1\\fs36\\b\\i\\ul Bold}{\\strike gone}{\\cf2 red}\\par");
    const QTextBlock block = blockWith(*layout, "Bold");
    std::vector<QTextCharFormat> formats;
    for (auto it = block.begin(); !it.atEnd(); ++it)
        formats.push_back(it.fragment().charFormat());
    ASSERT_EQ(formats.size(), 3u);
    EXPECT_EQ(formats[0].font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(formats[0].fontPointSize(), 18);
    EXPECT_TRUE(formats[0].font().bold());
    EXPECT_TRUE(formats[0].font().italic());
    EXPECT_TRUE(formats[0].font().underline());
    EXPECT_TRUE(formats[1].font().strikeOut());
    EXPECT_FALSE(formats[1].font().bold()) << "the group's end restores the formatting";
    // Colour 2 is not in the table (only 1 is): the text stays black rather than failing.
    EXPECT_EQ(formats[2].foreground().color(), QColor(Qt::black));
}

TEST(RtfLayout, TextIsDecodedAsTheDocumentSays)
{
    const struct {
        const char *body;
        const char *text;
    } cases[] = {
        {"\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par", "Привет"},           // \'hh in the code page
        {"\\uc1\\u1055?\\u1088?\\u1080?\\par", "При"},                 // \uN with one fallback
        {"\\uc2\\u1055??x\\par", "Пx"},                                // two fallbacks skipped
        {"a\\~b\\_c\\{\\}\\\\\\par", "a\u00a0b\u2011c{}\\"},             // control symbols
        {"{\\v hidden}shown\\par", "shown"},                           // hidden text
        {"{\\*\\bkmkstart x}a{\\*\\unknown b}c\\par", "ac"},           // ignorable groups
        {"{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}\\par", "7"},       // a field's result
        {"{\\info{\\title T}}{\\stylesheet{\\s1 S;}}body\\par", "body"}, // skipped destinations
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body);
        auto layout = layOut(c.body);
        EXPECT_EQ(paragraphs(*layout).front(), u(c.text));
    }
}

TEST(RtfLayout, ParagraphSpacingAddsUpAsInAWordProcessor)
{
    // Qt let the larger of two adjoining margins stand for both: the space between these
    // paragraphs was 400 twips, not 600.
    auto layout = layOut("\\pard\\sa200 one\\par\\pard\\sb400 two\\par");
    const QRectF one = rectOf(*layout, blockWith(*layout, "one"));
    const QRectF two = rectOf(*layout, blockWith(*layout, "two"));
    EXPECT_NEAR(two.top() - one.bottom(), 600, 1);
}

TEST(RtfLayout, ParagraphFormattingIsCarriedOver)
{
    auto layout = layOut("\\pard\\qc\\li720\\ri360\\fi-360 centred\\par\\pard\\qj just\\par"
                         "\\pard\\li720\\fi360 indented\\par");
    const QTextBlock centred = blockWith(*layout, "centred");
    EXPECT_EQ(centred.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(centred.blockFormat().textIndent(), -360);
    // Indents are in twips from the margin (Qt scales format lengths to the device itself).
    const QTextBlock indented = blockWith(*layout, "indented");
    EXPECT_NEAR(rectOf(*layout, indented).left() + indented.layout()->lineAt(0).x() - layout->margins().left(),
                720 + 360, 1);
    EXPECT_EQ(blockWith(*layout, "just").blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
}

TEST(RtfLayout, AnEmptyParagraphBeforeATableKeepsItsHeight)
{
    // Qt hid an empty paragraph right before a table: the table started where the paragraph
    // did, and every page of a template came out shorter than the word processor's.
    auto layout = layOut("top\\par\\pard\\fs48\\par\\trowd\\cellx2000\\pard\\intbl cell\\cell\\row\\pard after\\par");
    const QRectF top = rectOf(*layout, blockWith(*layout, "top"));
    const QRectF cell = rectOf(*layout, blockWith(*layout, "cell"));
    EXPECT_GT(cell.top() - top.bottom(), 400) << "a 24-point empty line lies between";
}

TEST(RtfLayout, RowsOfDifferentCellsShareOneGridWithSpans)
{
    // Row 1: one cell over the whole width; row 2: two cells; row 3: the second edge moved.
    auto layout = layOut("\\trowd\\cellx6000\\pard\\intbl wide\\cell\\row"
                         "\\trowd\\cellx2000\\cellx6000\\pard\\intbl a\\cell b\\cell\\row"
                         "\\trowd\\cellx4000\\cellx6000\\pard\\intbl c\\cell d\\cell\\row\\pard\\par");
    QTextTable *table = firstTable(*layout);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 3);
    EXPECT_EQ(table->columns(), 3); // edges 0, 2000, 4000, 6000
    // The spans survive the cells' formats being set (they were lost: every cell one column).
    EXPECT_EQ(table->cellAt(0, 0).columnSpan(), 3);
    EXPECT_EQ(table->cellAt(1, 1).columnSpan(), 2);
    EXPECT_EQ(table->cellAt(2, 0).columnSpan(), 2);
    EXPECT_EQ(cellText(table, 0, 0), QStringLiteral("wide"));
    EXPECT_EQ(cellText(table, 1, 1), QStringLiteral("b"));
    EXPECT_EQ(cellText(table, 2, 2), QStringLiteral("d"));
}

TEST(RtfLayout, VerticallyMergedCellsBecomeOneCell)
{
    auto layout = layOut("\\trowd\\clvmgf\\cellx2000\\cellx4000\\pard\\intbl tall\\cell x\\cell\\row"
                         "\\trowd\\clvmrg\\cellx2000\\cellx4000\\pard\\intbl \\cell y\\cell\\row\\pard\\par");
    QTextTable *table = firstTable(*layout);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->cellAt(0, 0).rowSpan(), 2);
    EXPECT_EQ(cellText(table, 0, 0), QStringLiteral("tall"));
    EXPECT_EQ(cellText(table, 1, 1), QStringLiteral("y"));
}

TEST(RtfLayout, CellTextStaysInsideItsCell)
{
    // Word's names: \clpadl is the top padding, \clpadt the left one. A word longer than its
    // cell is broken inside it rather than running over the border.
    auto layout = layOut("\\trowd\\clpadt100\\clpadft3\\clpadr100\\clpadfr3\\clbrdrl\\brdrs\\brdrw10"
                         "\\clbrdrr\\brdrs\\brdrw10\\cellx1500\\cellx6000\\pard\\intbl "
                         "Неразрывнодлинноеслово\\cell short\\cell\\row\\pard\\par");
    QTextTable *table = firstTable(*layout);
    ASSERT_NE(table, nullptr);
    const QTextBlock first = table->cellAt(0, 0).firstCursorPosition().block();
    const QRectF box = rectOf(*layout, first);
    const double cellLeft = layout->margins().left();
    EXPECT_GE(box.left(), cellLeft + 90) << "the left padding is kept";
    ASSERT_GT(first.layout()->lineCount(), 1);
    for (int i = 0; i < first.layout()->lineCount(); ++i) {
        const QTextLine line = first.layout()->lineAt(i);
        EXPECT_LE(box.left() + line.x() + line.naturalTextWidth(), cellLeft + 1500 - 90) << "line " << i;
    }
}

// Every line of every cell of the personal card lies within its cell's width: the longest
// template, with tables of many shapes, merged cells and narrow columns.
TEST(RtfLayout, EveryCellOfThePersonalCardHoldsItsText)
{
    const std::string bytes = testing::readFile(fs::path(VELTOR_DEMO_DIR) / "templates" / "т-2.rtf");
    auto layout = RtfLayout::fromRtf(bytes, "т-2.rtf");
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->pageCount(), 4);
    const double unit = layoutLengthPerTwip();
    int tables = 0, cells = 0, lines = 0;
    for (auto it = layout->body().rootFrame()->begin(); !it.atEnd(); ++it) {
        auto *table = qobject_cast<QTextTable *>(it.currentFrame());
        if (table == nullptr)
            continue;
        ++tables;
        const QList<QTextLength> widths = table->format().columnWidthConstraints();
        for (int r = 0; r < table->rows(); ++r)
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.row() != r || cell.column() != c)
                    continue; // a merged cell is checked at its first row and column
                ++cells;
                double width = 0;
                for (int k = c; k < c + cell.columnSpan(); ++k)
                    width += widths[k].rawValue() / unit;
                const QTextTableCellFormat format = cell.format().toTableCellFormat();
                const double inside = width - (format.leftPadding() + format.rightPadding()) / unit;
                for (auto b = cell.begin(); !b.atEnd(); ++b) {
                    const QTextBlock block = b.currentBlock();
                    for (int i = 0; i < block.layout()->lineCount(); ++i, ++lines) {
                        const QTextLine line = block.layout()->lineAt(i);
                        EXPECT_LE(line.x() + line.naturalTextWidth(), inside + 1)
                            << "table " << tables << " cell " << r << "," << c << ": "
                            << block.text().toStdString();
                    }
                }
            }
    }
    EXPECT_GE(tables, 20);
    EXPECT_GT(cells, 400);
    EXPECT_GT(lines, cells);
}

// A table of `rows` alike rows of three cells, the second text long enough to wrap.
std::string longTable(int rows)
{
    std::string body;
    for (int r = 0; r < rows; ++r) {
        body += "\\trowd\\trgaph108\\trleft-108\\clbrdrt\\brdrs\\brdrw10 \\clbrdrb\\brdrs\\brdrw10 "
                "\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl ";
        body += "r" + std::to_string(r) + "\\cell two words here\\cell x\\cell\\row\n";
    }
    return body + "\\pard end\\par";
}

TEST(RtfLayout, LongTablesBreakPagesBetweenLinesAndKeepEveryCell)
{
    auto layout = layOut(longTable(400));
    EXPECT_EQ(firstTable(*layout), nullptr) << "laid out as slices, not as a Qt table";
    const int pages = layout->pageCount();
    EXPECT_GT(pages, 5);
    // Three lines a row (the middle cell wraps), each as high as the font's line spacing: as many
    // pages as a page holds such rows.
    const double line = QFontMetricsF(QFont(QStringLiteral("Times New Roman"), 12), &twipsDevice()).lineSpacing();
    const double perPage = (layout->paperSize().height() - layout->margins().top() - layout->margins().bottom());
    EXPECT_NEAR(pages, 400 * 3 * line / perPage, 2);

    // Short tables remain Qt tables.
    EXPECT_NE(firstTable(*layOut(longTable(19))), nullptr);
    EXPECT_EQ(firstTable(*layOut(longTable(20))), nullptr);
    EXPECT_EQ(paragraphs(*layout).back(), QStringLiteral("end"));
}

// A long table's row is its lines, each as high as the font's line spacing (ascent, descent and
// line gap, as word processors space them), and the line above it; the last row also has room
// for its bottom line. This was the lines without their gap and both lines for every row: the
// printed list of 2,000 ran to other pages than a word processor's.
TEST(RtfLayout, LongTableRowsAreAsHighAsAWordProcessorMakesThem)
{
    auto layout = layOut(longTable(30));
    const double line = QFontMetricsF(QFont(QStringLiteral("Times New Roman"), 12), &twipsDevice()).lineSpacing();
    std::vector<double> heights;
    for (QTextBlock b = layout->body().begin(); b.isValid(); b = b.next())
        if (b.charFormat().objectType() == LongTable::ObjectType)
            heights.push_back(rectOf(*layout, b).height());
    ASSERT_EQ(heights.size(), 30u);
    EXPECT_NEAR(heights[1], 3 * line + 10, 1) << "three lines and the top border";
    EXPECT_NEAR(heights.back(), 3 * line + 20, 1) << "the last row has its bottom border too";
}

// A font named in the document is the font fontconfig puts in its place, as word processors
// take it. This was the generic serif font wherever the font was not installed (DejaVu Serif
// for Verdana, and for Times New Roman where Nimbus Roman stands for it), whose other widths
// wrapped lines elsewhere than a word processor wraps them.
TEST(RtfLayout, NamedFontsAreTheFontsFontconfigSubstitutes)
{
    for (const char *named : {"Times New Roman", "Arial", "Verdana", "Tahoma"}) {
        const std::string font = named;
        auto layout = RtfLayout::fromRtf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss " + font + ";}}\\f0 text\\par}", font);
        const QFont used = layout->body().begin().begin().fragment().charFormat().font();
        EXPECT_EQ(QFontInfo(used).family().toStdString(), QFontInfo(QFont(u(named))).family().toStdString());
    }
}

TEST(RtfLayout, ProgressIsToldAndCancels)
{
    const std::string bytes = rtf(longTable(300));
    long last = -1, total = 0;
    int calls = 0;
    auto layout = RtfLayout::fromRtf(bytes, "test", [&](long done, long all) {
        EXPECT_GE(done, last) << "progress never goes back";
        last = done;
        total = all;
        ++calls;
        return true;
    });
    ASSERT_NE(layout, nullptr);
    EXPECT_GT(calls, 2);
    EXPECT_EQ(last, total);

    int seen = 0;
    EXPECT_EQ(RtfLayout::fromRtf(bytes, "test", [&](long, long) { return ++seen < 2; }), nullptr);

    // Cancelled while the pages are made, after the text is laid out: that step used to run to
    // its end without a word, the longest silence of a long list.
    bool past = false;
    EXPECT_EQ(RtfLayout::fromRtf(bytes, "test",
                                 [&](long done, long all) {
                                     if (done * 10 > all * 6 && done < all)
                                         past = true;
                                     return !past;
                                 }),
              nullptr);
    EXPECT_TRUE(past) << "the page step tells its progress";
}

TEST(RtfLayout, DamagedInputIsLaidOutOrRefusedCleanly)
{
    EXPECT_THROW(RtfLayout::fromRtf("PK\x03\x04 not rtf", "x.docx"), DocumentError);
    EXPECT_THROW(RtfLayout::fromRtf("", "empty"), DocumentError);
    const char *damaged[] = {
        "{\\rtf1 unclosed {group",                              // braces never closed
        "{\\rtf1 extra}}} closing}",                            // too many closed
        "{\\rtf1\\paperw99999999\\paperh-5\\margl-400 x\\par}",  // absurd page sizes
        "{\\rtf1\\fs999999999 huge\\par}",                       // absurd font size
        "{\\rtf1\\trowd\\cellx-500\\cellx-900\\pard\\intbl a\\cell b\\cell c\\cell\\row}", // edges backwards
        "{\\rtf1\\pard\\intbl a\\cell b\\cell}",                 // cells without a row
        "{\\rtf1\\trowd\\clvmrg\\cellx100\\pard\\intbl a\\cell\\row}", // a merge continuing nothing
        "{\\rtf1\\u-10000 \\u99999999 \\'zz\\bin5 abcde x}",    // odd characters and data
    };
    for (const char *bytes : damaged) {
        SCOPED_TRACE(bytes);
        auto layout = RtfLayout::fromRtf(bytes, "damaged");
        ASSERT_NE(layout, nullptr);
        EXPECT_GE(layout->pageCount(), 1);
        EXPECT_GT(layout->paperSize().width(), 0);
        EXPECT_GT(layout->paperSize().height(), 0);
    }
}

TEST(RtfLayout, HeadersAndFootersAreKeptApartFromTheBody)
{
    auto layout = layOut("{\\header \\pard top of every page\\par}{\\footer \\pard bottom\\par}body\\par");
    ASSERT_NE(layout->header(), nullptr);
    ASSERT_NE(layout->footer(), nullptr);
    EXPECT_EQ(layout->header()->toPlainText(), QStringLiteral("top of every page"));
    EXPECT_EQ(layout->footer()->toPlainText(), QStringLiteral("bottom"));
    EXPECT_EQ(paragraphs(*layout), std::vector<QString>{QStringLiteral("body")});
}

TEST(PdfOutput, WritesOnePdfPageForEveryPage)
{
    TemporaryFolder folder;
    auto layout = layOut("one\\page two\\par");
    const fs::path pdf = folder / "Иванов.pdf";
    ASSERT_TRUE(writePdf(*layout, pdf));
    const std::string bytes = testing::readFile(pdf);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    // One page object per page, and the paper of the document (A4 in points).
    size_t pages = 0;
    for (size_t at = 0; (at = bytes.find("/Type /Page\n", at)) != std::string::npos; ++at)
        ++pages;
    EXPECT_EQ(pages, 2u);
    EXPECT_NE(bytes.find("/MediaBox [0 0 595"), std::string::npos);
    EXPECT_EQ(pdfPathFor("/out/Иванов Иван.doc"), fs::path("/out/Иванов Иван.pdf"));
}

TEST(PdfOutput, AFailedOrCancelledWriteLeavesNoFile)
{
    TemporaryFolder folder;
    auto layout = layOut("one\\page two\\par");
    EXPECT_THROW(writePdf(*layout, folder / "missing" / "a.pdf"), DocumentError);
    fs::create_directories(folder / "a.pdf");
    EXPECT_THROW(writePdf(*layout, folder / "a.pdf"), DocumentError) << "a folder of that name";

    const fs::path pdf = folder / "b.pdf";
    EXPECT_FALSE(writePdf(*layout, pdf, [](int, int) { return false; }));
    EXPECT_FALSE(fs::exists(pdf));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1) << "no temporary left";
}

TEST(AfterFilling, TheChoiceIsRememberedAndTheEditorIsTheDefault)
{
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/veltor/veltor.conf");
    EXPECT_EQ(afterFilling(), AfterFilling::OpenInEditor);
    for (AfterFilling choice : {AfterFilling::SavePdf, AfterFilling::ShowPreview, AfterFilling::OpenInEditor}) {
        setAfterFilling(choice);
        EXPECT_EQ(afterFilling(), choice);
    }
}

} // namespace
} // namespace veltor

int main(int argc, char **argv)
{
    // Text is measured with fonts, which need the GUI part of Qt; no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
