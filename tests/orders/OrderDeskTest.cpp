// The order form at the clerk's desk: finding an employee by typing, the underlined letters,
// the keys of the window and its place on a 1366x768 screen.
#include "OrdersFixture.h"
#include "support/Keyboard.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QScreen>
#include <QSet>
#include <QStatusBar>

namespace veltor::test {
namespace {

class OrderDesk : public OrdersFixture {
protected:
    // The entries the finder offers for what was typed, as the popup lists them.
    static QStringList offered(QComboBox *combo)
    {
        QStringList names;
        const QAbstractItemModel *m = combo->completer()->popup()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            names << m->index(r, 0).data().toString();
        return names;
    }

    // The window laid out for a kind, with an employee and the end date shown: as large as it gets.
    void layOut(int kind)
    {
        choose(f().DokumComboTipOper, kind);
        chooseEmployee(1);
        f().DokumCheckBoxKonca->setChecked(true);
        QApplication::processEvents();
    }
};

TEST_F(OrderDesk, TheEmployeeIsFoundByAnyPartOfTheNameWorkingFirstAndTheDismissedMarked)
{
    addEmployee(1, "Сидоров Пётр Ильич");
    addEmployee(2, "Ёлкина Анна Петровна", {{"UVOLEN", "1"}});
    addEmployee(3, "авдеев Семён");
    addEmployee(4, "Елкин Олег", {{"UVOLEN", "0"}});
    start();
    form->N6_1->trigger();
    choose(f().DokumComboTipOper, BusinessTrip);
    QComboBox *sotr = f().DokumComboSotr;
    QStringList items;
    for (int i = 0; i < sotr->count(); ++i)
        items << sotr->itemText(i);
    EXPECT_EQ(items, QStringList({QString::fromUtf8("авдеев Семён"), QString::fromUtf8("Елкин Олег"),
                                  QString::fromUtf8("Сидоров Пётр Ильич"),
                                  QString::fromUtf8("Ёлкина Анна Петровна (уволен)")}));

    // Case and ё/е do not matter, either way round; the middle of a name is found too.
    orders->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(orders.get()));
    sotr->setFocus();
    typeText(QString::fromUtf8("ЁЛК"));
    EXPECT_TRUE(sotr->completer()->popup()->isVisible());
    EXPECT_EQ(offered(sotr), QStringList({QString::fromUtf8("Елкин Олег"),
                                          QString::fromUtf8("Ёлкина Анна Петровна (уволен)")}));
    pressKey(Qt::Key_Escape);
    sotr->lineEdit()->clear();
    typeText(QString::fromUtf8("петр"));
    EXPECT_EQ(offered(sotr), QStringList({QString::fromUtf8("Сидоров Пётр Ильич"),
                                          QString::fromUtf8("Ёлкина Анна Петровна (уволен)")}));
    // The order goes to the employee by code, whatever his place in the list.
    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_Return);
    EXPECT_FALSE(sotr->completer()->popup()->isVisible());
    EXPECT_EQ(f().input().employeeCode, "2");
    EXPECT_EQ(f().input().employeeRecord, 2);

    // Typing that names nobody gives way to the chosen employee when the field is left.
    typeText(QStringLiteral("xyz"));
    pressKey(Qt::Key_Tab);
    EXPECT_EQ(sotr->lineEdit()->text(), QString::fromUtf8("Ёлкина Анна Петровна (уволен)"));
    EXPECT_EQ(f().input().employeeCode, "2");
    // Nor does Enter after such typing save the order for the employee chosen before.
    sotr->setFocus();
    pressKey(Qt::Key_A, Qt::ControlModifier);
    typeText(QStringLiteral("xyz"));
    pressKey(Qt::Key_Return);
    EXPECT_TRUE(orders->isVisible());
    EXPECT_EQ(disk(schema::ZhurDokTable).Header.RecordCount, 0);
    EXPECT_TRUE(f().StatusBar->currentMessage().contains(QString::fromUtf8("не найден")));

    // The finder's list is a few rows high, not a screen of names.
    EXPECT_LE(sotr->completer()->maxVisibleItems(), 20);
    EXPECT_LE(sotr->maxVisibleItems(), 20);
}

// Every page of the window (the journal, the form laid out for each kind) underlines a letter
// in each button and field label, and no letter twice.
TEST_F(OrderDesk, UnderlinedLettersAreUniqueOnEveryPage)
{
    addEmployee(1, "Иванов Иван Иванович");
    start();
    // One-letter labels whose letter is taken: the label before them leads to their field.
    const QSet<QString> letterless = {"Label1", "Label10b", "Label27b", "Label23"};
    auto check = [&](const char *page) {
        SCOPED_TRACE(page);
        QApplication::processEvents();
        QMap<QChar, QString> owners;
        int counted = 0;
        for (QWidget *w : orders->findChildren<QWidget *>()) {
            auto *label = qobject_cast<QLabel *>(w);
            auto *button = qobject_cast<QAbstractButton *>(w);
            if (!w->isVisible() || !(button || (label && label->buddy())))
                continue;
            const QString text = label ? label->text() : button->text();
            const QString name = w->objectName();
            const qsizetype at = text.indexOf(QLatin1Char('&'));
            if (at < 0 || at + 1 >= text.size()) {
                EXPECT_TRUE(letterless.contains(name)) << utf8(name) << " has no underlined letter";
                continue;
            }
            EXPECT_EQ(text.indexOf(QLatin1Char('&'), at + 1), -1) << utf8(name);
            const QChar letter = text[at + 1].toLower();
            EXPECT_FALSE(owners.contains(letter))
                << utf8(QString(letter)) << " of " << utf8(name) << " is also " << utf8(owners.value(letter));
            owners[letter] = name;
            ++counted;
        }
        return counted;
    };
    form->N6_4->trigger();
    check("journal");
    form->N6_1->trigger();
    EXPECT_GE(check("new order"), 10);
    for (int kind = 0; kind < OrderKindCount; ++kind) {
        choose(f().DokumComboTipOper, kind);
        f().DokumCheckBoxKonca->setChecked(true);
        check(KindNames[kind]);
    }

    // The letter takes the keyboard to the field (Alt+Л: "Оклад" of a hire).
    choose(f().DokumComboTipOper, Hire);
    orders->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(orders.get()));
    pressAlt(QChar(0x043B));
    EXPECT_EQ(QApplication::focusWidget(), f().DokumEdit3);
}

TEST_F(OrderDesk, EveryKindFitsA1366x768Screen)
{
    addEmployee(1, "Константинопольский-Преображенский Вольдемар Александрович");
    start();
    const QRect area = orders->screen()->availableGeometry();
    ASSERT_EQ(orders->screen()->geometry().size(), QSize(1366, 768));
    for (int kind = 0; kind < OrderKindCount; ++kind) {
        SCOPED_TRACE(KindNames[kind]);
        form->N6_1->trigger();
        layOut(kind);
        EXPECT_TRUE(area.contains(orders->frameGeometry()))
            << orders->frameGeometry().x() << "," << orders->frameGeometry().y() << " "
            << orders->frameGeometry().width() << "x" << orders->frameGeometry().height();
        // Below a panel of the desktop at the screen's foot the buttons still show.
        EXPECT_LE(orders->frameGeometry().height(), 768 - 48);
        for (QPushButton *b : {f().DokumButOK, f().DokumButPech, f().DokumButOtmen}) {
            const QRect r(b->mapToGlobal(QPoint(0, 0)), b->size());
            EXPECT_TRUE(b->isVisible() && area.contains(r)) << utf8(b->objectName());
        }
        orders->close();
    }
}

// Esc from any field leaves the order, asking about what was typed; Ctrl+S saves it and keeps
// it open, and a second Ctrl+S rewrites the same order.
TEST_F(OrderDesk, EscFromAFieldAsksAndCtrlSSavesKeepingTheOrderOpen)
{
    addEmployee(1, "Иванов Иван Иванович", {{"OKLAD", "5000"}});
    start();
    newOrder(SalaryChange, 1);
    orders->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(orders.get()));
    f().DokumEdit3->setFocus();
    f().DokumEdit3->setText("7100");
    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Cancel);
    f().DokumEdit4->setFocus();
    pressKey(Qt::Key_Escape);
    EXPECT_EQ(Dialogs::askedQuestions().size(), 1);
    EXPECT_TRUE(orders->isVisible());

    pressKey(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << utf8(Dialogs::shownMessages().join("\n"));
    EXPECT_TRUE(orders->isVisible());
    EXPECT_FALSE(f().DokumComboTipOper->isEnabled());
    f().DokumEdit3->setText("7200");
    pressKey(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(disk(schema::ZhurDokTable).Header.RecordCount, 1);
    EXPECT_EQ(field(disk(schema::OsnovaTable), 1, "OKLAD"), "7200");

    // Saved, nothing is asked: Esc closes.
    Dialogs::clearRecorded();
    f().DokumComboSotr->setFocus();
    pressKey(Qt::Key_Escape);
    EXPECT_TRUE(Dialogs::askedQuestions().isEmpty());
    EXPECT_FALSE(orders->isVisible());
}

} // namespace
} // namespace veltor::test
