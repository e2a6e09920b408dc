// The card's "Кадровые приказы" pop-up starts an order for the card's employee.
#include "OrdersFixture.h"

#include "app/EmployeeList.h"
#include "card/Unit2.h"

#include <QMenu>

namespace veltor::test {
namespace {

class CardOrders : public OrdersFixture {};

TEST_F(CardOrders, ThirdKindOpensTheFormWithKindNumberAndEmployeeAndClosesTheCard)
{
    // The card reads the seven fixed constants.
    const std::filesystem::path konstanty = resolveFileName(program, schema::KonstantyTable);
    LoadedTable k = ReadTable(konstanty);
    for (int i = 1; i <= 7; ++i) {
        AppendBlankRecord(k.Header, k.Data);
        SetField(k.Header, i, FieldIndex(k.Header, schema::N), k.Data, std::to_string(i));
        SetField(k.Header, i, FieldIndex(k.Header, schema::PEREMEN), k.Data, "C" + std::to_string(i));
    }
    WriteTable(konstanty, k);
    for (int code : {1, 2}) {
        addEmployee(code, code == 1 ? "Иванов Иван Иванович" : "Петрова Анна Сергеевна",
                    {{"OTDEL", "2"}, {"DOLZH", "2"}, {"OKLAD", "7300"}});
        add(schema::PassportTable, {{"KOD", std::to_string(code)}});
        add(schema::DopolnTable, {{"KOD", std::to_string(code)}});
    }
    addJournal(1, Transfer, 4);
    addJournal(2, Transfer, 6);
    addJournal(3, Hire, 9);
    start();
    state->Konstanty = ReadTable(konstanty);
    TForm2 card(*state, *form);
    FormLinks links = form->links();
    links.Form2 = &card;
    form->setLinks(links);
    const CurrentRecords r = currentRecordsOf(*state, "2");
    state->CurMainRec = r.main;
    state->CurPassportRec = r.passport;
    state->CurTrudRec = r.trud;
    state->CurDopolnRec = r.dopoln;
    card.show();
    ASSERT_TRUE(card.isVisible());
    ASSERT_TRUE(Dialogs::shownMessages().isEmpty()) << utf8(Dialogs::shownMessages().join("\n"));

    card.Button5->click();
    const QList<QAction *> items = card.PopupMenu->actions();
    ASSERT_EQ(items.size(), 6) << "one item per HR kind, the payroll kind left out";
    EXPECT_EQ(utf8(items[2]->text()), KindNames[Transfer]);
    EXPECT_EQ(items[2]->data().toInt(), 3);
    card.PopupMenu->hide();
    // The list's current row moving meanwhile does not change whose order it is.
    state->CurMainRec = 1;
    items[2]->trigger();

    EXPECT_FALSE(card.isVisible());
    ASSERT_TRUE(orders->isVisible());
    EXPECT_TRUE(orders->DokumPanel->isVisible());
    EXPECT_EQ(f().DokumComboTipOper->currentIndex(), Transfer);
    EXPECT_TRUE(f().DokumPanelPriem->isVisible());
    EXPECT_FALSE(f().DokumOsnMestRab->isVisible());
    EXPECT_EQ(utf8(f().DokumEdit1->text()), "7");
    EXPECT_EQ(f().DokumComboSotr->currentIndex(), 1);
    EXPECT_EQ(f().DokumComboOtdel->currentIndex(), 1);
    EXPECT_EQ(utf8(f().DokumEdit3->text()), "7300");
    EXPECT_EQ(orders->currentOrderId(), 4);
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty()) << utf8(Dialogs::shownMessages().join("\n"));
    card.hide();
}

} // namespace
} // namespace veltor::test
