// The card's documents pop-up: one item per Pechat template, printing for the card's employee
// with the card left open.
#include "CardFixture.h"

#include "documents/TemplatePrinting.h"
#include "printing/WordApi.h"

#include <QMenu>
#include <QProgressBar>

namespace veltor::test {
namespace {

namespace fs = std::filesystem;

class CardCommands : public CardFixture {
protected:
    void SetUp() override
    {
        CardFixture::SetUp();
        m_previous = documentApplicationFactory();
        setDocumentApplicationFactory(rtfApplicationFactory([this](const fs::path &f) { shown.push_back(f); }));
        fs::create_directories(root / "out");
        fs::create_directories(root / "templates");
    }
    void TearDown() override
    {
        setDocumentApplicationFactory(m_previous);
        CardFixture::TearDown();
    }

    // A template naming itself and the employee it was filled for.
    fs::path writeTemplate(const std::string &name, const std::string &title)
    {
        const fs::path path = root / "templates" / name;
        std::ofstream(path, std::ios::binary) << "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}"
                                              << "\\f0 " << title << ": <OSNOVA.KOD>\\par}";
        return path;
    }

    void startWithOutput()
    {
        start();
        state->Pechat = ReadTable(file(schema::PechatTable));
        state->OutputFolder = pathToCp1251(root / "out") + "/";
    }

    static std::string read(const fs::path &file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::vector<fs::path> shown;

private:
    ApplicationFactory m_previous;
};

TEST_F(CardCommands, EmptyTablesGiveEmptyPopUps)
{
    addEmployee(1, "Иванов Иван Иванович");
    // A payroll kind only: no HR order to offer.
    add(schema::TipDokTable, {{"TIP_DOK", "1"}, {"NAZ_DOK", "Начисление"}, {"TIP_UCH", "z"}});
    startWithOutput();
    open(1);

    card->Button1->click();
    EXPECT_TRUE(card->PopupMenu->actions().isEmpty());
    card->PopupMenu->hide();
    card->Button5->click();
    EXPECT_TRUE(card->PopupMenu->actions().isEmpty());
    card->PopupMenu->hide();
    EXPECT_TRUE(messages().isEmpty()) << messages().join("\n").toStdString();
    EXPECT_TRUE(card->isVisible());
}

TEST_F(CardCommands, TemplateItemPrintsItsRecordForTheCardsEmployeeAndTheCardStaysOpen)
{
    addEmployee(1, "Иванов Иван Иванович");
    addEmployee(2, "Петрова Анна Сергеевна");
    add(schema::PechatTable, {{"NOM", "1"}, {"SHABLON", "Справка с места работы"},
                              {"FAIL", pathToCp1251(writeTemplate("spravka.rtf", "SPRAVKA"))}});
    add(schema::PechatTable, {{"NOM", "2"}, {"SHABLON", "Характеристика"},
                              {"FAIL", pathToCp1251(writeTemplate("harakt.rtf", "HARAKT"))}});
    startWithOutput();
    open(2);

    // Pressed twice: the pop-up is built anew, never doubled.
    card->Button1->click();
    card->PopupMenu->hide();
    card->Button1->click();
    const QList<QAction *> items = card->PopupMenu->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text().toStdString(), "Справка с места работы");
    EXPECT_EQ(items[0]->data().toInt(), 1);
    EXPECT_EQ(items[1]->data().toInt(), 2);
    // The pop-up hangs from the button's lower left corner.
    EXPECT_EQ(card->PopupMenu->pos(), card->Button1->mapToGlobal(QPoint(0, card->Button1->height())));
    card->PopupMenu->hide();

    // The list's current row moved to the other employee while the card stayed open.
    const CurrentRecords other = currentRecordsOf(*state, "1");
    state->CurMainRec = other.main;
    state->CurPassportRec = other.passport;
    items[0]->trigger();

    ASSERT_TRUE(messages().isEmpty()) << messages().join("\n").toStdString();
    ASSERT_EQ(shown.size(), 1u);
    const fs::path output = shown[0];
    EXPECT_EQ(output.parent_path(), root / "out");
    EXPECT_EQ(pathToUtf8(output.filename()).rfind("Петрова Анна Сергеевна ", 0), 0u) << output;
    const std::string document = read(output);
    EXPECT_NE(document.find("SPRAVKA: 2"), std::string::npos) << document;
    EXPECT_EQ(document.find("HARAKT"), std::string::npos);
    EXPECT_TRUE(card->isVisible());
    EXPECT_TRUE(card->ProgressBarPech->isHidden());
    // The list's own current employee is left as it was.
    EXPECT_EQ(state->CurMainRec, other.main);
    EXPECT_EQ(state->CurPassportRec, other.passport);

    // The main window's documents menu prints for the list's current employee, not the card's.
    FormLinks links = form->links();
    links.printTemplate = [this](int tag) { card->ButPechatClick(tag); };
    form->setLinks(links);
    form->N5Show();
    QAction *harakt = form->findChild<QAction *>("N5_template2");
    ASSERT_NE(harakt, nullptr);
    harakt->trigger();
    ASSERT_TRUE(messages().isEmpty()) << messages().join("\n").toStdString();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(pathToUtf8(shown[1].filename()).rfind("Иванов Иван Иванович ", 0), 0u) << shown[1];
    EXPECT_NE(read(shown[1]).find("HARAKT: 1"), std::string::npos);
}

} // namespace
} // namespace veltor::test
