#include <gtest/gtest.h>

#include <random>
#include <string>

#include "PrintingTestSupport.h"
#include "printing/DocxDocument.h"
#include "printing/ZipArchive.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

// The Office Open XML engine: placeholders as Word splits them, cells of the body's tables, and
// parts other than the text saved as they were.
namespace veltor {
namespace {

const std::string Namespaces =
    R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";

std::string docx(const std::string &body, const std::string &header = "<w:p><w:r><w:t>&lt;DATA&gt;</w:t></w:r></w:p>")
{
    const std::string declaration = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";
    return writeZip(
        {
            {"[Content_Types].xml",
             declaration + R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
                 R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
                 R"(<Default Extension="xml" ContentType="application/xml"/>)"
                 R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
                 R"(<Override PartName="/word/header1.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml"/>)"
                 R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)"
                 R"(</Types>)"},
            {"_rels/.rels",
             declaration + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                 R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
                 R"(</Relationships>)"},
            {"word/_rels/document.xml.rels",
             declaration + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                 R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" Target="header1.xml"/>)"
                 R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
                 R"(</Relationships>)"},
            {"word/document.xml",
             declaration + "<w:document " + Namespaces + "><w:body>" + body
                 + R"(<w:sectPr><w:headerReference w:type="default" r:id="rId1"/></w:sectPr></w:body></w:document>)"},
            {"word/header1.xml", declaration + "<w:hdr " + Namespaces + ">" + header + "</w:hdr>"},
            {"word/styles.xml", declaration + "<w:styles " + Namespaces + "><!-- kept as written --></w:styles>"},
        },
        "test.docx");
}

std::string paragraph(const std::string &runs) { return "<w:p>" + runs + "</w:p>"; }
std::string run(const std::string &text, const std::string &properties = "")
{
    return "<w:r>" + (properties.empty() ? "" : "<w:rPr>" + properties + "</w:rPr>") + "<w:t xml:space=\"preserve\">"
           + text + "</w:t></w:r>";
}

std::string entry(const std::string &bytes, const std::string &name)
{
    for (const ZipEntry &e : readZip(bytes, "saved", 1 << 20))
        if (e.name == name)
            return e.data;
    return "(missing)";
}

TEST(Docx, FindsPlaceholdersAsWordSplitsThemAndPassesOverHiddenParts)
{
    const std::string body =
        paragraph(run("&lt;OSNO") + "<w:proofErr w:type=\"spellStart\"/><w:bookmarkStart w:id=\"0\" w:name=\"b\"/>"
                  + run("VA.FIO&gt; и", "<w:b/>") + "<w:bookmarkEnd w:id=\"0\"/>")
        + paragraph(run("&lt;FA") + run("скрыто", "<w:vanish/>") + run("M&gt;|") + run("&lt;FAM&gt;", "<w:vanish w:val=\"0\"/>"))
        + paragraph(run("&lt;IM") + "<w:del w:id=\"1\" w:author=\"A\"><w:r><w:delText>zz</w:delText></w:r></w:del>"
                    + "<w:ins w:id=\"2\" w:author=\"A\">" + run("JA") + "</w:ins>" + run("&gt;"))
        + paragraph(run("&lt;OT") + "<w:commentRangeStart w:id=\"3\"/><w:r><w:commentReference w:id=\"3\"/></w:r>"
                    + run("CH&gt;") + "<w:commentRangeEnd w:id=\"3\"/>")
        + paragraph(run("&lt;A")) + paragraph(run("B&gt;")) + paragraph(run("x&lt;V&gt;y"))
        + paragraph(run("&lt;W") + "<w:r><w:tab/></w:r>" + run("&gt;"));
    DocxDocument document(docx(body), "t.docx");
    document.replaceAll("<OSNOVA.FIO>", cp("Белова Ирина Николаевна"));
    document.replaceAll("<fam>", cp("Белова "));
    document.replaceAll("<IMJA>", cp("Ирина "));
    document.replaceAll("<OTCH>", cp("Николаевна"));
    document.replaceAll("<AB>", "no");
    document.replaceAll("<V>", "1\r\n2\t3");
    document.replaceAll("<W>", "no");
    document.replaceAll("<DATA>", "08.12.2026");
    const std::string expected = "Белова Ирина Николаевна и\nБелова |Белова \nИрина \nНиколаевна\n<A\nB>\nx1\v"
                                 "2\t3y\n<W\t>\n08.12.2026\n";
    EXPECT_EQ(cp1251ToUtf8(document.text()), expected);

    // Read back from the saved bytes; the part without text is byte for byte as it was.
    const std::string saved = document.toBytes();
    EXPECT_EQ(cp1251ToUtf8(DocxDocument(saved, "saved").text()), expected);
    EXPECT_EQ(entry(saved, "word/styles.xml"), entry(docx(body), "word/styles.xml"));
    const std::string xml = entry(saved, "word/document.xml");
    // The value is in the first run, bold as its first character was not; the line break and
    // tab are Word's own elements; the comment stays anchored.
    EXPECT_NE(xml.find(R"(<w:t xml:space="preserve">Белова Ирина Николаевна</w:t>)"), std::string::npos) << xml;
    EXPECT_NE(xml.find(R"(<w:t xml:space="preserve">x1</w:t><w:br/><w:t xml:space="preserve">2</w:t><w:tab/>)"
                       R"(<w:t xml:space="preserve">3y</w:t>)"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find(R"(<w:commentReference w:id="3"/>)"), std::string::npos) << xml;
    EXPECT_NE(xml.find(R"(<w:delText>zz</w:delText>)"), std::string::npos) << xml;

    EXPECT_EQ(document.replaceAllUnicode(U"<none>", U"x"), 0);
    EXPECT_EQ(document.replaceAllUnicode(U"Николаевна", U"Müller 😀"), 2);
    EXPECT_NE(entry(document.toBytes(), "word/document.xml").find("Müller 😀"), std::string::npos);
}

TEST(Docx, CellsOfTheBodysTablesAreSetInTheirFormatting)
{
    const std::string nested = "<w:tbl><w:tr><w:tc>" + paragraph(run("вложенная")) + "</w:tc></w:tr></w:tbl>";
    const std::string body =
        paragraph(run("до")) + "<w:tbl><w:tblPr/><w:tblGrid><w:gridCol/><w:gridCol/></w:tblGrid>"
        + "<w:tr><w:tc><w:tcPr><w:tcW w:w=\"100\"/></w:tcPr>" + paragraph(run("Дата", "<w:i/>")) + "</w:tc><w:tc>"
        + paragraph(run("Отдел")) + "</w:tc></w:tr>"
        + "<w:tr><w:tc><w:tcPr/><w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr></w:p></w:tc><w:tc>"
        + paragraph(run("скрыто", "<w:vanish/>") + run("a", "<w:rFonts w:ascii=\"Arial\"/><w:sz w:val=\"18\"/>")) + nested
        + paragraph(run("b")) + "</w:tc></w:tr>"
        + "</w:tbl>" + paragraph(run("после"));
    DocxDocument document(docx(body, ""), "t.docx");
    ASSERT_EQ(document.tableCount(), 1); // the nested table is part of its cell
    EXPECT_EQ(document.rowCount(1), 2);
    EXPECT_EQ(document.columnCount(1, 2), 2);
    EXPECT_EQ(cp1251ToUtf8(document.cellText(1, 2, 2)), "a\rвложенная\a\ab");

    document.setCellText(1, 2, 1, cp("01.02.2020"));
    document.setCellText(1, 2, 2, cp("Столярный\nцех"));
    document.setCellBold(1, 1, 2, true);
    const std::string saved = document.toBytes();
    DocxDocument reread(saved, "saved");
    EXPECT_EQ(cp1251ToUtf8(reread.cellText(1, 2, 1)), "01.02.2020");
    EXPECT_EQ(cp1251ToUtf8(reread.cellText(1, 2, 2)), "Столярный\vцех");
    const std::string xml = entry(saved, "word/document.xml");
    EXPECT_NE(xml.find(R"(<w:tc><w:tcPr/><w:p><w:pPr><w:jc w:val="center"/></w:pPr><w:r><w:t xml:space="preserve">01.02.2020</w:t></w:r></w:p></w:tc>)"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find(R"(<w:tc><w:p><w:r><w:rPr><w:rFonts w:ascii="Arial"/><w:sz w:val="18"/></w:rPr>)"
                       R"(<w:t xml:space="preserve">Столярный</w:t><w:br/><w:t xml:space="preserve">цех</w:t></w:r></w:p></w:tc>)"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find(R"(<w:rPr><w:b/></w:rPr><w:t xml:space="preserve">Отдел</w:t>)"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("вложенная"), std::string::npos);
    EXPECT_EQ(cp1251ToUtf8(reread.text()), "до\nДата\aОтдел\a\n01.02.2020\aСтолярный\vцех\a\nпосле\n");

    for (const auto &[table, row, column] : {std::tuple{2, 1, 1}, {1, 3, 1}, {1, 1, 3}}) {
        try {
            document.setCellText(table, row, column, "x");
            ADD_FAILURE() << table << "," << row << "," << column;
        } catch (const DocumentError &error) {
            EXPECT_NE(std::string(error.what()).find("t.docx"), std::string::npos) << error.what();
        }
    }
}

TEST(Docx, ArchivesThatAreNotWordDocumentsAreNamed)
{
    const std::string odt = writeZip({{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<a/>"}}, "t");
    const std::string badXml = writeZip({{"word/document.xml", "<w:document><w:body>"}}, "t");
    const struct {
        std::string bytes;
        const char *message;
    } cases[] = {
        {odt, "не является документом Word"},
        {badXml, "повреждена"},
        {std::string("PK\x03\x04", 4) + "cut", "поврежден"},
    };
    for (const auto &c : cases) {
        try {
            DocxDocument document(c.bytes, "шаблон.docx");
            ADD_FAILURE() << c.message;
        } catch (const DocumentError &error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find("шаблон.docx"), std::string::npos) << error.what();
        }
    }
}

TEST(Docx, DamagedArchivesFailCleanlyOrAreFilled)
{
    // Cut short or with bytes changed, an archive either reads (and then fills and saves) or is
    // refused with a message; sizes an archive claims never make it allocate beyond the limit.
    const std::string sample = docx(paragraph(run("&lt;FA") + run("M&gt;")) + "<w:tbl><w:tr><w:tc>"
                                    + paragraph(run("&lt;D&gt;")) + "</w:tc></w:tr></w:tbl>");
    std::mt19937 random(20261208);
    std::vector<std::string> damaged;
    for (size_t length = 0; length < sample.size(); length += 7)
        damaged.push_back(sample.substr(0, length));
    for (int i = 0; i < 400; ++i) {
        std::string bytes = sample;
        for (int k = 0; k < 3; ++k)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        damaged.push_back(bytes);
    }
    int read = 0;
    for (const std::string &bytes : damaged) {
        try {
            DocxDocument document(bytes, "damaged.docx");
            document.replaceAll("<FAM>", "x");
            if (document.tableCount() > 0 && document.columnCount(1, 1) > 0)
                document.setCellText(1, 1, 1, "y");
            const std::string written = document.toBytes();
            EXPECT_EQ(DocxDocument(written, "again").text(), document.text());
            ++read;
        } catch (const DocumentError &) {
        }
    }
    EXPECT_GT(read, 0);
}

} // namespace
} // namespace veltor
