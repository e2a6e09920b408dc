// The main window used from the keyboard, and the interface in Russian whatever the machine's
// language.
#include "AppFixture.h"
#include "support/MnemonicCheck.h"

#include "app/Language.h"
#include "app/StringGrid.h"

#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QAccessible>
#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace veltor::test {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

class MainWindowKeyboard : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        addColumn("ФИО", "FIO", "1");
        for (int code : {1, 2, 3})
            addEmployee(code, "Сотрудник " + std::to_string(code));
        add(schema::PechatTable, {{"NOM", "1"}, {"SHABLON", "Справка Н&К"}, {"FAIL", "/t/a.rtf"}});
        add(schema::PechatTable, {{"NOM", "2"}, {"SHABLON", "Справка"}, {"FAIL", "/t/b.rtf"}});
        writeStandardConfig();
    }

    TForm1 &startShown()
    {
        TForm1 &w = start();
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        return w;
    }
};

TEST_F(MainWindowKeyboard, StartsInTheListOnTheFirstRowWithNobodyCurrent)
{
    // The keyboard used to start on the first tool-bar button.
    TForm1 &w = startShown();
    EXPECT_EQ(QApplication::focusWidget(), w.StringGrid1);
    EXPECT_EQ(w.StringGrid1->currentIndex().row() + w.StringGrid1->FixedRows(), 1);
    EXPECT_EQ(state->CurMainRec, 0);
    EXPECT_EQ(w.currentCode(), "");

    QTest::keyClick(w.StringGrid1, Qt::Key_Down);
    EXPECT_EQ(w.StringGrid1->Row(), 2);
    EXPECT_EQ(state->CurMainRec, 2);
    EXPECT_EQ(w.StatusPanel0->text(), u("Строка № 2 из 3"));
}

TEST_F(MainWindowKeyboard, TabGoesFromTheListToThePanelWithoutToolBarButtons)
{
    TForm1 &w = startShown();
    QList<QWidget *> chain;
    for (QWidget *next = w.StringGrid1->nextInFocusChain(); next != w.StringGrid1;
         next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(&w) && next->isEnabled())
            chain << next;
    }
    for (QWidget *widget : chain)
        EXPECT_FALSE(qobject_cast<QToolButton *>(widget) && w.ToolBar1->isAncestorOf(widget))
            << widget->objectName().toStdString();
    EXPECT_TRUE(chain.contains(static_cast<QWidget *>(w.Button2)));
    // The tool-bar's commands stay reachable: each button shares its menu item's action.
    EXPECT_EQ(w.SpeedButton9->defaultAction(), w.N1_9);
}

TEST_F(MainWindowKeyboard, MenusOpenWithOwnLettersAndF10AndAreAnnouncedByTheirCaptions)
{
    TForm1 &w = startShown();
    const QStringList captions{u("Перечень"), u("Кадровые приказы"), u("Документы по зарплате"),
                               u("Документы и отчеты"), u("Настройки"), u("Помощь"), u("Выход")};
    const QList<QAction *> items = w.menuBar()->actions();
    ASSERT_EQ(items.size(), captions.size());
    QSet<QString> letters;
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(w.menuBar());
    ASSERT_NE(bar, nullptr);
    for (int i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(captions[i].toStdString());
        const QString mnemonic = QKeySequence::mnemonic(items[i]->text()).toString();
        EXPECT_FALSE(mnemonic.isEmpty());
        EXPECT_FALSE(letters.contains(mnemonic)) << mnemonic.toStdString();
        letters << mnemonic;
        if (items[i]->menu()) {
            EXPECT_EQ(items[i]->menu()->accessibleName(), captions[i]);
        }
    }
    QStringList announced;
    for (int i = 0; i < bar->childCount(); ++i)
        announced << bar->child(i)->text(QAccessible::Name);
    for (const QString &caption : captions)
        EXPECT_TRUE(announced.contains(caption)) << caption.toStdString();

    // Inside each menu, every item has a letter of its own, a template named with "&" included.
    w.N5->aboutToShow();
    for (QMenu *menu : w.menuBar()->findChildren<QMenu *>()) {
        QStringList texts;
        for (QAction *item : menu->actions())
            if (!item->isSeparator())
                texts << item->text();
        EXPECT_EQ(mnemonicFaults({}, texts).join(QLatin1Char('\n')).toStdString(), "") << menu->title().toStdString();
    }
    EXPECT_EQ(w.N5->actions().at(2)->text().remove('&'), u("Справка НК")); // shown as "Справка Н&К"
    EXPECT_EQ(QKeySequence::mnemonic(w.N5->actions().at(2)->text()).toString(), u("Alt+С"));
    QTest::keyClick(&w, Qt::Key_F10);
    EXPECT_EQ(w.menuBar()->activeAction(), w.N1->menuAction());
    QTRY_VERIFY(w.N1->isVisible());
    w.N1->hide();
}

// No button had an underlined letter, and Tab stopped on the four empty preview labels.
TEST_F(MainWindowKeyboard, EveryButtonHasALetterOfItsOwnAndEmptyPreviewLabelsAreNoTabStops)
{
    TForm1 &w = startShown();
    // The style the tool bar takes at a width (resize events come from the event loop).
    auto styleAt = [&](int width, Qt::ToolButtonStyle expected) {
        w.resize(width, 700);
        static_cast<void>(QTest::qWaitFor([&] { return w.SpeedButton10->toolButtonStyle() == expected; }, 1000));
        return w.SpeedButton10->toolButtonStyle();
    };
    EXPECT_EQ(styleAt(1366, Qt::ToolButtonTextBesideIcon), Qt::ToolButtonTextBesideIcon);
    QStringList menus;
    for (QAction *item : w.menuBar()->actions())
        if (item->isVisible())
            menus << item->text();
    QList<QWidget *> buttons;
    for (QAbstractButton *b : w.findChildren<QAbstractButton *>())
        if (b->isVisibleTo(&w) && b != w.SpeedButton14) // "->" has no letter to underline
            buttons << b;
    ASSERT_GE(buttons.size(), 13);
    EXPECT_EQ(mnemonicFaults(buttons, menus).join(QLatin1Char('\n')).toStdString(), "");
    // The tool bar's texts stand beside the icons while they fit (above); a narrow window shows
    // the icons alone. Tooltips and names give the whole caption.
    EXPECT_EQ(styleAt(500, Qt::ToolButtonIconOnly), Qt::ToolButtonIconOnly);
    EXPECT_FALSE(w.SpeedButton10->icon().isNull());
    EXPECT_EQ(w.SpeedButton10->accessibleName(), u("Печать перечня сотрудников"));
    EXPECT_EQ(w.SpeedButton10->toolTip(), w.SpeedButton10->accessibleName());

    for (QLabel *label : {w.StaticText1, w.StaticText2, w.StaticText3, w.StaticText4}) {
        EXPECT_TRUE(label->text().isEmpty());
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus) << label->objectName().toStdString();
    }
    QTest::keyClick(w.StringGrid1, Qt::Key_Down);
    EXPECT_EQ(w.StaticText1->focusPolicy(), Qt::TabFocus);
}

TEST_F(MainWindowKeyboard, ClosingAnotherWindowReturnsTheKeyboardToTheCurrentEmployee)
{
    TForm1 &w = startShown();
    QWidget card, tools;
    w.setLinks({&card, &tools, nullptr, {}, {}});
    w.StringGrid1->setRow(2);
    for (QWidget *other : {&card, &tools}) {
        SCOPED_TRACE(other == &card ? "card" : "tools");
        w.StringGrid1->setRowSilently(3, false); // the keyboard wandered off meanwhile
        other->show();
        other->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(other));
        other->hide();
        QTRY_COMPARE(QApplication::focusWidget(), w.StringGrid1);
        EXPECT_EQ(w.StringGrid1->Row(), 2);
        EXPECT_EQ(state->CurMainRec, 2);
    }
}

TEST(RussianInterface, QuestionsAnswerDaAndNetUnderTheProgramsName)
{
    const QLocale before;
    // Qt's own texts were English: "Yes"/"No" on every question, month names of the machine.
    EXPECT_TRUE(useRussianInterface()) << "qt6-translations-l10n is not installed";
    const auto box = Dialogs::box(Dialogs::Kind::Question, u("Удалить?"));
    EXPECT_EQ(box->windowTitle(), u("Вельтор"));
    EXPECT_EQ(box->button(QMessageBox::Yes)->text().remove('&'), u("Да"));
    EXPECT_EQ(box->button(QMessageBox::No)->text().remove('&'), u("Нет"));
    EXPECT_EQ(Dialogs::box(Dialogs::Kind::Error, u("Ошибка"))->windowTitle(), u("Вельтор"));
    // Every answer is reachable by its own letter, "OK" too, which Qt's translation leaves bare.
    EXPECT_EQ(QKeySequence::mnemonic(box->button(QMessageBox::Yes)->text()), QKeySequence(u("Alt+Д")));
    EXPECT_EQ(QKeySequence::mnemonic(box->button(QMessageBox::No)->text()), QKeySequence(u("Alt+Н")));
    const auto told = Dialogs::box(Dialogs::Kind::Message, u("Сохранено"));
    EXPECT_FALSE(QKeySequence::mnemonic(told->button(QMessageBox::Ok)->text()).isEmpty())
        << told->button(QMessageBox::Ok)->text().toStdString();

    QDateEdit picker;
    picker.setCalendarPopup(true);
    EXPECT_EQ(picker.calendarWidget()->firstDayOfWeek(), Qt::Monday);
    EXPECT_EQ(picker.locale().standaloneMonthName(3), u("март"));
    // The file dialogs' type column said "Folder": Qt's Russian translation lacks it.
    EXPECT_EQ(QAbstractFileIconProvider().type(QFileInfo(QDir::tempPath())), u("Папка"));
    QLocale::setDefault(before);
}

} // namespace
} // namespace veltor::test
