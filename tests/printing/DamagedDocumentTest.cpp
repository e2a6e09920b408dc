#include <gtest/gtest.h>

#include <random>
#include <string>

#include "PrintingTestSupport.h"
#include "printing/RtfDocument.h"
#include "text/Errors.h"

// Damaged documents must fail cleanly or be filled; never read past their bytes, and what is
// written must read again.
namespace veltor {
namespace {

const std::string Sample = testing::rtf(
    "{\\header \\pard <H>\\par}\\pard\\plain {\\b <FA}{M>}\\uc1\\u1071?\\'c0 {\\*\\bkmkstart x}"
    "{\\field{\\*\\fldinst PAGE}{\\fldrslt <D>}}\\par\\trowd\\cellx3000\\cellx6000\\pard\\intbl "
    "<D>\\cell \\pard\\intbl\\itap2 n\\nestcell{\\*\\nesttableprops\\nestrow}\\pard\\intbl\\cell"
    "\\row\\pard{\\pict\\bin4 {}}}<D>\\par");

void exercise(const std::string &bytes, bool checkNewTable)
{
    try {
        RtfDocument document(bytes, "damaged.rtf");
        document.replaceAll("<FAM>", "Ivanov {x}");
        document.replaceAll("<D>", "");
        document.replaceAll("<H>", "<D>");
        if (document.tableCount() > 0)
            for (int column = document.columnCount(1, 1); column > 0; --column)
                document.setCellText(1, 1, column, "cell"); // the second holds a nested table
        // What the engine holds as the document's text is what a reader of the written bytes
        // sees: no edit joined a control word with text or changed what a \uN skips.
        const std::string written = document.toBytes();
        RtfDocument again(written, "again.rtf");
        EXPECT_EQ(again.text(), document.text()) << bytes;
        // and every group is closed, or word processors refuse the file.
        struct : RtfSink {
            void character(const RtfChar &) override {}
        } ignore;
        RtfReader reader(written);
        reader.read(ignore);
        EXPECT_EQ(reader.openGroupsAtEnd(), 0) << bytes;
        // A table added at the end of a cut document is its last table. (Braces out of balance
        // in the middle can put text after the document's end, where no table goes.)
        document.addTable(1, 1);
        document.setCellText(document.tableCount(), 1, 1, "new");
        RtfDocument withTable(document.toBytes(), "x");
        if (checkNewTable) {
            EXPECT_EQ(withTable.cellText(document.tableCount(), 1, 1), "new") << bytes;
        }
    } catch (const DocumentError &) {
        // Not RTF: rejected with a message.
    }
}

TEST(DamagedDocument, EveryTruncationIsHandled)
{
    for (size_t length = 0; length <= Sample.size(); ++length)
        exercise(Sample.substr(0, length), true);
}

TEST(DamagedDocument, RandomByteChangesAreHandled)
{
    std::mt19937 random(7);
    const std::string alphabet = "{}\\'*0123456789abcdefu- ?<>\r\n";
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = Sample;
        for (int change = 0; change < 4; ++change) {
            const size_t at = 6 + random() % (bytes.size() - 6);
            bytes[at] = alphabet[random() % alphabet.size()];
        }
        exercise(bytes, false);
    }
}

} // namespace
} // namespace veltor
