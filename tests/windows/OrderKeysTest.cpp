// An order entered from the main menu with the keyboard alone, read back from the files.
#include "support/Keyboard.h"
#include "support/Workplace.h"

#include "orders/OrderFormPanel.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QTest>

namespace veltor::test {
namespace {

using Strings = std::vector<std::string>;

class OrderKeys : public Workplace {};

TEST_F(OrderKeys, AHireIsTypedFoundAndSavedWithKeysAlone)
{
    add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Бухгалтерия"}});
    add(schema::OtdelTable, {{"NOM", "2"}, {"OTDEL", "Склад"}});
    add(schema::DolzhTable, {{"NOM", "1"}, {"DOLZH", "Бухгалтер"}});
    addEmployee(1, "Иванов Иван Иванович", {{"OTDEL", "1"}, {"DOLZH", "1"}, {"OKLAD", "5000"}});
    addEmployee(2, "Семёнова Ольга Петровна", {{"OTDEL", "1"}, {"DOLZH", "1"}, {"OKLAD", "6000"}, {"UVOLEN", "1"}});
    start();
    TOrderFormPanel &f = *orders->DokumPanel;

    // From the main menu the order starts on the list's current employee.
    form->StringGrid1->setRow(rowOf(1));
    form->StringGrid1SelectCell(1, rowOf(1));
    form->N6_1->trigger();
    ASSERT_TRUE(orders->isVisible());
    EXPECT_EQ(utf8(f.DokumComboSotr->currentText()), "Иванов Иван Иванович");
    orders->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(orders.get()));

    pressKey(Qt::Key_Down); // the kind list has the keyboard: the first kind, a hire
    ASSERT_EQ(f.kind(), Hire);
    pressAlt(QChar(0x0441)); // "Сотрудник"
    pressKey(Qt::Key_A, Qt::ControlModifier);
    typeText(QString::fromUtf8("ольга"));
    ASSERT_TRUE(f.DokumComboSotr->completer()->popup()->isVisible());
    pressKey(Qt::Key_Return); // the first name found
    EXPECT_EQ(utf8(f.DokumComboSotr->currentText()), "Семёнова Ольга Петровна (уволен)");
    pressAlt(QChar(0x043F)); // "Подразделение"
    pressKey(Qt::Key_Down);
    pressAlt(QChar(0x043B)); // "Оклад"
    pressKey(Qt::Key_A, Qt::ControlModifier);
    typeText("15000");
    pressAlt(QChar(0x0432)); // "Трудовой договор №"
    typeText("31");
    pressKey(Qt::Key_Return); // "O K"

    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << utf8(Dialogs::shownMessages().join("\n"));
    EXPECT_FALSE(orders->isVisible());
    EXPECT_EQ(dbfColumn(schema::ZhurDokTable, "KOD"), (Strings{"2"}));
    EXPECT_EQ(dbfColumn(schema::ZhurDokTable, "TIP_DOK"), (Strings{"1"}));
    EXPECT_EQ(dbfColumn(schema::PriemTable, "OKLAD"), (Strings{"15000"}));
    EXPECT_EQ(dbfColumn(schema::TrudTable, "KOD"), (Strings{"1", "2", "2"}));
    EXPECT_EQ(dbfColumn(schema::TrudTable, "NOM_DOG"), (Strings{"", "", "31"}));
    EXPECT_EQ(dbfColumn(schema::TrudTable, "OTDEL"), (Strings{"1", "1", "2"}));
    EXPECT_EQ(dbfColumn(schema::OsnovaTable, "OKLAD"), (Strings{"5000", "15000"}));
    EXPECT_EQ(dbfColumn(schema::OsnovaTable, "UVOLEN"), (Strings{"", "0"}));
}

} // namespace
} // namespace veltor::test
