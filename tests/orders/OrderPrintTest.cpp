// Printing from the order form: the question to save first, the kind's template, and the six
// kinds printed with the shipped templates from the demo database and read back by LibreOffice.
#include "OrdersFixture.h"

#include "DemoInstall.h"
#include "documents/TemplatePrinting.h"

#include <QProcess>
#include <QStandardPaths>
#include <regex>

namespace veltor::test {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Documents are filled by the RTF engine; "showing" one records it instead of opening it.
class PrintingOrders : public OrdersFixture {
protected:
    void SetUp() override
    {
        OrdersFixture::SetUp();
        m_previous = documentApplicationFactory();
        setDocumentApplicationFactory(rtfApplicationFactory([this](const fs::path &file) { shown.push_back(file); }));
    }
    void TearDown() override
    {
        setDocumentApplicationFactory(m_previous);
        OrdersFixture::TearDown();
    }

    // Templates that show the order's number and date, and the folders for them.
    void useTemplates()
    {
        templates = root / "templates";
        output = root / "output";
        fs::create_directories(templates);
        fs::create_directories(output);
        for (const char *name : {"т-1.RTF", "т-5.RTF", "т-8.RTF"}) {
            std::ofstream out(templates / fs::path(std::u8string(reinterpret_cast<const char8_t *>(name))),
                              std::ios::binary);
            out << "{\\rtf1\\ansi\\ansicpg1251 " << name << " N=<ZHURDOK.NOM_DOK> D=<ZHURDOK.DATA_DOK>\\par}";
        }
        state->TemplatesFolder = pathToCp1251(templates) + "/";
        state->OutputFolder = pathToCp1251(output) + "/";
    }

    std::vector<fs::path> shown;
    fs::path templates, output;

private:
    ApplicationFactory m_previous;
};

TEST_F(PrintingOrders, AnUnsavedOrderAsksOnceAndNoNeitherSavesNorPrints)
{
    addEmployee(1, "Иванов Иван Иванович");
    start();
    useTemplates();
    newOrder(Transfer, 1);
    f().DokumEdit1->setText(QStringLiteral("17"));

    f().DokumButPech->click(); // answered No
    EXPECT_EQ(Dialogs::askedQuestions().size(), 1);
    EXPECT_EQ(utf8(Dialogs::askedQuestions().value(0)), "Документ предварительно должен быть сохранен. Сохранить?");
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(disk(schema::ZhurDokTable).Header.RecordCount, 0);

    Dialogs::queueAnswer(true);
    f().DokumButPech->click();
    EXPECT_EQ(Dialogs::askedQuestions().size(), 2);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(disk(schema::ZhurDokTable).Header.RecordCount, 1);
    EXPECT_EQ(orders->book().ZhurDok.Header.RecordCount, 1) << "the order is in the journal";
    EXPECT_NE(readAll(shown[0]).find("т-5.RTF N=17"), std::string::npos) << "transfer prints т-5";

    f().DokumButPech->click();
    EXPECT_EQ(Dialogs::askedQuestions().size(), 2) << "a saved order asked again";
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(disk(schema::TrudTable).Header.RecordCount, 1) << "printing twice added a history record";
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << utf8(Dialogs::shownMessages().join("\n"));
}

TEST_F(PrintingOrders, ReprintingAnOlderOrderFromTheJournalPrintsThatOrder)
{
    addEmployee(1, "Иванов Иван Иванович");
    start();
    useTemplates();
    newOrder(Hire, 1);
    f().DokumEdit1->setText(QStringLiteral("5"));
    setPickerDate(*f().DokumData, {2023, 2, 1});
    f().DokumButOK->click();
    newOrder(SalaryChange, 1);
    f().DokumEdit1->setText(QStringLiteral("9"));
    setPickerDate(*f().DokumData, {2024, 7, 1});
    f().DokumButOK->click();

    form->N6_4->trigger();
    orders->ZhurPanel->ZhurGrid->setRow(1);
    orders->ZhurGridDblClick();
    f().DokumButPech->click();
    EXPECT_TRUE(Dialogs::askedQuestions().isEmpty());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(readAll(shown[0]).find("т-1.RTF N=5 D=01.02.2023"), std::string::npos) << readAll(shown[0]);
}

// The six kinds entered through the form on the demo database, printed with the shipped
// templates; LibreOffice, reading the documents on its own, finds every value in its place.
TEST(OrdersOnTheDemo, EveryKindPrintsWithItsValuesInPlace)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    QTemporaryDir temp;
    const fs::path run = fs::path(temp.path().toStdString()) / "run";
    demo::installDemo(VELTOR_DEMO_DIR, run);
    std::vector<fs::path> shown;
    const ApplicationFactory previous = documentApplicationFactory();
    setDocumentApplicationFactory(rtfApplicationFactory([&](const fs::path &file) { shown.push_back(file); }));
    Dialogs::clearRecorded();

    AppState state;
    state.ProgramFolder = run;
    TForm1 main(state);
    TForm4 orders(state, main);
    FormLinks links;
    links.Form4 = &orders;
    main.setLinks(links);
    main.FormCreate();
    TOrderFormPanel &f = *orders.DokumPanel;
    auto choose = [](QComboBox *c, int i) {
        c->setCurrentIndex(i);
        emit c->activated(i);
    };
    const fs::path documents = run / "kept";
    fs::create_directories(documents);

    std::vector<std::vector<std::string>> expected(OrderKindCount);
    for (int kind = 0; kind < OrderKindCount; ++kind) {
        const std::string n = std::to_string(kind + 1);
        main.N6_1->trigger();
        choose(f.DokumComboTipOper, kind);
        choose(f.DokumComboSotr, 2 + kind);
        f.DokumEdit1->setText(QString::number(900 + kind));
        setPickerDate(*f.DokumData, {2025, 6, 10 + kind});
        setPickerDate(*f.DokumDataNach, {2025, 7, 1 + kind});
        f.DokumCheckBoxKonca->setChecked(true);
        setPickerDate(*f.DokumDataKonc, {2025, 8, 20 + kind});
        f.DokumEdit2->setText(QString::fromUtf8("Основание " + n));
        f.DokumEdit4->setText(QString::fromUtf8("Примечание " + n));
        std::vector<std::string> &v = expected[size_t(kind)];
        v = {std::to_string(900 + kind), std::to_string(10 + kind) + ".06.2025", "0" + n + ".07.2025",
             f.DokumComboSotr->currentText().toStdString()};
        if (usesPriem(kind)) {
            choose(f.DokumComboOtdel, 1);
            choose(f.DokumComboDolzh, 2);
            f.DokumEdit3->setText(QString::number(41000 + kind));
            f.DokumEdit12->setText(QString::fromUtf8("ТД-" + n));
            v.insert(v.end(), {std::to_string(41000 + kind), "Примечание " + n,
                               f.DokumComboOtdel->currentText().toStdString(),
                               f.DokumComboDolzh->currentText().toStdString()});
            if (kind == Hire)
                v.insert(v.end(), {"ТД-" + n, "20.08.2025"});
            else
                v.push_back("Основание " + n);
        } else if (kind == Dismissal) {
            f.DokumEdit5->setText(QStringLiteral("13"));
            f.DokumEdit6->setText(QStringLiteral("21"));
            v.insert(v.end(), {"13", "21", "Примечание " + n, "Основание " + n});
        } else if (kind == Vacation) {
            f.DokumEdit7->setText(QStringLiteral("31"));
            f.DokumEdit8->setText(QStringLiteral("3"));
            setPickerDate(*f.DokumData1, {2024, 2, 3});
            setPickerDate(*f.DokumData2, {2025, 2, 2});
            // The end follows from the start (05.07.2025) and the 31 calendar days.
            v.insert(v.end(), {"31", "03.02.2024", "02.02.2025", "Примечание " + n, "Основание " + n, "04.08.2025"});
        } else {
            f.DokumEdit9->setText(QString::fromUtf8("Тверь"));
            f.DokumEdit10->setText(QString::fromUtf8("АО «Кварц»"));
            f.DokumEdit11->setText(QString::fromUtf8("наладка линии"));
            v.insert(v.end(), {"Тверь", "АО «Кварц»", "наладка линии", "Примечание " + n, "25.08.2025"});
        }
        Dialogs::queueAnswer(true);
        f.DokumButPech->click();
        ASSERT_EQ(shown.size(), 1u) << "kind " << kind << ": " << Dialogs::shownMessages().join("\n").toStdString();
        fs::rename(shown[0], documents / ("kind" + n + ".doc"));
        shown.clear();
        orders.close();
    }
    setDocumentApplicationFactory(previous);

    const fs::path txt = run / "txt";
    QStringList arguments = {QStringLiteral("-env:UserInstallation=file://") + pathToQString(run / "profile"),
                             QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                             QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"), pathToQString(txt)};
    for (int kind = 0; kind < OrderKindCount; ++kind)
        arguments << pathToQString(documents / ("kind" + std::to_string(kind + 1) + ".doc"));
    QProcess process;
    process.start(soffice, arguments);
    ASSERT_TRUE(process.waitForFinished(240000)) << "soffice did not finish";
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const std::regex placeholder("<[A-Z][A-Z0-9_.]*>");
    for (int kind = 0; kind < OrderKindCount; ++kind) {
        const std::string text = readAll(txt / ("kind" + std::to_string(kind + 1) + ".txt"));
        ASSERT_FALSE(text.empty()) << "kind " << kind;
        std::smatch left;
        EXPECT_FALSE(std::regex_search(text, left, placeholder)) << "kind " << kind << ": " << left.str();
        for (const std::string &value : expected[size_t(kind)])
            EXPECT_NE(text.find(value), std::string::npos) << "kind " << kind << ": «" << value << "» missing from\n" << text;
    }
}

} // namespace
} // namespace veltor::test
