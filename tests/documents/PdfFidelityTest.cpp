#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>
#include <vector>

#include "DemoInstall.h"
#include "GenerateDatabase.h"
#include "PrintingTestSupport.h"
#include "app/EmployeeList.h"
#include "records/Startup.h"
#include "documents/TemplatePrinting.h"
#include "printing/DocumentFiles.h"
#include "printing/PdfOutput.h"
#include "printing/RtfLayout.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"

// Our PDF of every printed document against LibreOffice's PDF of the same RTF, through
// scripts/compare_pdf.py: the same text in the same order, the same number of pages (the
// templates exactly, a long list within 2%) and no word with a cell's rule through it. Both
// take the fonts fontconfig gives for the documents' Times New Roman (with LibreOffice's
// recommended fonts-liberation2, Liberation Serif). Skipped where LibreOffice or pdftotext is
// not installed.
namespace veltor {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

// Runs the comparison script; its report goes to the test's output. Returns its exit status.
int compare(const std::vector<fs::path> &documents, double pageTolerance)
{
    QStringList arguments = {QStringLiteral(VELTOR_SOURCE_DIR "/scripts/compare_pdf.py"),
                             QStringLiteral("--page-tolerance"), QString::number(pageTolerance)};
    for (const fs::path &document : documents) {
        const fs::path pdf = pdfPathFor(document);
        auto layout = RtfLayout::fromRtf(readDocumentFile(document), displayPath(document));
        writePdf(*layout, pdf);
        // VELTOR_FIDELITY_KEEP names a folder that keeps the documents and our PDFs to look at.
        if (const QByteArray keep = qgetenv("VELTOR_FIDELITY_KEEP"); !keep.isEmpty()) {
            for (const fs::path &file : {document, pdf})
                fs::copy_file(file, fs::path(keep.toStdString()) / file.filename(),
                              fs::copy_options::overwrite_existing);
        }
        arguments << QString::fromStdString(document.string()) << QString::fromStdString(pdf.string());
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("python3"), arguments);
    if (!process.waitForFinished(900000))
        return -1;
    std::printf("%s", process.readAll().constData());
    return process.exitCode();
}

class Fidelity : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "LibreOffice (soffice) or pdftotext is not installed";
        m_previousFactory = documentApplicationFactory();
        setDocumentApplicationFactory(
            rtfApplicationFactory([this](const fs::path &file) { shown.push_back(file); }));
    }
    void TearDown() override
    {
        if (m_previousFactory)
            setDocumentApplicationFactory(m_previousFactory);
    }

    // The document just printed, moved to `name` so the next one does not overwrite it.
    fs::path keep(const std::string &name)
    {
        EXPECT_EQ(shown.size(), 1u);
        const fs::path target = folder / name;
        fs::rename(shown.back(), target);
        shown.clear();
        return target;
    }

    void load(AppState &state, const fs::path &program)
    {
        state.ProgramFolder = program;
        state.Stolb = ReadTable(state.programFile(schema::StolbTable));
        state.Konstanty = ReadTable(state.programFile(schema::KonstantyTable));
        state.ColumnSettings = columnSettingsFromStolb(state.Stolb);
        loadPersonnelTables(state);
    }

    fs::path printList(AppState &state, const std::string &name)
    {
        ListContent list = buildEmployeeList(state, effectiveCodeList(state, "-1"));
        printEmployeeList(state, list.cols, list.rows,
                          [&list](int col, int row) -> const std::string & { return list.at(col, row); });
        return keep(name);
    }

    TemporaryFolder folder;
    std::vector<fs::path> shown;

private:
    ApplicationFactory m_previousFactory;
};

int record(const AppState &state, int code)
{
    return nomerstrokipokodu(state.Osnova.Header, state.Osnova.Data, code);
}

TEST_F(Fidelity, DemoDocumentsMatchLibreOffice)
{
    const fs::path run = folder / "run";
    demo::installDemo(VELTOR_DEMO_DIR, run);
    AppState state;
    readConfigIni(run / "config.ini", state);
    load(state, run);
    state.Pechat = ReadTable(state.programFile(schema::PechatTable));
    LoadedTable zhurDok, priem, komand, uvol, otpusk;
    readDatabaseTable(state, schema::ZhurDokTable, zhurDok);
    readDatabaseTable(state, schema::PriemTable, priem);
    readDatabaseTable(state, schema::KomandTable, komand);
    readDatabaseTable(state, schema::UvolTable, uvol);
    readDatabaseTable(state, schema::OtpuskTable, otpusk);
    const OrderTables orders{&zhurDok, &priem, &komand, &uvol, &otpusk};

    std::vector<fs::path> documents;
    const struct {
        const char *templateName;
        int code;
        int orderId;
        const char *file;
    } printed[] = {
        {"т-1.RTF", 28, 3, "hire.doc"},    {"т-5.RTF", 11, 6, "transfer.doc"},
        {"т-6.RTF", 3, 8, "vacation.doc"}, {"т-8.RTF", 26, 5, "dismissal.doc"},
        {"т-9.RTF", 6, 9, "business-trip.doc"},
    };
    for (const auto &order : printed) {
        pechatdok(state, pathFromCp1251(state.TemplatesFolder + cp(order.templateName)), record(state, order.code),
                  orders, order.orderId);
        documents.push_back(keep(order.file));
    }
    // The personal card with its history and family tables, and the certificate.
    state.CurMainRec = record(state, 1);
    printPechatTemplate(state, 1);
    documents.push_back(keep("card.doc"));
    state.CurMainRec = record(state, 2);
    printPechatTemplate(state, 2);
    documents.push_back(keep("certificate.doc"));
    EXPECT_EQ(compare(documents, 0), 0);

    // The list's narrow cells break long words where they must, at the same letters.
    EXPECT_EQ(compare({printList(state, "list.doc")}, 0), 0);
}

// LibreOffice needs a quarter of an hour and more for the list of 10,000 on a busy machine; the
// test prints 2,000 (the layout is the same, row after row). scripts/compare_pdf.py compares
// the full list by hand: print it, run `rtfpdf Perechen.doc Perechen.pdf` and the script.
TEST_F(Fidelity, LongListMatchesLibreOfficeWithinTwoPercentOfPages)
{
    generateDatabase(folder / "generated", 2000, 7);
    AppState state;
    state.MainTablePath = pathToCp1251(folder / "generated" / "database" / "osnova.dbf");
    state.OutputFolder = pathToCp1251(folder.path()) + "/";
    load(state, folder / "generated" / "program");
    const fs::path list = printList(state, "list2000.doc");
    EXPECT_EQ(compare({list}, 2), 0);
}

} // namespace
} // namespace veltor

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
