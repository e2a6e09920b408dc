// The orders window: its two views, order identities and numbers, the journal, opening a
// stored order, leaving, and that every input is named for assistive technology.
#include "OrdersFixture.h"

#include <QAccessible>

namespace veltor::test {
namespace {

class OrderWindow : public OrdersFixture {};

TEST_F(OrderWindow, EmptyJournalGivesIdOneNumberOneAndAnInertEmptyRow)
{
    addEmployee(1, "Иванов Иван Иванович");
    start();
    form->N6_4->trigger();
    ASSERT_TRUE(orders->isVisible());
    EXPECT_EQ(utf8(orders->windowTitle()), "Журнал кадровых приказов");
    EXPECT_TRUE(orders->ZhurPanel->isVisible());
    EXPECT_FALSE(orders->DokumPanel->isVisible());
    EXPECT_EQ(orders->currentOrderId(), 1);
    TStringGrid &grid = *orders->ZhurPanel->ZhurGrid;
    EXPECT_EQ(grid.RowCount(), 2);
    grid.setRow(1);
    orders->ZhurGridDblClick();
    EXPECT_TRUE(orders->ZhurPanel->isVisible()) << "a double click on the empty row opened something";

    form->N6_1->trigger();
    choose(f().DokumComboTipOper, Dismissal);
    EXPECT_EQ(utf8(f().DokumEdit1->text()), "1");
    EXPECT_EQ(utf8(f().DokumZagolovok->text()), KindNames[Dismissal]);
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << utf8(Dialogs::shownMessages().join("\n"));
}

TEST_F(OrderWindow, IdsAfterTheLargestAndNumbersPerKind)
{
    addEmployee(1, "Иванов Иван Иванович");
    // IDs 1, 2, 7 with hire orders numbered 1-3 (one with a blank number) and a dismissal 1.
    addJournal(1, Hire, 1);
    addJournal(2, Hire, 3);
    addJournal(7, Dismissal, 1);
    addJournal(5, Hire, 2);
    add(schema::ZhurDokTable, {{"ID_DOK", ""}, {"TIP_DOK", "1"}});
    start();
    form->N6_1->trigger();
    EXPECT_EQ(utf8(orders->windowTitle()), "Кадровый приказ");
    EXPECT_EQ(utf8(f().DokumZagolovok->text()), "Выберите тип операции");
    EXPECT_EQ(orders->currentOrderId(), 8);
    ASSERT_EQ(f().DokumComboTipOper->count(), 6) << "the payroll kind is no HR order";
    EXPECT_EQ(f().DokumComboTipOper->currentIndex(), -1);

    choose(f().DokumComboTipOper, Dismissal);
    EXPECT_EQ(utf8(f().DokumEdit1->text()), "2");
    choose(f().DokumComboTipOper, Hire);
    EXPECT_EQ(utf8(f().DokumEdit1->text()), "4");
    choose(f().DokumComboTipOper, Vacation);
    EXPECT_EQ(utf8(f().DokumEdit1->text()), "1");

    // Closing and opening again reads the tables again and fixes a fresh ID.
    orders->close();
    EXPECT_EQ(orders->currentOrderId(), 0);
    if (onServer())
        return; // the journal below is written beside the program, which a server never sees
    addJournal(9, Vacation, 1);
    form->N6_1->trigger();
    EXPECT_EQ(orders->currentOrderId(), 10);
    choose(f().DokumComboTipOper, Vacation);
    EXPECT_EQ(utf8(f().DokumEdit1->text()), "2");
}

TEST_F(OrderWindow, NonIntegerIdIsReportedAndNothingCanBeSaved)
{
    addEmployee(1, "Иванов Иван Иванович");
    addJournal(1, Hire, 1);
    add(schema::ZhurDokTable, {{"ID_DOK", "1а"}, {"TIP_DOK", "1"}, {"NOM_DOK", "2"}});
    start();
    const std::string before = bytesOf(schema::ZhurDokTable);
    form->N6_1->trigger();
    EXPECT_TRUE(orders->isVisible());
    ASSERT_EQ(Dialogs::shownMessages().size(), 1);
    EXPECT_NE(utf8(Dialogs::shownMessages()[0]).find("1а"), std::string::npos);
    choose(f().DokumComboTipOper, BusinessTrip);
    f().DokumButOK->click();
    EXPECT_EQ(bytesOf(schema::ZhurDokTable), before);
}

TEST_F(OrderWindow, JournalShowsNamesAndHidesTheIdAndDates)
{
    addEmployee(1, "Иванов Иван Иванович");
    addEmployee(2, "Петрова Анна Сергеевна");
    addJournal(3, Dismissal, 4, 2, {{"OSNOVAN", "Заявление"}});
    addJournal(4, Hire, 1, 1);
    addJournal(5, Hire, 2, 99); // an employee deleted since
    start();
    form->N6_4->trigger();
    const TStringGrid &g = *orders->ZhurPanel->ZhurGrid;
    ASSERT_EQ(g.RowCount(), 4);
    const std::vector<std::pair<std::string, int>> columns = {
        {"ID_DOK", -1}, {"Тип документа", 150}, {"Номер", 50}, {"Дата", 80},
        {"Сотрудник", 200}, {"Основание", 300}, {"D_NACH", -1}, {"D_KONC", -1}};
    for (int c = 1; c <= 8; ++c) {
        const std::string heading = cp1251ToUtf8(g.Cell(c, 0));
        const auto it = std::find_if(columns.begin(), columns.end(), [&](auto &p) { return p.first == heading; });
        ASSERT_NE(it, columns.end()) << heading;
        EXPECT_EQ(g.ColWidth(c), it->second) << heading;
    }
    EXPECT_EQ(cp1251ToUtf8(g.Cell(2, 1)), KindNames[Dismissal]);
    EXPECT_EQ(cp1251ToUtf8(g.Cell(5, 1)), "Петрова Анна Сергеевна");
    EXPECT_EQ(cp1251ToUtf8(g.Cell(6, 1)), "Заявление");
    EXPECT_EQ(cp1251ToUtf8(g.Cell(5, 2)), "Иванов Иван Иванович");
    EXPECT_EQ(cp1251ToUtf8(g.Cell(5, 3)), "");
}

TEST_F(OrderWindow, StoredOrderOpensWithEveryFieldAndItsIdAndCancelReturnsToTheJournal)
{
    addEmployee(1, "Иванов Иван Иванович", {{"OTDEL", "1"}, {"DOLZH", "1"}, {"OKLAD", "5000"}});
    addEmployee(2, "Петрова Анна Сергеевна");
    addHistory(2, 1, {{"NOM_DOG", "77"}, {"VID_RAB", "1"}, {"D_DOG", "03.03.2021"}});
    addJournal(4, Vacation, 1, 1);
    addJournal(6, Transfer, 5, 2, {{"OSNOVAN", "Служебная записка"}, {"DATA_DOK", "05.05.2024"},
                                   {"D_NACH", "06.05.2024"}, {"D_KONC", "31.12.2024"}});
    add(schema::PriemTable, {{"ID_DOK", "6"}, {"KOD", "2"}, {"OTDEL", "2"}, {"DOLZH", "2"}, {"OKLAD", "9100"},
                             {"KOMENT", "временно"}});
    add(schema::OtpuskTable, {{"ID_DOK", "4"}, {"KOD", "1"}, {"VID_OTP", "3"}, {"OTP_OSN", "14"},
                              {"OSN_RAS", "2"}, {"DOP_RAS", "1"}, {"RAB_OT", "01.01.2023"}, {"RAB_DO", "31.12.2023"}});
    start();
    form->N6_4->trigger();
    EXPECT_EQ(orders->currentOrderId(), 7);
    orders->ZhurPanel->ZhurGrid->setRow(2);
    orders->ZhurGridDblClick();

    EXPECT_EQ(orders->currentOrderId(), 6);
    EXPECT_TRUE(orders->DokumPanel->isVisible());
    EXPECT_FALSE(orders->ZhurPanel->isVisible());
    EXPECT_FALSE(f().DokumComboTipOper->isEnabled());
    EXPECT_EQ(f().DokumComboTipOper->currentIndex(), Transfer);
    EXPECT_EQ(utf8(f().DokumZagolovok->text()), KindNames[Transfer]);
    EXPECT_TRUE(f().DokumPanelPriem->isVisible());
    EXPECT_FALSE(f().DokumOsnMestRab->isVisible());
    EXPECT_EQ(utf8(f().DokumEdit1->text()), "5");
    EXPECT_EQ(pickerDateText(*f().DokumData), "05.05.2024");
    EXPECT_EQ(utf8(f().DokumEdit2->text()), "Служебная записка");
    EXPECT_EQ(f().DokumComboSotr->currentIndex(), 1);
    EXPECT_EQ(pickerDateText(*f().DokumDataNach), "06.05.2024");
    EXPECT_TRUE(f().DokumCheckBoxKonca->isChecked());
    EXPECT_TRUE(f().DokumDataKonc->isVisible());
    EXPECT_EQ(pickerDateText(*f().DokumDataKonc), "31.12.2024");
    EXPECT_EQ(f().DokumComboOtdel->currentIndex(), 1);
    EXPECT_EQ(f().DokumComboDolzh->currentIndex(), 1);
    EXPECT_EQ(utf8(f().DokumEdit3->text()), "9100");
    EXPECT_EQ(utf8(f().DokumEdit12->text()), "77");
    EXPECT_EQ(pickerDateText(*f().DokumDataDog), "03.03.2021");
    EXPECT_FALSE(f().DokumOsnMestRab->isChecked());
    EXPECT_EQ(utf8(f().DokumEdit4->text()), "временно");

    // "Отмена" in journal mode goes back to the journal as it was.
    f().DokumButOtmen->click();
    EXPECT_TRUE(orders->isVisible());
    EXPECT_TRUE(orders->ZhurPanel->isVisible());
    EXPECT_EQ(utf8(orders->windowTitle()), "Журнал кадровых приказов");

    orders->ZhurPanel->ZhurGrid->setRow(1);
    orders->ZhurGridDblClick();
    EXPECT_EQ(orders->currentOrderId(), 4);
    EXPECT_TRUE(f().DokumPanelOtpusk->isVisible());
    EXPECT_FALSE(f().DokumCheckBoxKonca->isChecked());
    EXPECT_FALSE(f().DokumDataKonc->isVisible());
    EXPECT_EQ(f().DokumComboVidOtp->currentIndex(), 2);
    EXPECT_EQ(f().DokumComboRaschOsn->currentIndex(), 1);
    EXPECT_EQ(f().DokumComboRaschDop->currentIndex(), 0);
    EXPECT_EQ(utf8(f().DokumEdit7->text()), "14");
    EXPECT_EQ(pickerDateText(*f().DokumData2), "31.12.2023");

    // A new order from the menu while the stored one is shown gets an ID of its own.
    form->N6_1->trigger();
    EXPECT_EQ(orders->currentOrderId(), 7);
    EXPECT_TRUE(f().DokumComboTipOper->isEnabled());
    EXPECT_EQ(f().DokumComboSotr->currentIndex(), -1);
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << utf8(Dialogs::shownMessages().join("\n"));
}

// The journal used to be filled only when the window appeared: opened over an order form, it
// showed an empty grid, and an order saved by printing was missing from it.
TEST_F(OrderWindow, JournalOpenedOverTheOrderFormShowsTheOrders)
{
    addEmployee(1, "Иванов Иван Иванович");
    addJournal(1, Hire, 1);
    start();
    form->N6_1->trigger();
    choose(f().DokumComboTipOper, BusinessTrip);
    choose(f().DokumComboSotr, 0);
    Dialogs::queueAnswer(true);
    f().DokumButPech->click(); // saved, then printing fails: no templates here
    form->N6_4->trigger();
    const TStringGrid &g = *orders->ZhurPanel->ZhurGrid;
    ASSERT_EQ(g.RowCount(), 3);
    EXPECT_EQ(cp1251ToUtf8(g.Cell(2, 1)), KindNames[Hire]);
    EXPECT_EQ(cp1251ToUtf8(g.Cell(2, 2)), KindNames[BusinessTrip]);
}

TEST_F(OrderWindow, CancelOnAnOrderFromTheMenuClosesTheWindow)
{
    addEmployee(1, "Иванов Иван Иванович");
    start();
    form->N6_1->trigger();
    ASSERT_TRUE(orders->isVisible());
    f().DokumButOtmen->click();
    EXPECT_FALSE(orders->isVisible());
    EXPECT_EQ(orders->currentOrderId(), 0);
    EXPECT_FALSE(orders->journalMode());
}

TEST_F(OrderWindow, KindsLayOutTheirPanelsAndAnEmployeeFillsTheForm)
{
    addEmployee(1, "Иванов Иван Иванович", {{"OTDEL", "2"}, {"DOLZH", "1"}, {"OKLAD", "12000"}});
    addEmployee(2, "Петрова Анна Сергеевна");
    addHistory(1, 1, {{"NOM_DOG", "5"}, {"D_DOG", "01.06.2019"}});
    addHistory(1, 2, {{"NOM_DOG", "8"}, {"NOM_PRIL", "9"}, {"D_DOG", "02.07.2022"}, {"D_PRIL", "03.07.2022"}});
    start();
    form->N6_1->trigger();
    struct Layout {
        int kind;
        QWidget *panel;
        bool hireRows;
    };
    for (const Layout &l : {Layout{Hire, f().DokumPanelPriem, true}, Layout{Dismissal, f().DokumPanelUvol, false},
                            Layout{Transfer, f().DokumPanelPriem, false}, Layout{SalaryChange, f().DokumPanelPriem, false},
                            Layout{Vacation, f().DokumPanelOtpusk, false}, Layout{BusinessTrip, f().DokumPanelKomand, false}}) {
        choose(f().DokumComboTipOper, l.kind);
        for (QWidget *p : {f().DokumPanelPriem, f().DokumPanelUvol, f().DokumPanelOtpusk, f().DokumPanelKomand})
            EXPECT_EQ(p->isVisible(), p == l.panel) << "kind " << l.kind << " " << p->objectName().toStdString();
        if (l.panel == f().DokumPanelPriem) {
            EXPECT_EQ(f().DokumComboRezTr->isVisible(), l.hireRows);
            EXPECT_EQ(f().Label11->isVisible(), l.hireRows);
            EXPECT_EQ(f().DokumOsnMestRab->isVisible(), l.hireRows);
            EXPECT_TRUE(f().DokumEdit12->isVisible());
            EXPECT_TRUE(f().DokumEdit13->isVisible());
        }
    }
    choose(f().DokumComboSotr, 0);
    EXPECT_EQ(f().DokumComboOtdel->currentIndex(), 1);
    EXPECT_EQ(f().DokumComboDolzh->currentIndex(), 0);
    EXPECT_EQ(utf8(f().DokumEdit3->text()), "12000");
    EXPECT_TRUE(f().DokumOsnMestRab->isChecked());
    EXPECT_EQ(utf8(f().DokumEdit12->text()), "8");
    EXPECT_EQ(utf8(f().DokumEdit13->text()), "9");
    EXPECT_EQ(pickerDateText(*f().DokumDataDog), "02.07.2022");
    EXPECT_EQ(pickerDateText(*f().DokumDataSogl), "03.07.2022");

    // Without history: no main place, no contract numbers, the dates as they were.
    choose(f().DokumComboSotr, 1);
    EXPECT_FALSE(f().DokumOsnMestRab->isChecked());
    EXPECT_EQ(utf8(f().DokumEdit12->text()), "");
    EXPECT_EQ(pickerDateText(*f().DokumDataDog), "02.07.2022");
    EXPECT_EQ(f().DokumComboOtdel->currentIndex(), -1);

    // The end date shows only while its box is ticked.
    EXPECT_FALSE(f().DokumDataKonc->isVisible());
    f().DokumCheckBoxKonca->click();
    EXPECT_TRUE(f().DokumDataKonc->isVisible());
    f().DokumCheckBoxKonca->click();
    EXPECT_FALSE(f().DokumDataKonc->isVisible());
}

// Every control a person types into, picks from or clicks is named as its label reads, and
// the window is a window of its own to assistive technology.
TEST_F(OrderWindow, EveryInputIsNamedByItsLabel)
{
    addEmployee(1, "Иванов Иван Иванович");
    start();
    form->N6_1->trigger();
    const QList<QWidget *> inputs = orders->findChildren<QWidget *>();
    int checked = 0;
    for (QWidget *w : inputs) {
        const bool input = qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QDateEdit *>(w)
                           || qobject_cast<QAbstractButton *>(w);
        if (!input || w->objectName().isEmpty() || w->parentWidget() == nullptr
            || qobject_cast<QComboBox *>(w->parentWidget()) || qobject_cast<QDateEdit *>(w->parentWidget()))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).trimmed().isEmpty()) << w->objectName().toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 35);
    // A label names its field as it reads, without its underlined letter's marker. (The line
    // above the vacation's period leads to its first date, named "с".)
    for (QLabel *l : orders->findChildren<QLabel *>())
        if (l->buddy() && l != f().Label22)
            EXPECT_EQ(l->buddy()->accessibleName(), l->text().remove('&').trimmed()) << l->objectName().toStdString();
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(orders.get());
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(utf8(window->text(QAccessible::Name)), "Кадровый приказ");
    EXPECT_TRUE(orders->isWindow());
    EXPECT_FALSE(orders->isModal());
}

// The whole order can be entered with the keyboard: the kind and the employee chosen with the
// arrow keys lay the form out and fill it, and Tab reaches every field of the kind's panel.
TEST_F(OrderWindow, AnOrderCanBeEnteredWithTheKeyboardAlone)
{
    addEmployee(1, "Иванов Иван Иванович", {{"OKLAD", "6100"}});
    start();
    form->N6_1->trigger();
    QTest::keyClick(f().DokumComboTipOper, Qt::Key_Down);
    EXPECT_EQ(f().DokumComboTipOper->currentIndex(), Hire);
    EXPECT_EQ(utf8(f().DokumZagolovok->text()), KindNames[Hire]);
    EXPECT_EQ(utf8(f().DokumEdit1->text()), "1");
    QTest::keyClick(f().DokumComboSotr, Qt::Key_Down);
    EXPECT_EQ(utf8(f().DokumEdit3->text()), "6100");

    QList<QWidget *> chain;
    for (QWidget *w = f().DokumEdit1->nextInFocusChain(); w && w != f().DokumEdit1; w = w->nextInFocusChain())
        if (w->isVisibleTo(orders.get()) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            chain << w;
    for (QWidget *w : std::initializer_list<QWidget *>{
             f().DokumData, f().DokumComboTipOper, f().DokumEdit2, f().DokumComboSotr, f().DokumDataNach,
             f().DokumCheckBoxKonca, f().DokumEdit4, f().DokumComboOtdel, f().DokumComboDolzh, f().DokumOsnMestRab,
             f().DokumEdit3, f().DokumEdit12, f().DokumDataDog, f().DokumEdit13, f().DokumDataSogl, f().DokumButOK,
             f().DokumButPech, f().DokumButOtmen})
        EXPECT_TRUE(chain.contains(w)) << w->objectName().toStdString() << " cannot be reached with Tab";
}

} // namespace
} // namespace veltor::test
