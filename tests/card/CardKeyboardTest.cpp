// The card from the keyboard and to assistive technology: the Tab order of every page, Enter in
// a one-line input, the window's accessible role, and a whole session without a mouse.
#include "CardFixture.h"
#include "support/MnemonicCheck.h"

#include "app/StringGrid.h"
#include "card/EducationEditor.h"
#include "card/ExtraPage.h"
#include "card/FamilyEditor.h"
#include "card/HrPage.h"
#include "card/MainPage.h"
#include "card/ParamsPage.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace veltor::test {
namespace {

QString describe(QWidget *w, QWidget *top)
{
    const QPoint p = w->mapTo(top, QPoint(0, 0));
    QString name = w->accessibleName();
    if (auto *b = qobject_cast<QAbstractButton *>(w); b && name.isEmpty())
        name = b->text();
    return QStringLiteral("%1 \"%2\" (%3,%4 %5x%6)")
        .arg(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName(),
             name)
        .arg(p.x())
        .arg(p.y())
        .arg(w->width())
        .arg(w->height());
}

class CardKeyboard : public CardFixture {
protected:
    void SetUp() override
    {
        CardFixture::SetUp();
        add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Бухгалтерия"}});
        add(schema::DolzhTable, {{"NOM", "4"}, {"DOLZH", "Кладовщик"}});
        addEmployee(1, "Иванов Иван Иванович", {{"OTDEL", "1"}, {"DOLZH", "4"}, {"OKLAD", "5000"}});
        addHistory(1, 1, {{"OTDEL", "1"}, {"DOLZH", "4"}});
        addDopolnParameter("Хобби");
    }

    // The widgets Tab visits, from the page's tab bar round to it again.
    std::vector<QWidget *> tabChain()
    {
        QWidget *start = card->PageControl1->tabBar();
        start->setFocus(Qt::TabFocusReason);
        std::vector<QWidget *> chain;
        for (int i = 0; i < 300; ++i) {
            QWidget *focus = QApplication::focusWidget();
            if (!focus)
                break;
            QTest::keyClick(focus, Qt::Key_Tab);
            QWidget *next = QApplication::focusWidget();
            if (next == start)
                break;
            if (chain.empty() || chain.back() != next)
                chain.push_back(next);
        }
        return chain;
    }
};

QRect rectIn(QWidget *w, QWidget *top) { return QRect(w->mapTo(top, QPoint(0, 0)), w->size()); }

// Tab order as the eye reads: along a line to the right, then down to the next line. A column
// standing to the right of a block (the buttons beside a list, the choices beside them) may
// start above the widget Tab leaves, but not above the line where that block began.
void expectReadingOrder(const std::vector<QWidget *> &chain, QWidget *top, const char *state)
{
    constexpr int sameLine = 8;
    int blockTop = chain.empty() ? 0 : rectIn(chain.front(), top).top();
    for (size_t i = 1; i < chain.size(); ++i) {
        const QRect a = rectIn(chain[i - 1], top);
        const QRect b = rectIn(chain[i], top);
        const QString step = describe(chain[i - 1], top) + " -> " + describe(chain[i], top);
        if (b.left() < a.left() && b.top() > a.top() + sameLine)
            blockTop = b.top();
        if (std::abs(b.top() - a.top()) <= sameLine)
            EXPECT_GT(b.left(), a.left()) << state << ": " << qPrintable(step);
        else if (b.top() < a.top())
            EXPECT_TRUE(b.left() >= a.right() - sameLine && b.top() >= blockTop - sameLine)
                << state << ": " << qPrintable(step);
    }
}

QStringList namesOf(const std::vector<QWidget *> &chain)
{
    QStringList names;
    for (QWidget *w : chain)
        names.push_back(w->objectName());
    return names;
}

// Tab used to reach the photo after the sex buttons, the name forms and the history after
// everything else on their pages, and "Дата изменений" after the last button of the row.
TEST_F(CardKeyboard, TabFollowsWhatTheEyeSeesOnEveryPage)
{
    start();
    open(1);
    card->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
    const QStringList bottomRow = {"Button2", "Button3", "SegodnjaData", "Button1", "Button5"};
    auto check = [&](int page, const char *state) -> QStringList {
        card->PageControl1->setCurrentIndex(page);
        std::vector<QWidget *> chain = tabChain();
        if (chain.size() <= bottomRow.size()) {
            ADD_FAILURE() << state << ": Tab reaches only " << chain.size() << " controls";
            return {};
        }
        const QStringList names = namesOf(chain);
        // On the first page the bottom row follows the sex buttons, so "Сохранить" is near the
        // name; the passport data come after the row, in reading order of their own.
        qsizetype row = names.size() - bottomRow.size();
        if (page == 0) {
            row = names.indexOf(QStringLiteral("Button2"));
            if (row < 0) {
                ADD_FAILURE() << state << ": Tab never reaches Button2";
                return names;
            }
            expectReadingOrder({chain.begin() + row + bottomRow.size(), chain.end()}, card.get(), state);
        }
        expectReadingOrder({chain.begin(), chain.begin() + row}, card.get(), state);
        EXPECT_EQ(names.mid(row, bottomRow.size()).join(' ').toStdString(), bottomRow.join(' ').toStdString())
            << state;
        return names;
    };
    // Every optional control shown: the visa date, the military group, the dismissal fields.
    card->OsnovnList->CheckBox2->setChecked(true);
    card->DopList->CheckBox3->setChecked(true);
    card->Button13Click();
    EXPECT_TRUE(check(0, "main page").contains("EditData8"));
    check(1, "extra page");
    check(2, "employment page");
    check(3, "parameters page");

    card->DopList->Family->Button9Click();
    check(1, "family editor");
    card->DopList->Family->Button11Click();
    card->DopList->PanelObraz->Button16Click();
    check(1, "education editor");
    card->DopList->PanelObraz->Button18Click();

    auto after = [](const QStringList &names, const QString &name) {
        const qsizetype i = names.indexOf(name);
        return (i < 0 ? QString() : names.value(i + 1)).toStdString();
    };
    // Groups opened over a page come next in reading order, and Tab skips the fields they cover.
    card->OsnovnList->Button6Click();
    const QStringList withNameForms = check(0, "name forms");
    EXPECT_EQ(after(withNameForms, "Foto2"), "Edit16");
    EXPECT_EQ(after(withNameForms, "Edit16"), "Edit17");
    EXPECT_FALSE(withNameForms.contains("Edit3"));
    card->OsnovnList->Button6Click();
    EXPECT_TRUE(check(0, "name forms closed").contains("Edit3"));
    card->Button19Click();
    const QStringList withHistory = check(2, "history");
    EXPECT_EQ(after(withHistory, "Button19"), "StringGrid2");
    EXPECT_FALSE(withHistory.contains("Edit18"));
}

// "Сохранить" used to be 25 Tabs into the card, and each date took three of them.
TEST_F(CardKeyboard, SaveIsAtMostTwelveTabsFromTheNameAndCtrlSSaves)
{
    start();
    open(1);
    card->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
    card->OsnovnList->Edit1->setFocus(Qt::TabFocusReason);
    int presses = 0;
    while (QApplication::focusWidget() != card->Button2 && presses < 40) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ++presses;
    }
    EXPECT_LE(presses, 12);
    // A filled date is one stop: Tab leaves it whole.
    card->OsnovnList->EditData1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(card->OsnovnList->EditData1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), card->OsnovnList->Edit9);

    // Ctrl+S from the middle of a field saves what is typed in it.
    card->OsnovnList->Edit3->setFocus(Qt::TabFocusReason);
    card->OsnovnList->Edit3->selectAll();
    QTest::keyClicks(card->OsnovnList->Edit3, QStringLiteral("6100"));
    QTest::keyClick(card->OsnovnList->Edit3, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(field(disk(schema::OsnovaTable), 1, "OKLAD"), "6100");
}

// No button or field label had an underlined letter; now each has one, unique on every page
// together with the buttons below the pages.
TEST_F(CardKeyboard, EveryPageUnderlinesALetterOfItsOwnOnEachButtonAndLabel)
{
    start();
    open(1);
    const QList<QWidget *> bottom = {card->Button2, card->Button3, card->LabelSegodnja, card->Button1, card->Button5};
    // The name forms and the editors open over their page, covering what they share letters with.
    const QList<QWidget *> overlays = {card->OsnovnList->GroupBox3, card->DopList->Family->GroupBox4,
                                       card->DopList->PanelObraz->GroupBox2};
    auto lettersOf = [&](QWidget *scope, bool withoutOverlays) {
        QList<QWidget *> widgets = bottom;
        for (QWidget *w : scope->findChildren<QWidget *>())
            if (!withoutOverlays || std::none_of(overlays.begin(), overlays.end(),
                                                 [w](QWidget *o) { return o->isAncestorOf(w); }))
                widgets << w;
        return mnemonicFaults(widgets).join(QLatin1Char('\n')).toStdString();
    };
    for (int page = 0; page < card->PageControl1->count(); ++page)
        EXPECT_EQ(lettersOf(card->PageControl1->widget(page), true), "") << page;
    for (QWidget *overlay : overlays)
        EXPECT_EQ(lettersOf(overlay, false), "") << overlay->objectName().toStdString();
    // The dismissal button keeps its letter whichever caption it shows.
    card->Button13Click();
    EXPECT_EQ(QKeySequence::mnemonic(card->KadrList->Button13->text()),
              QKeySequence::mnemonic(QString::fromUtf8("У&волить")));
}

// Enter in a one-line input used by a window is a press of its default button; the card has
// none, so Enter neither saves nor closes it.
TEST_F(CardKeyboard, EnterInAnInputNeverSavesOrCloses)
{
    start();
    open(1);
    card->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
    for (QPushButton *b : card->findChildren<QPushButton *>()) {
        EXPECT_FALSE(b->isDefault()) << qPrintable(b->objectName());
        EXPECT_FALSE(b->autoDefault()) << qPrintable(b->objectName());
    }
    const std::string before = bytesOf(schema::OsnovaTable);
    card->DopList->Family->Button7Click();
    int pressed = 0;
    for (int page = 0; page < 4; ++page) {
        card->PageControl1->setCurrentIndex(page);
        for (QLineEdit *edit : card->findChildren<QLineEdit *>()) {
            if (!edit->isVisible() || !edit->isEnabled())
                continue;
            edit->setFocus(Qt::TabFocusReason);
            QTest::keyClick(edit, Qt::Key_Return);
            QTest::keyClick(edit, Qt::Key_Enter);
            ASSERT_TRUE(card->isVisible()) << qPrintable(edit->objectName());
            ++pressed;
        }
    }
    EXPECT_GT(pressed, 30);
    EXPECT_FALSE(card->DopList->Family->GroupBox4->isHidden());
    EXPECT_EQ(bytesOf(schema::OsnovaTable), before);
    EXPECT_EQ(messages(), QStringList());
}

// The card used to be announced as a "filler" without a name.
TEST_F(CardKeyboard, AnnouncedAsAWindowWithItsCaption)
{
    start();
    open(1);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(card.get());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Window);
    EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromUtf8("Карточка сотрудника"));
    card->setWindowTitle(QString::fromUtf8("Карточка нового сотрудника"));
    EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromUtf8("Карточка нового сотрудника"));
    EXPECT_TRUE(card->isWindow());
}

// The whole way from the list to a saved card without a mouse, through the windows as main()
// creates them: every key goes to the widget that has the focus.
class KeyboardSession : public CardFixture {
protected:
    void SetUp() override
    {
        CardFixture::SetUp();
        add(schema::StolbTable, {{"NOM", "1"}, {"STOLB_GRID", "ФИО"}, {"SHIRINA", "200"},
                                 {"POLE_BAZY", "FIO"}, {"NOMER_BAZY", "1"}, {"POKAZ", "1"}});
        add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Бухгалтерия"}});
        addEmployee(1, "Иванов Иван Иванович", {{"OTDEL", "1"}, {"OKLAD", "5000"}});
        addEmployee(2, "Петров Петр Петрович", {{"OTDEL", "1"}, {"OKLAD", "7000"}});
        addHistory(1, 1, {{"OTDEL", "1"}});
        addHistory(2, 1, {{"OTDEL", "1"}, {"OKLAD", "7000"}});
        std::ofstream(program / "config.ini", std::ios::binary)
            << "[PUT]\r\n" << (database / "osnova.dbf").string() << "\r\n[DOK]\r\n"
            << (root / "templates").string() << "\r\n[VYVOD]\r\n" << (root / "out").string()
            << "/\r\n[INTERFACE]\r\n0\r\n[VID]\r\n10\r\n";
    }

    void startLikeMain()
    {
        state = std::make_unique<AppState>();
        state->ProgramFolder = program;
        form = std::make_unique<TForm1>(*state);
        card = std::make_unique<TForm2>(*state, *form);
        FormLinks links;
        links.Form2 = card.get();
        form->setLinks(links);
        form->FormCreate();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    static void press(Qt::Key key)
    {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key);
    }

    // Presses Tab until the control a screen reader announces as `name` has the focus.
    static void tabTo(const QString &name)
    {
        for (int i = 0; i < 100; ++i) {
            QWidget *focus = QApplication::focusWidget();
            QAccessibleInterface *accessible = focus ? QAccessible::queryAccessibleInterface(focus) : nullptr;
            if (accessible && accessible->text(QAccessible::Name) == name)
                return;
            press(Qt::Key_Tab);
        }
        FAIL() << "Tab never reaches " << name.toStdString();
    }
};

TEST_F(KeyboardSession, SalaryChangedAndSavedFromTheKeyboardAlone)
{
    startLikeMain();
    ASSERT_EQ(messages(), QStringList());
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    ASSERT_TRUE(card->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
    EXPECT_EQ(card->shownCode(), "2");

    tabTo(QString::fromUtf8("Оклад"));
    ASSERT_EQ(QApplication::focusWidget(), card->OsnovnList->Edit3);
    // Tab into a line selects its text, so typing replaces it.
    QTest::keyClicks(QApplication::focusWidget(), "7350");
    tabTo(QString::fromUtf8("Сохранить"));
    ASSERT_EQ(QApplication::focusWidget(), card->Button2);
    press(Qt::Key_Space);

    EXPECT_FALSE(card->isVisible());
    EXPECT_EQ(messages(), QStringList());
    const LoadedTable main = disk(schema::OsnovaTable);
    EXPECT_EQ(field(main, 2, "OKLAD"), "7350");
    EXPECT_EQ(field(main, 1, "OKLAD"), "5000");
    const LoadedTable trud = disk(schema::TrudTable);
    ASSERT_EQ(trud.Header.RecordCount, 3);
    EXPECT_EQ(field(trud, 3, "KOD"), "2");
    EXPECT_EQ(field(trud, 3, "N_IZM"), "2");
    EXPECT_EQ(field(trud, 3, "OKLAD"), "7350");
    EXPECT_EQ(field(trud, 3, "D_IZM"), dateToStr(today()));
}

} // namespace
} // namespace veltor::test
