#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "DemoInstall.h"
#include "PrintingTestSupport.h"
#include "app/EmployeeList.h"
#include "records/Startup.h"
#include "printing/DocxDocument.h"
#include "printing/RtfDocument.h"
#include "documents/TemplatePrinting.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"
#include "text/OrfoUnit.h"

// The shipped templates filled from the demo database: every placeholder in them is one the
// program fills, the personal card's tables are where the program fills them, and LibreOffice,
// reading the filled documents on its own, finds every value in its place.
namespace veltor {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TemporaryFolder;

// A placeholder as the templates write them.
const std::regex Placeholder("<[A-Z][A-Z0-9_.]*>");

// The lines of LibreOffice's text output, without its byte order mark.
std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    size_t begin = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
        std::string line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

class DemoTemplates : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousFactory = documentApplicationFactory();
        setDocumentApplicationFactory(
            rtfApplicationFactory([this](const fs::path &file) { shown.push_back(file); }));

        demo::installDemo(VELTOR_DEMO_DIR, run);
        state.ProgramFolder = run;
        readConfigIni(run / "config.ini", state);
        state.Stolb = ReadTable(state.programFile(schema::StolbTable));
        state.Konstanty = ReadTable(state.programFile(schema::KonstantyTable));
        state.Pechat = ReadTable(state.programFile(schema::PechatTable));
        state.ColumnSettings = columnSettingsFromStolb(state.Stolb);
        loadPersonnelTables(state);
        readDatabaseTable(state, schema::ZhurDokTable, zhurDok);
        readDatabaseTable(state, schema::PriemTable, priem);
        readDatabaseTable(state, schema::KomandTable, komand);
        readDatabaseTable(state, schema::UvolTable, uvol);
        readDatabaseTable(state, schema::OtpuskTable, otpusk);
        fs::create_directories(documents);
    }

    void TearDown() override { setDocumentApplicationFactory(m_previousFactory); }

    int mainRecord(int code) const { return nomerstrokipokodu(state.Osnova.Header, state.Osnova.Data, code); }

    // A field of the employee's last record in a table, as UTF-8.
    static std::string value(const LoadedTable &table, int code, std::string_view field)
    {
        TIndex found;
        SelectEqualIdx(table.Header, table.Data, FieldIndex(table.Header, schema::KOD), std::to_string(code),
                       found);
        const int record = found.size() > 1 ? found.back() : 0;
        return cp1251ToUtf8(GetField(table.Header, table.Data, record, FieldIndex(table.Header, field)));
    }

    // The name of a department or position number, as UTF-8.
    static std::string nameOf(const LoadedTable &table, const std::string &number, std::string_view field)
    {
        for (int r = 1; r <= table.Header.RecordCount; ++r)
            if (GetField(table.Header, table.Data, r, FieldIndex(table.Header, schema::NOM)) == number)
                return cp1251ToUtf8(GetField(table.Header, table.Data, r, FieldIndex(table.Header, field)));
        return "(none)";
    }

    std::string department(const std::string &number) const { return nameOf(state.Otdel, number, schema::OTDEL); }
    std::string position(const std::string &number) const { return nameOf(state.Dolzh, number, schema::DOLZH); }

    std::string constant(std::string_view key) const
    {
        const LoadedTable &k = state.Konstanty;
        for (int r = 1; r <= k.Header.RecordCount; ++r)
            if (GetField(k.Header, k.Data, r, FieldIndex(k.Header, schema::PEREMEN)) == key)
                return cp1251ToUtf8(GetField(k.Header, k.Data, r, FieldIndex(k.Header, schema::ZNACHEN)));
        return "(none)";
    }

    // Moves the document just shown to documents/name, so that the next printing for the same
    // employee does not overwrite it.
    fs::path keep(const std::string &name)
    {
        EXPECT_EQ(shown.size(), 1u);
        const fs::path target = documents / name;
        fs::rename(shown.back(), target);
        shown.clear();
        return target;
    }

    fs::path printOrder(const std::string &templateName, int code, int orderId, const std::string &name)
    {
        pechatdok(state, pathFromCp1251(state.TemplatesFolder + cp(templateName)), mainRecord(code),
                  {&zhurDok, &priem, &komand, &uvol, &otpusk}, orderId);
        return keep(name);
    }

    fs::path printPechat(int tag, int code, const std::string &name)
    {
        state.CurMainRec = mainRecord(code);
        printPechatTemplate(state, tag);
        return keep(name);
    }

    fs::path printList()
    {
        list = buildEmployeeList(state, effectiveCodeList(state, "-1"));
        printEmployeeList(state, list.cols, list.rows,
                          [this](int col, int row) -> const std::string & { return list.at(col, row); });
        return keep("Perechen.doc");
    }

    TemporaryFolder folder;
    fs::path run = folder / "run";
    fs::path documents = folder / "documents";
    AppState state;
    LoadedTable zhurDok, priem, komand, uvol, otpusk;
    ListContent list;
    std::vector<fs::path> shown;

private:
    ApplicationFactory m_previousFactory;
};

// Runs LibreOffice on files: converts each to `format` (a --convert-to argument) in `outdir`.
// Empty when it succeeded, else what went wrong.
std::string convertWithLibreOffice(const QString &soffice, const fs::path &profile, const std::vector<fs::path> &files,
                                   const QString &format, const fs::path &outdir)
{
    QStringList arguments = {QStringLiteral("-env:UserInstallation=file://") + QString::fromStdString(profile.string()),
                             QStringLiteral("--headless"), QStringLiteral("--convert-to"), format,
                             QStringLiteral("--outdir"), QString::fromStdString(outdir.string())};
    for (const fs::path &file : files)
        arguments << QString::fromStdString(file.string());
    QProcess process;
    process.start(soffice, arguments);
    if (!process.waitForFinished(240000))
        return "soffice did not finish";
    if (process.exitCode() != 0)
        return process.readAllStandardError().toStdString();
    return {};
}

// The demo's orders: template, employee code, order ID (the demo journal's).
struct DemoOrder {
    const char *templateName;
    int code;
    int orderId;
    const char *file;
};
const DemoOrder Orders[] = {
    {"т-1.RTF", 28, 3, "hire.doc"},          {"т-5.RTF", 11, 6, "transfer.doc"},
    {"т-6.RTF", 3, 8, "vacation.doc"},       {"т-8.RTF", 26, 5, "dismissal.doc"},
    {"т-9.RTF", 6, 9, "business-trip.doc"},
};

TEST_F(DemoTemplates, PersonalCardHasTheTablesTheProgramFills)
{
    auto card = RtfDocument::open(fs::path(VELTOR_DEMO_DIR) / "templates" / "т-2.rtf");
    ASSERT_GE(card->tableCount(), 20);
    const struct {
        int table;
        std::vector<std::string> headings;
    } tables[] = {
        {12, {"Степень родства (ближайшие родственники)", "Фамилия, имя, отчество", "Год рождения"}},
        {20, {"Дата", "Структурное подразделение",
              "Должность (специальность, профессия), разряд, класс (категория) квалификации",
              "Тарифная ставка (оклад), надбавка, руб."}},
    };
    for (const auto &t : tables) {
        SCOPED_TRACE(t.table);
        ASSERT_GE(card->rowCount(t.table), 2 + 6);
        for (int c = 1; c <= static_cast<int>(t.headings.size()); ++c) {
            EXPECT_EQ(cp1251ToUtf8(card->cellText(t.table, 1, c)), t.headings[c - 1]);
            EXPECT_EQ(card->cellText(t.table, 2, c), std::to_string(c));
        }
        for (int r = 3; r <= card->rowCount(t.table); ++r)
            for (int c = 1; c <= card->columnCount(t.table, r); ++c)
                EXPECT_EQ(card->cellText(t.table, r, c), "") << r << "," << c;
    }
}

TEST_F(DemoTemplates, EveryPlaceholderIsOneTheProgramFills)
{
    std::vector<fs::path> filled;
    for (const DemoOrder &order : Orders)
        filled.push_back(printOrder(order.templateName, order.code, order.orderId, order.file));
    filled.push_back(printPechat(1, 1, "card.doc"));
    filled.push_back(printPechat(2, 2, "certificate.doc"));
    for (const fs::path &file : filled) {
        SCOPED_TRACE(pathToUtf8(file));
        const std::string text = cp1251ToUtf8(RtfDocument::open(file)->text());
        std::smatch left;
        EXPECT_FALSE(std::regex_search(text, left, Placeholder)) << left.str();
    }
}

TEST_F(DemoTemplates, LibreOfficeReadsTheFilledDocuments)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";

    std::vector<fs::path> files;
    for (const DemoOrder &order : Orders)
        files.push_back(printOrder(order.templateName, order.code, order.orderId, order.file));
    files.push_back(printPechat(1, 1, "card.doc"));
    files.push_back(printPechat(2, 2, "certificate.doc"));
    files.push_back(printList());

    const fs::path txt = folder / "txt";
    QStringList arguments = {QStringLiteral("-env:UserInstallation=file://")
                                 + QString::fromStdString((folder / "profile").string()),
                             QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                             QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"),
                             QString::fromStdString(txt.string())};
    for (const fs::path &file : files)
        arguments << QString::fromStdString(file.string());
    QProcess process;
    process.start(soffice, arguments);
    ASSERT_TRUE(process.waitForFinished(240000)) << "soffice did not finish";
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const auto textOf = [&](const char *name) {
        const std::string text = readFile(txt / (fs::path(name).stem().string() + ".txt"));
        EXPECT_FALSE(text.empty()) << name << ": " << process.readAllStandardOutput().toStdString();
        std::smatch left;
        EXPECT_FALSE(std::regex_search(text, left, Placeholder)) << name << ": " << left.str();
        return text;
    };
    const auto expectValues = [](const std::string &text, const std::vector<std::string> &values) {
        for (const std::string &v : values)
            EXPECT_NE(text.find(v), std::string::npos) << "«" << v << "» missing from:\n" << text;
    };

    const std::vector<std::string> organisation = {
        constant("ORGAN"), constant("OKPO"), value(state.Osnova, 1, "SOKR_FIO"),
        position(value(state.Osnova, 1, "DOLZH"))};
    const auto orderValues = [&](int code, int orderId) {
        std::vector<std::string> v = organisation;
        for (const char *field : {"FIO", "NOM"})
            v.push_back(value(state.Osnova, code, field));
        for (const char *field : {"NOM_DOK", "DATA_DOK", "D_NACH"})
            v.push_back(value(zhurDok, code, field));
        EXPECT_EQ(value(zhurDok, code, "ID_DOK"), std::to_string(orderId));
        return v;
    };

    {
        SCOPED_TRACE("hire");
        auto v = orderValues(28, 3);
        v.insert(v.end(), {department(value(priem, 28, "OTDEL")), position(value(priem, 28, "DOLZH")),
                           "Основная работа", value(priem, 28, "OKLAD"), value(priem, 28, "KOMENT"),
                           value(state.Trud, 28, "NOM_DOG"),
                           cp1251ToUtf8(AmountInWords(0, std::stoi(value(state.Osnova, 28, "OKLAD"))))});
        expectValues(textOf("hire.doc"), v);
    }
    {
        SCOPED_TRACE("transfer");
        auto v = orderValues(11, 6);
        v.push_back(value(zhurDok, 11, "OSNOVAN"));
        // The history record before the one order 6 wrote.
        TIndex history;
        SelectEqualIdx(state.Trud.Header, state.Trud.Data, FieldIndex(state.Trud.Header, "KOD"), "11", history);
        ASSERT_EQ(history.size(), 4u);
        const auto trud = [&](int record, const char *field) {
            return GetField(state.Trud.Header, state.Trud.Data, record, FieldIndex(state.Trud.Header, field));
        };
        ASSERT_EQ(trud(history[3], "ID_DOK"), "6");
        ASSERT_EQ(trud(history[2], "N_IZM"), "2");
        v.insert(v.end(), {department(trud(history[2], "OTDEL")), position(trud(history[2], "DOLZH")),
                           department(value(priem, 11, "OTDEL")), position(value(priem, 11, "DOLZH")),
                           value(priem, 11, "KOMENT"), value(priem, 11, "OKLAD")});
        EXPECT_NE(position(trud(history[2], "DOLZH")), position(value(priem, 11, "DOLZH")));
        expectValues(textOf("transfer.doc"), v);
    }
    {
        SCOPED_TRACE("vacation");
        auto v = orderValues(3, 8);
        v.push_back(value(zhurDok, 3, "OSNOVAN"));
        for (const char *field : {"OTP_OSN", "RAB_OT", "RAB_DO", "KOMENT"})
            v.push_back(value(otpusk, 3, field));
        v.push_back(value(zhurDok, 3, "D_KONC"));
        expectValues(textOf("vacation.doc"), v);
    }
    {
        SCOPED_TRACE("dismissal");
        auto v = orderValues(26, 5);
        v.push_back(value(zhurDok, 26, "OSNOVAN"));
        for (const char *field : {"KOMENT", "DN_KOM"})
            v.push_back(value(uvol, 26, field));
        v.insert(v.end(), {value(state.Trud, 26, "NOM_DOG"), value(state.Trud, 26, "D_DOG"),
                           department(value(state.Trud, 26, "OTDEL")), position(value(state.Trud, 26, "DOLZH"))});
        expectValues(textOf("dismissal.doc"), v);
    }
    {
        SCOPED_TRACE("business trip");
        auto v = orderValues(6, 9);
        v.push_back(value(zhurDok, 6, "OSNOVAN"));
        for (const char *field : {"KUDA", "ORGAN", "TSEL", "KOMENT"})
            v.push_back(value(komand, 6, field));
        v.insert(v.end(), {value(zhurDok, 6, "D_KONC"), department(value(state.Osnova, 6, "OTDEL"))});
        expectValues(textOf("business-trip.doc"), v);
    }
    {
        SCOPED_TRACE("certificate");
        std::vector<std::string> v = {constant("ORGAN"), constant("ADRES_ORG"), constant("INN_ORG"),
                                      value(state.Osnova, 2, "FIO"), value(state.Osnova, 2, "OKLAD"),
                                      value(state.Passport, 2, "PASSPORT"), value(state.Passport, 2, "PASS_KEM"),
                                      value(state.Trud, 2, "D_POST"), position(value(state.Osnova, 2, "DOLZH")),
                                      department(value(state.Osnova, 2, "OTDEL")),
                                      value(state.Osnova, 3, "SOKR_FIO")};
        expectValues(textOf("certificate.doc"), v);
    }
    {
        SCOPED_TRACE("personal card");
        const std::string text = textOf("card.doc");
        expectValues(text, {constant("ORGAN"), value(state.Osnova, 1, "INN"), value(state.Osnova, 1, "STRAH_SVID"),
                            value(state.Passport, 1, "PASSPORT"), value(state.Passport, 1, "ADRESS"),
                            value(state.Obraz, 1, "UCHEB"), "Высшее", "Диплом", value(state.Dopoln, 1, "DOPOLN2"),
                            constant("DOPOLN2"), value(state.Osnova, 3, "SOKR_FIO")});

        // LibreOffice writes a table cell by cell, one line each: find the second heading row
        // (the column numbers) after a table's last heading, then read the rows below it.
        const std::vector<std::string> all = lines(text);
        const auto rowsAfter = [&](const std::string &lastHeading, int columns, int rows) {
            std::vector<std::vector<std::string>> result;
            const auto at = std::find(all.begin(), all.end(), lastHeading);
            EXPECT_NE(at, all.end()) << lastHeading;
            if (at == all.end())
                return result;
            size_t i = static_cast<size_t>(at - all.begin()) + 1;
            for (int c = 1; c <= columns; ++c)
                EXPECT_EQ(all.at(i++), std::to_string(c));
            for (int r = 0; r < rows && i + columns <= all.size(); ++r, i += columns)
                result.emplace_back(all.begin() + static_cast<long>(i), all.begin() + static_cast<long>(i + columns));
            return result;
        };
        const auto card = RtfDocument::open(documents / "card.doc");
        const auto cell = [&](int table, int row, int column) {
            return cp1251ToUtf8(card->cellText(table, row, column));
        };

        TIndex history;
        SelectEqualIdx(state.Trud.Header, state.Trud.Data, FieldIndex(state.Trud.Header, "KOD"), "1", history);
        ASSERT_EQ(history.size(), 4u);
        const auto historyRows = rowsAfter("Личная подпись владельца трудовой книжки", 6, 4);
        ASSERT_EQ(historyRows.size(), 4u);
        for (int k = 1; k <= 3; ++k) {
            const auto trud = [&](const char *field) {
                return cp1251ToUtf8(
                    GetField(state.Trud.Header, state.Trud.Data, history[k], FieldIndex(state.Trud.Header, field)));
            };
            const std::vector<std::string> expected = {trud("D_IZM"), department(cp(trud("OTDEL"))),
                                                       position(cp(trud("DOLZH"))), trud("OKLAD"), "", ""};
            EXPECT_EQ(historyRows[k - 1], expected) << "history row " << k + 2;
            for (int c = 1; c <= 4; ++c)
                EXPECT_EQ(cell(20, k + 2, c), expected[c - 1]);
        }
        EXPECT_EQ(historyRows[3], std::vector<std::string>(6, ""));

        TIndex family;
        SelectEqualIdx(state.Semja.Header, state.Semja.Data, FieldIndex(state.Semja.Header, "KOD"), "1", family);
        ASSERT_EQ(family.size(), 4u);
        const auto familyRows = rowsAfter("Год рождения", 3, 4);
        ASSERT_EQ(familyRows.size(), 4u);
        for (int k = 1; k <= 3; ++k) {
            std::vector<std::string> expected;
            for (const char *field : {"S_TIP_N", "S_FIO", "S_ROZHD"})
                expected.push_back(cp1251ToUtf8(
                    GetField(state.Semja.Header, state.Semja.Data, family[k], FieldIndex(state.Semja.Header, field))));
            EXPECT_EQ(familyRows[k - 1], expected) << "family row " << k + 2;
            for (int c = 1; c <= 3; ++c)
                EXPECT_EQ(cell(12, k + 2, c), expected[c - 1]);
        }
        EXPECT_EQ(familyRows[3], std::vector<std::string>(3, ""));
    }
    {
        SCOPED_TRACE("list");
        // The list's cells, row by row, without column 0: LibreOffice sees exactly that table.
        std::vector<std::string> expected;
        for (int r = 0; r < list.rows; ++r)
            for (int c = 1; c < list.cols; ++c)
                expected.push_back(cp1251ToUtf8(list.at(c, r)));
        ASSERT_EQ(list.rows, state.Osnova.Header.RecordCount + 1);
        ASSERT_EQ(list.cols, 1 + 9);
        const std::string text = textOf("Perechen.doc");
        std::vector<std::string> all = lines(text);
        const auto first = std::find(all.begin(), all.end(), expected.front());
        ASSERT_NE(first, all.end()) << text;
        all.erase(all.begin(), first);
        all.resize(std::min(all.size(), expected.size()));
        EXPECT_EQ(all, expected);
    }
}

TEST_F(DemoTemplates, DocxTemplatesAreFilledAsTheRtfOnesAre)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    // The personal card and the hiring order as today's word processors save them: LibreOffice
    // writes each placeholder in runs of its own choosing.
    const fs::path templates = folder / "docx-templates";
    ASSERT_EQ(convertWithLibreOffice(soffice, folder / "profile",
                                     {fs::path(VELTOR_DEMO_DIR) / "templates" / "т-2.rtf",
                                      fs::path(VELTOR_DEMO_DIR) / "templates" / "т-1.RTF"},
                                     QStringLiteral("docx:MS Word 2007 XML"), templates),
              "");
    ASSERT_TRUE(fs::is_regular_file(templates / "т-2.docx"));

    state.CurMainRec = mainRecord(1);
    pechat(state, templates / "т-2.docx", std::string());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.back().extension(), ".docx");
    const fs::path card = keep("card.docx");
    // The order's fixed template name finds the template saved under the new extension.
    pechatdok(state, templates / "т-1.RTF", mainRecord(28), {&zhurDok, &priem, &komand, &uvol, &otpusk}, 3);
    const fs::path order = keep("hire.docx");

    const fs::path txt = folder / "txt";
    ASSERT_EQ(convertWithLibreOffice(soffice, folder / "profile", {card, order},
                                     QStringLiteral("txt:Text (encoded):UTF8"), txt),
              "");
    const auto expectValues = [](const std::string &text, const std::vector<std::string> &values) {
        ASSERT_FALSE(text.empty());
        std::smatch left;
        EXPECT_FALSE(std::regex_search(text, left, Placeholder)) << left.str();
        for (const std::string &v : values)
            EXPECT_NE(text.find(v), std::string::npos) << "«" << v << "» missing from:\n" << text;
    };
    const std::string cardText = readFile(txt / "card.txt");
    expectValues(cardText, {constant("ORGAN"), value(state.Osnova, 1, "INN"),
                            value(state.Passport, 1, "PASSPORT"), value(state.Obraz, 1, "UCHEB"), "Высшее",
                            value(state.Osnova, 3, "SOKR_FIO")});
    // The history and family rows, read back from the saved file by its cells and by LibreOffice.
    DocxDocument filled(readFile(card), "card.docx");
    TIndex history;
    SelectEqualIdx(state.Trud.Header, state.Trud.Data, FieldIndex(state.Trud.Header, "KOD"), "1", history);
    ASSERT_EQ(history.size(), 4u);
    for (int k = 1; k <= 3; ++k) {
        const std::string date = cp1251ToUtf8(
            GetField(state.Trud.Header, state.Trud.Data, history[k], FieldIndex(state.Trud.Header, "D_IZM")));
        EXPECT_EQ(cp1251ToUtf8(filled.cellText(20, k + 2, 1)), date);
        EXPECT_NE(cardText.find(date), std::string::npos) << date;
    }
    TIndex family;
    SelectEqualIdx(state.Semja.Header, state.Semja.Data, FieldIndex(state.Semja.Header, "KOD"), "1", family);
    for (size_t k = 1; k < family.size(); ++k) {
        const std::string name = cp1251ToUtf8(
            GetField(state.Semja.Header, state.Semja.Data, family[k], FieldIndex(state.Semja.Header, "S_FIO")));
        EXPECT_EQ(cp1251ToUtf8(filled.cellText(12, static_cast<int>(k) + 2, 2)), name);
        EXPECT_NE(cardText.find(name), std::string::npos) << name;
    }

    expectValues(readFile(txt / "hire.txt"),
                 {constant("ORGAN"), value(state.Osnova, 28, "FIO"), value(zhurDok, 28, "NOM_DOK"),
                  department(value(priem, 28, "OTDEL")), position(value(priem, 28, "DOLZH")), "Основная работа",
                  value(priem, 28, "OKLAD"),
                  cp1251ToUtf8(AmountInWords(0, std::stoi(value(state.Osnova, 28, "OKLAD"))))});
}

} // namespace
} // namespace veltor
