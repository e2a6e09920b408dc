#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include "PrintingTestSupport.h"
#include "printing/RtfDocument.h"
#include "printing/WordApi.h"
#include "text/Cp1251.h"

// LibreOffice Writer as an independent reader of the documents the engine writes: it converts
// them to plain text, which must hold every value and no placeholder.
namespace veltor {
namespace {

using testing::readFile;
using testing::TemporaryFolder;
using testing::writeFile;

// An order template as Word saves one: placeholders split by revision marks and bookmarks,
// Cyrillic text in \'hh, a field, a header, and a table whose cells are filled.
const std::string OrderTemplate =
    "{\\rtf1\\ansi\\ansicpg1251\\uc1\\deff0\\deflang1049{\\fonttbl{\\f0\\froman\\fcharset204\\fprq2 "
    "Times New Roman;}{\\f1\\fswiss\\fcharset204\\fprq2 Arial;}}\n"
    "{\\colortbl;\\red0\\green0\\blue0;}{\\*\\rsidtbl \\rsid1\\rsid2\\rsid3}\n"
    "{\\info{\\title <OSNOVA.FIO>}}\\paperw11906\\paperh16838\\margl1701\\margr850\\sectd\n"
    "{\\header \\pard\\plain\\qr\\f1\\fs16 {\\insrsid1 <KONST.NAZVANIE>}\\par}\n"
    "\\pard\\plain\\qc\\f0\\fs28 {\\b\\insrsid1 \\'cf\\'d0\\'c8\\'ca\\'c0\\'c7 \\'b9 }"
    "{\\b\\insrsid2 <ZHURDOK.NOM_DOK>}\\par\n"
    "\\pard\\plain\\f0\\fs24 {\\insrsid1 \\'cf\\'f0\\'e8\\'ed\\'ff\\'f2\\'fc: }{\\insrsid2 <FAM>}"
    "{\\insrsid3 <IM}{\\insrsid1 JA>}{\\*\\bkmkstart otch}{\\insrsid2 <OTCH>}{\\*\\bkmkend otch}"
    "{\\insrsid1 \\'ed\\'e0 \\'e4\\'ee\\'eb\\'e6\\'ed\\'ee\\'f1\\'f2\\'fc <PRIEM.DOLZH> "
    "\\'f1 \\'ee\\'ea\\'eb\\'e0\\'e4\\'ee\\'ec <PRIEM.OKLAD> (<OSNOVA.OKLAD_PROPIS>)}\\par\n"
    "\\pard\\plain\\f0\\fs24 {\\field{\\*\\fldinst { HYPERLINK \"https://example.org/\" }}{\\fldrslt {<DATA>}}}\\par\n"
    "\\trowd\\trgaph108\\cellx3000\\cellx6000\n"
    "\\pard\\plain\\intbl\\f0 {\\b \\'c4\\'e0\\'f2\\'e0}\\cell {\\b \\'ce\\'f2\\'e4\\'e5\\'eb}\\cell\\row\n"
    "\\trowd\\trgaph108\\cellx3000\\cellx6000\n"
    "\\pard\\plain\\intbl\\f0 \\cell \\cell\\row\n"
    "\\pard\\plain\\par}\n";

// A cell holding a nested table, filled as a whole; rows and paragraphs after it are filled too.
const std::string NestedTableTemplate =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\froman\\fcharset204 Times New Roman;}}\n"
    "\\pard\\plain Header <A>\\par\n"
    "\\trowd\\trgaph108\\cellx4500\\cellx9000\n"
    "\\pard\\plain\\intbl\\itap1 Outer\\par\n"
    "\\pard\\plain\\intbl\\itap2 Nested1\\nestcell Nested2\\nestcell\n"
    "{\\*\\nesttableprops\\trowd\\trgaph108\\cellx2000\\cellx4000\\nestrow}{\\nonesttables\\par}\n"
    "\\pard\\plain\\intbl\\itap1 Tail\\cell\n"
    "\\pard\\plain\\intbl\\itap1 <B>\\cell\\row\n"
    "\\trowd\\trgaph108\\cellx4500\\cellx9000\n"
    "\\pard\\plain\\intbl\\itap1 <C>\\cell <D>\\cell\\row\n"
    "\\pard\\plain After <E>\\par}";

// The same as Word writes it: runs in revision groups, row properties repeated before \\row.
const std::string WordNestedTableTemplate =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\froman\\fcharset204 Times New Roman;}}\n"
    "\\pard\\plain\\ltrpar\\ql Header <A>\\par\n"
    "\\trowd\\irow0\\irowband0\\ltrrow\\trgaph108\\trleft-108\\cellx4500\\cellx9000"
    "\\pard\\plain\\ltrpar\\ql\\intbl\\itap1 {\\rtlch\\fcs1 \\insrsid1 Outer\\par }\n"
    "\\pard\\plain\\ltrpar\\ql\\intbl\\itap2 {\\rtlch\\fcs1 \\insrsid1 Nested1}{\\rtlch\\fcs1 \\insrsid1 "
    "\\nestcell }{\\rtlch\\fcs1 \\insrsid1 Nested2}{\\rtlch\\fcs1 \\insrsid1 \\nestcell }\n"
    "\\pard\\plain\\ltrpar\\ql\\intbl\\itap2 {\\*\\nesttableprops\\trowd\\irow0\\irowband0\\lastrow"
    "\\ltrrow\\trgaph108\\trleft-108\\cellx2000\\cellx4000\\nestrow}{\\nonesttables\\par}\n"
    "\\pard\\plain\\ltrpar\\ql\\intbl\\itap1 {\\rtlch\\fcs1 \\insrsid1 Tail\\cell }{\\rtlch\\fcs1 "
    "\\insrsid1 <B>\\cell }\n"
    "\\pard\\plain\\ltrpar\\ql\\intbl\\itap1 {\\rtlch\\fcs1 \\insrsid1 \\trowd\\irow0\\irowband0"
    "\\ltrrow\\trgaph108\\trleft-108\\cellx4500\\cellx9000\\row }\n"
    "\\trowd\\irow1\\irowband1\\lastrow\\ltrrow\\trgaph108\\trleft-108\\cellx4500\\cellx9000"
    "\\pard\\plain\\ltrpar\\ql\\intbl\\itap1 {<C>\\cell <D>\\cell}\n"
    "\\pard\\plain\\ltrpar\\ql\\intbl\\itap1 {\\trowd\\irow1\\irowband1\\lastrow\\ltrrow\\trgaph108"
    "\\trleft-108\\cellx4500\\cellx9000\\row }\n"
    "\\pard\\plain\\ltrpar\\ql After <E>\\par}";

// A template cut short: its own group and an inner one never close.
const std::string UnclosedTemplate =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\froman\\fcharset204 Times New Roman;}}\n"
    "\\pard\\plain First <A>\\par\n"
    "{\\pard\\plain Second <B>\\par\n"
    "\\pard\\plain Third <C>\\par";

// A \* that does not open a group: word processors show the text after it.
const std::string StrayStarTemplate =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\froman\\fcharset204 Times New Roman;}}\n"
    "\\pard\\plain {\\i Start \\*\\b <A>\\b0  middle <B>}\\par\n"
    "\\pard\\plain End <C>\\par}";

// Placeholders interrupted as Word leaves them: hidden text, a tracked deletion, a comment; and
// a paragraph in a Western font, where Cyrillic values can only be \uN.
const std::string InterruptedTemplate =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\froman\\fcharset204 Times New Roman;}"
    "{\\f1\\fswiss\\fcharset0 Arial;}}\n"
    "{\\*\\revtbl {Unknown;}{Clerk;}}\n"
    "\\pard\\plain First <A{\\v hidden}>\\par\n"
    "\\pard\\plain Second <{\\deleted\\revauthdel1\\revdttmdel1 gone}B>\\par\n"
    "\\pard\\plain Third <{\\*\\atrfstart 1}C{\\*\\atrfend 1}{\\*\\atnid K}{\\*\\atnauthor Clerk}\\chatn "
    "{\\*\\annotation{\\*\\atnref 1}\\pard\\plain note\\par}>\\par\n"
    "\\pard\\plain\\f1 Fourth <D> <E>\\par}";

TEST(LibreOffice, ReadsTheValuesTheEngineWrote)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";

    TemporaryFolder folder;
    const std::vector<std::pair<std::string, std::string>> values = {
        {"<KONST.NAZVANIE>", "ООО «Ромашка»"},
        {"<ZHURDOK.NOM_DOK>", "17-к"},
        {"<FAM>", "Иванов "},
        {"<IMJA>", "Иван "},
        {"<OTCH>", "Иванович "},
        {"<PRIEM.DOLZH>", "инженер {ведущий} \\ 1 категории"},
        {"<PRIEM.OKLAD>", "25000"},
        {"<OSNOVA.OKLAD_PROPIS>", "двадцать пять тысяч рублей"},
        {"<DATA>", "06.03.2025"},
        {"<OSNOVA.FIO>", "Иванов Иван Иванович"},
    };
    {
        RtfDocument order(OrderTemplate, "т-1.RTF");
        for (const auto &[placeholder, value] : values)
            order.replaceAll(placeholder, cp(value));
        order.setCellText(1, 2, 1, cp("01.03.2025"));
        order.setCellText(1, 2, 2, cp("Отдел кадров"));
        order.saveAs(folder / "order.doc");

        auto list = RtfDocument::blank();
        list->addTable(1, 3);
        for (int r = 1; r <= 11; ++r) {
            for (int c = 1; c <= 3; ++c) {
                const std::string text = r == 1 ? "Заголовок " + std::to_string(c)
                                                : "Сотрудник " + std::to_string(r - 1) + "/" + std::to_string(c);
                list->setCellText(1, r, c, cp(text));
                list->setCellBold(1, r, c, r == 1);
            }
            if (r < 11)
                list->addRow(1);
        }
        list->saveAs(folder / "Perechen.doc");

        auto written = RtfDocument::open(std::filesystem::path(PRINTING_TEST_DATA)
                                         / "libreoffice-template.rtf");
        written->replaceAll("<ZHURDOK.NOM>", "42");
        written->replaceAll("<OSNOVA.FIO>", cp("Петров Пётр"));
        written->replaceAll("<DATA>", "07.03.2025");
        written->setCellText(1, 2, 2, cp("новое"));
        written->saveAs(folder / "certificate.doc");

        const std::pair<const char *, const std::string *> filled[] = {
            {"nested.doc", &NestedTableTemplate}, {"word-nested.doc", &WordNestedTableTemplate},
            {"unclosed.doc", &UnclosedTemplate},  {"star.doc", &StrayStarTemplate},
            {"interrupted.doc", &InterruptedTemplate}};
        for (const auto &[name, bytes] : filled) {
            RtfDocument document(*bytes, "template.rtf");
            for (const char *placeholder : {"A", "B", "C", "D", "E"})
                document.replaceAll("<" + std::string(placeholder) + ">",
                                    cp("значение ") + "value" + std::string(placeholder));
            if (document.tableCount() > 0)
                document.setCellText(1, 1, 1, cp("Ячейка"));
            document.saveAs(folder / name);
        }
    }

    const auto out = folder / "txt";
    QProcess process;
    process.setProgram(soffice);
    process.setArguments(
        {QStringLiteral("-env:UserInstallation=file://") + QString::fromStdString((folder / "profile").string()),
         QStringLiteral("--headless"), QStringLiteral("--convert-to"),
         QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"),
         QString::fromStdString(out.string()), QString::fromStdString((folder / "order.doc").string()),
         QString::fromStdString((folder / "Perechen.doc").string()),
         QString::fromStdString((folder / "certificate.doc").string()),
         QString::fromStdString((folder / "nested.doc").string()),
         QString::fromStdString((folder / "word-nested.doc").string()),
         QString::fromStdString((folder / "unclosed.doc").string()),
         QString::fromStdString((folder / "star.doc").string()),
         QString::fromStdString((folder / "interrupted.doc").string())});
    process.start();
    ASSERT_TRUE(process.waitForFinished(180000)) << "soffice did not finish";
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    const std::string orderText = readFile(out / "order.txt");
    ASSERT_FALSE(orderText.empty()) << process.readAllStandardOutput().toStdString();
    EXPECT_NE(orderText.find("ПРИКАЗ № 17-к"), std::string::npos) << orderText;
    EXPECT_NE(orderText.find("Принять: Иванов Иван Иванович на должность инженер {ведущий} \\ 1 "
                             "категории с окладом 25000 (двадцать пять тысяч рублей)"),
              std::string::npos)
        << orderText;
    EXPECT_NE(orderText.find("06.03.2025"), std::string::npos) << orderText;
    EXPECT_NE(orderText.find("01.03.2025"), std::string::npos) << orderText;
    EXPECT_NE(orderText.find("Отдел кадров"), std::string::npos) << orderText;
    EXPECT_EQ(orderText.find('<'), std::string::npos) << orderText;

    const std::string listText = readFile(out / "Perechen.txt");
    for (int r = 0; r <= 10; ++r)
        for (int c = 1; c <= 3; ++c) {
            const std::string text = r == 0 ? "Заголовок " + std::to_string(c)
                                            : "Сотрудник " + std::to_string(r) + "/" + std::to_string(c);
            EXPECT_NE(listText.find(text), std::string::npos) << text << "\n" << listText;
        }

    const std::string certificate = readFile(out / "certificate.txt");
    for (const char *text : {"Справка № 42", "Выдана Петров Пётр в том", "новое",
                             "Между таблицами 07.03.2025"})
        EXPECT_NE(certificate.find(text), std::string::npos) << text << "\n" << certificate;
    EXPECT_EQ(certificate.find("старое"), std::string::npos) << certificate;
    EXPECT_EQ(certificate.find('<'), std::string::npos) << certificate;

    // The nested table goes with the cell's old text; every later cell and paragraph stays.
    for (const char *name : {"nested.txt", "word-nested.txt"})
        EXPECT_EQ(readFile(out / name), "\xEF\xBB\xBFHeader значение valueA\nЯчейка\nзначение valueB\n"
                                        "значение valueC\nзначение valueD\nAfter значение valueE\n")
            << name;
    // The unclosed template opens, and its last paragraph is filled.
    EXPECT_EQ(readFile(out / "unclosed.txt"),
              "\xEF\xBB\xBF" "First значение valueA\nSecond значение valueB\nThird значение valueC\n");
    EXPECT_EQ(readFile(out / "star.txt"),
              "\xEF\xBB\xBFStart значение valueA middle значение valueB\nEnd значение valueC\n");
    EXPECT_EQ(readFile(out / "interrupted.txt"),
              "\xEF\xBB\xBF" "First значение valueA\nSecond значение valueB\nThird значение valueC\n"
              "Fourth значение valueD значение valueE\n");
}

} // namespace
} // namespace veltor
