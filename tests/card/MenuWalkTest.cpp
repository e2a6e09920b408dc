// Every menu item and tool-bar button of the main window, walked on the demo database with the
// four windows linked as the program links them: each one with an action does something that
// can be seen, and none ends in an error message.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "DemoInstall.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "card/MainPage.h"
#include "card/Unit2.h"
#include "listtools/SpravPanel.h"
#include "listtools/Unit3.h"
#include "orders/Unit4.h"
#include "documents/TemplatePrinting.h"
#include "printing/WordApi.h"
#include "storage/DBFUnit.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"

namespace veltor::test {
namespace {

namespace fs = std::filesystem;

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

class MenuWalk : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        run = fs::path(m_temp.path().toStdString()) / "run";
        demo::installDemo(VELTOR_DEMO_DIR, run);
        m_previous = documentApplicationFactory();
        setDocumentApplicationFactory(rtfApplicationFactory([this](const fs::path &f) { shown.push_back(f); }));
        Dialogs::setTestMode(true);
        Dialogs::clearRecorded();

        state.ProgramFolder = run;
        form1 = std::make_unique<TForm1>(state);
        form2 = std::make_unique<TForm2>(state, *form1);
        form3 = std::make_unique<TForm3>(state, *form1);
        form4 = std::make_unique<TForm4>(state, *form1);
        FormLinks links;
        links.Form2 = form2.get();
        links.Form3 = form3.get();
        links.Form4 = form4.get();
        links.printTemplate = [this](int tag) { form2->ButPechatClick(tag); };
        links.choosePosition = [this](std::function<void(int)> picked) { form3->choosePosition(std::move(picked)); };
        form1->setLinks(links);
        form1->FormCreate();
        form1->show();
        ASSERT_TRUE(Dialogs::shownMessages().isEmpty()) << Dialogs::shownMessages().join("\n").toStdString();
        form1->StringGrid1->setRow(3);
    }

    void TearDown() override
    {
        setDocumentApplicationFactory(m_previous);
        Dialogs::clearRecorded();
        form4.reset();
        form3.reset();
        form2.reset();
        form1.reset();
    }

    fs::path run;
    AppState state;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
    std::vector<fs::path> shown;

private:
    QTemporaryDir m_temp;
    ApplicationFactory m_previous;
};

TEST_F(MenuWalk, EveryCommandDoesWhatItsCaptionSays)
{
    TForm1 &w = *form1;
    // Each check sees the command's effect; the commands that ask are declined.
    struct Step {
        QAction *action;
        std::function<bool()> happened;
        std::function<void()> before = {};
    };
    auto asked = [](const char *question) {
        return [question] { return Dialogs::askedQuestions().contains(u(question)); };
    };
    auto tools = [&](const char *caption) {
        return [this, caption] { return form3->isVisible() && form3->windowTitle().startsWith(u(caption)); };
    };
    const int employees = state.Osnova.Header.RecordCount;
    size_t printedBefore = 0;
    const QString noFaults = u("Проверка данных: ошибок не найдено");
    const std::vector<Step> steps = {
        {w.N1_10, [&] { return form2->isVisible(); }},
        {w.N1_4, [&] {
             const bool added = state.Osnova.Header.RecordCount == employees + 1 && form2->isVisible()
                                && form2->windowTitle() == u("Карточка нового сотрудника");
             form2->Button3Click(); // cancelled: the new employee goes again
             return added && state.Osnova.Header.RecordCount == employees;
         }},
        {w.N1_5, [&] {
             const bool all = w.windowTitle() == u("Вельтор — Перечень сотрудников");
             w.StringGrid1SelectCell(1, 2); // someone to delete next
             return all;
         }},
        {w.N1_9, asked("Вы уверены, что хотите удалить эту запись??? Востановить её не удасться")},
        {w.N6_1, [&] { return form4->isVisible() && form4->windowTitle() == u("Кадровый приказ"); }},
        {w.N6_4, [&] { return form4->isVisible() && form4->windowTitle() == u("Журнал кадровых приказов"); }},
        {w.N5_1, [&] { return !shown.empty() && shown.back().filename() == "Perechen.doc" && fs::exists(shown.back()); }},
        {w.N2_9, [&] { return !w.previewVisible(); }},
        {w.N2_5, asked("Вы хотите произвести архивирование")},
        {w.N2_2, asked("Вы уверены, что хотите перевести базу в WIN кодировку")},
        {w.N3_2, [&] { return Dialogs::openedFiles().size() == 1 && Dialogs::openedFiles()[0].endsWith(u("Help.doc")); }},
        {w.N1_11, [&] { return fs::file_size(run / "perechen.xlsx") > 0; },
         [&] { Dialogs::queuePath(QString::fromStdString((run / "perechen.xlsx").string())); }},
        {w.N1_12, [&] { return (shown.size() == printedBefore + 1 && fs::exists(shown.back()))
                               || Dialogs::shownMessages().contains(noFaults); },
         [&] { printedBefore = shown.size(); }},
        {w.N2_11, [] { return Dialogs::askedQuestions().size() == 1
                              && Dialogs::askedQuestions()[0].startsWith(u("Восстановить таблицы из архива")); },
         [&] { Dialogs::queuePath(QString::fromStdString((run / "database" / "arhiv_2025_03_6.zip").string())); }},
        {w.N1_1, tools("Поиск")},
        {w.N1_2, tools("Сортировка")},
        {w.N1_3, tools("Фильтр")},
        {w.N1_8, tools("Общая обработка")},
        {w.N2_1, tools("Параметры программы")},
        {w.N2_3, tools("Справочник отделов")},
        {w.N2_4, tools("Справочник должностей")},
        {w.N2_7, tools("Подбор колонок")},
        {w.N3_1, tools("О программе")},
        // The working and the dismissed: the list narrows to a part of the employees.
        {w.N1_6, [&] { return state.CurrentCodeList != "-1" && w.StringGrid1->RowCount() - 1 < employees; }},
        {w.N1_7, [&] { return state.CurrentCodeList != "-1" && w.StringGrid1->RowCount() - 1 < employees; }},
    };
    // Every item of the menus is walked here or has no action (exit is tested on its own).
    QStringList accounted = {"N6_2", "N6_3", "N7_1", "N7_2", "N7_3", "N2_6", "N4"};
    for (const Step &step : steps)
        accounted << step.action->objectName();
    for (QMenu *menu : {w.N1, w.N6, w.N7, w.N5, w.N2, w.N2_10, w.N2_8, w.N3})
        for (QAction *a : menu->actions())
            if (!a->isSeparator() && !a->menu())
                EXPECT_TRUE(accounted.contains(a->objectName())) << a->objectName().toStdString();

    for (const Step &step : steps) {
        SCOPED_TRACE(step.action->objectName().toStdString());
        Dialogs::clearRecorded();
        form2->hide();
        form3->hide();
        form4->hide();
        if (step.before)
            step.before();
        step.action->trigger();
        EXPECT_TRUE(step.happened());
        for (const QString &m : Dialogs::shownMessages())
            EXPECT_TRUE(m == noFaults)
                << m.toStdString();
    }

    // The documents menu's template items print for the current employee. A cancelled new
    // employee left none: the user is asked to pick one instead of getting a conversion error.
    w.N5Show();
    QAction *first = w.findChild<QAction *>("N5_template1");
    ASSERT_NE(first, nullptr);
    if (state.CurMainRec <= 0 && w.StringGrid1->Row() < 1) {
        Dialogs::clearRecorded();
        first->trigger();
        EXPECT_EQ(Dialogs::shownMessages(), QStringList{u("Выберите сотрудника в перечне.")});
    }
    w.StringGrid1->setRow(2);
    int templates = 0;
    for (QAction *item : w.N5->actions()) {
        if (!item->objectName().startsWith("N5_template"))
            continue;
        SCOPED_TRACE(item->text().toStdString());
        ++templates;
        const size_t before = shown.size();
        Dialogs::clearRecorded();
        item->trigger();
        EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << Dialogs::shownMessages().join("\n").toStdString();
        ASSERT_EQ(shown.size(), before + 1);
        EXPECT_TRUE(fs::exists(shown.back()));
    }
    EXPECT_EQ(templates, state.Pechat.Header.RecordCount);
    EXPECT_GT(templates, 0);

    // Tool-bar buttons carry no logic: each triggers a menu item.
    const QList<QAction *> menuActions = w.menuBar()->findChildren<QAction *>();
    for (QToolButton *b : w.ToolBar1->findChildren<QToolButton *>()) {
        if (!b->defaultAction())
            continue;
        SCOPED_TRACE(b->objectName().toStdString());
        QSignalSpy spy(b->defaultAction(), &QAction::triggered);
        EXPECT_FALSE(b->defaultAction()->objectName().isEmpty());
        EXPECT_TRUE(w.findChild<QAction *>(b->defaultAction()->objectName()) == b->defaultAction());
        Dialogs::clearRecorded();
        form2->hide();
        b->click();
        EXPECT_EQ(spy.count(), 1);
        form2->hide();
        form3->hide();
    }

    // Exit closes the main window and every other window.
    w.N4->trigger();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MenuWalk, PositionChosenOnTheCardReachesTheMainRecordAndTheHistory)
{
    state.PositionListMode = 0;
    form1->StringGrid1SelectCell(1, 3);
    form1->N1_10->trigger();
    ASSERT_TRUE(form2->isVisible());
    const std::string code = form2->shownCode();
    const int dolzhRecord = 2;
    const std::string number = GetField(state.Dolzh.Header, state.Dolzh.Data, dolzhRecord,
                                        FieldIndex(state.Dolzh.Header, schema::NOM));
    const std::string name = GetField(state.Dolzh.Header, state.Dolzh.Data, dolzhRecord,
                                      FieldIndex(state.Dolzh.Header, schema::DOLZH));
    const int historyBefore = state.Trud.Header.RecordCount;

    form2->OsnovnList->Button4->click();
    ASSERT_TRUE(form3->isVisible());
    EXPECT_EQ(form3->windowTitle(), u("Выберите должность сотрудника"));
    EXPECT_TRUE(form3->PanelSprav->Button10->isHidden());
    EXPECT_TRUE(form3->PanelSprav->SpeedButton1->isHidden());
    // Meanwhile the list's current row moves to another employee: the card's own one changes.
    form1->StringGrid1SelectCell(1, 1);
    form3->PanelSprav->StringGrid1->setRow(dolzhRecord);
    form3->PanelSprav->StringGrid1DblClick();
    EXPECT_FALSE(form3->isVisible());
    EXPECT_EQ(form2->OsnovnList->Edit2->text().toStdString(), cp1251ToUtf8(name));

    form2->Button2->click();
    ASSERT_FALSE(form2->isVisible()) << Dialogs::shownMessages().join("\n").toStdString();
    const LoadedTable osnova = ReadTable(state.databaseFile(schema::OsnovaTable));
    const int32_t kod = std::stoi(code);
    const int record = nomerstrokipokodu(osnova.Header, osnova.Data, kod);
    ASSERT_GT(record, 0);
    EXPECT_EQ(GetField(osnova.Header, osnova.Data, record, FieldIndex(osnova.Header, schema::DOLZH)), number);
    const LoadedTable trud = ReadTable(state.databaseFile(schema::TrudTable));
    ASSERT_EQ(trud.Header.RecordCount, historyBefore + 1) << "the change of position made no history record";
    EXPECT_EQ(GetField(trud.Header, trud.Data, trud.Header.RecordCount, FieldIndex(trud.Header, schema::KOD)), code);
    EXPECT_EQ(GetField(trud.Header, trud.Data, trud.Header.RecordCount, FieldIndex(trud.Header, schema::DOLZH)), number);
}

} // namespace
} // namespace veltor::test
