#include <gtest/gtest.h>

#include <algorithm>

#include "PrintingTestSupport.h"
#include "printing/RtfDocument.h"
#include "text/Cp1251.h"

namespace veltor {
namespace {

// data/libreoffice-template.rtf is what LibreOffice 7.4 writes for libreoffice-template.fodt:
// Unicode escapes with \'3f fallbacks, a header also kept in its page style table, a placeholder
// split by bold and italic, a bookmark, and a nested table.
const std::filesystem::path LibreOfficeTemplate =
    std::filesystem::path(PRINTING_TEST_DATA) / "libreoffice-template.rtf";

size_t count(const std::string &text, const std::string &part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(LibreOfficeTemplate, TablesAsWritten)
{
    auto document = RtfDocument::open(LibreOfficeTemplate);
    EXPECT_EQ(document->tableCount(), 2);
    EXPECT_EQ(document->rowCount(1), 2);
    // LibreOffice ends the row holding the nested table with one \cell more than it defines.
    EXPECT_EQ(document->columnCount(1, 2), 3);
    EXPECT_EQ(document->columnCount(2, 1), 3);
    EXPECT_EQ(cp1251ToUtf8(document->cellText(1, 2, 1)), "Внешняя\rв1\aв2\a\a");
    EXPECT_EQ(cp1251ToUtf8(document->cellText(1, 2, 2)), "старое");
    EXPECT_EQ(document->cellText(2, 1, 2), "");
}

TEST(LibreOfficeTemplate, FilledAndReadBack)
{
    auto document = RtfDocument::open(LibreOfficeTemplate);
    document->replaceAll("<KONST.NAZVANIE>", cp("ООО «Ромашка»"));
    document->replaceAll("<ZHURDOK.NOM>", "42");
    document->replaceAll("<OSNOVA.FIO>", cp("Иванов Иван Иванович"));
    document->replaceAll("<DATA>", "06.03.2025");
    document->setCellText(1, 2, 2, cp("новое"));
    document->setCellText(2, 1, 2, cp("два"));

    const std::string bytes = document->toBytes();
    // The bold run of the old cell text now holds the new text.
    EXPECT_NE(bytes.find("{\\loch\\b\\loch\n\\u1085?\\u1086?\\u1074?\\u1086?\\u1077?}\\cell"),
              std::string::npos);
    RtfDocument saved(bytes, "saved");
    const std::string text = cp1251ToUtf8(saved.text());
    EXPECT_EQ(count(text, "ООО «Ромашка»"), 2u) << text; // the header and its page style copy
    EXPECT_NE(text.find("Справка № 42\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Выдана Иванов Иван Иванович в том"), std::string::npos) << text;
    EXPECT_NE(text.find("Между таблицами 06.03.2025"), std::string::npos) << text;
    EXPECT_EQ(text.find('<'), std::string::npos) << text;
    EXPECT_EQ(cp1251ToUtf8(saved.cellText(1, 2, 2)), "новое");
    EXPECT_EQ(cp1251ToUtf8(saved.cellText(2, 1, 2)), "два");
    EXPECT_EQ(saved.cellText(2, 1, 3), "3");
}

} // namespace
} // namespace veltor
