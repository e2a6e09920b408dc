#include "OrdersFixture.h"
#include "support/DbfRead.h"

#include <QInputMethodEvent>
#include <QStatusBar>

namespace veltor::test {
namespace {

void typeInto(QLineEdit *edit, const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        QInputMethodEvent event;
        event.setCommitString(QString::fromUcs4(&c, 1));
        QApplication::sendEvent(edit, &event);
    }
}

class OrderInput : public OrdersFixture {
protected:
    void SetUp() override
    {
        OrdersFixture::SetUp();
        addEmployee(1, "Петров Петр Петрович", {{"OTDEL", "1"}, {"DOLZH", "1"}, {"OKLAD", "5000"}});
        addHistory(1, 1);
    }
};

// An order needs its kind and its employee (and a vacation its days) before it is saved or
// printed. "O K" on an empty form used to write a journal record with neither, and
// "Распечатать" without an employee failed with «"" не является целым числом».
TEST_F(OrderInput, IncompleteOrderIsRefusedWithAMessageAndNothingIsWritten)
{
    struct Case {
        int kind, employeeRecord;
        const char *days;
        const char *message;
    };
    const Case cases[] = {
        {-1, 0, "", "тип операции"},
        {-1, 1, "", "тип операции"},
        {Dismissal, 0, "", "сотрудника"},
        {Vacation, 1, "", "дней отпуска"},
        {Vacation, 1, "0", "дней отпуска"},
    };
    start();
    const std::string journal = bytesOf(schema::ZhurDokTable);
    for (const Case &c : cases) {
        for (QPushButton *button : {f().DokumButOK, f().DokumButPech}) {
            form->N6_1->trigger();
            if (c.kind >= 0)
                choose(f().DokumComboTipOper, c.kind);
            if (c.employeeRecord > 0)
                choose(f().DokumComboSotr, c.employeeRecord - 1);
            f().DokumEdit7->setText(QString::fromUtf8(c.days));
            Dialogs::clearRecorded();
            button->click();
            ASSERT_EQ(Dialogs::shownMessages().size(), 1) << c.message;
            EXPECT_TRUE(Dialogs::shownMessages()[0].contains(QString::fromUtf8(c.message)))
                << utf8(Dialogs::shownMessages()[0]);
            EXPECT_TRUE(Dialogs::askedQuestions().isEmpty());
            EXPECT_EQ(bytesOf(schema::ZhurDokTable), journal) << c.message;
        }
    }
}

// A vacation ends on the last of its calendar days; it used to be stored (and printed) with the
// end equal to the start, both today.
TEST_F(OrderInput, VacationEndFollowsStartAndDays)
{
    start();
    struct Case {
        Date start;
        const char *days;
        const char *end;
    };
    const Case cases[] = {{{2024, 7, 1}, "14", "14.07.2024"},
                          {{2024, 2, 20}, "10", "29.02.2024"},
                          {{2023, 12, 25}, "28", "21.01.2024"},
                          {{2024, 3, 5}, "1", "05.03.2024"}};
    for (const Case &c : cases) {
        newOrder(Vacation, 1);
        setPickerDate(*f().DokumDataNach, c.start);
        f().DokumEdit7->setText(QString::fromUtf8(c.days));
        EXPECT_TRUE(f().DokumCheckBoxKonca->isChecked());
        EXPECT_EQ(pickerDateText(*f().DokumDataKonc), c.end);
        f().DokumButOK->click();
        ASSERT_EQ(Dialogs::shownMessages(), QStringList());
    }
    const QJsonObject journal = dbfread(file(schema::ZhurDokTable));
    EXPECT_EQ(dbfColumn(journal, "D_KONC"),
              (std::vector<std::string>{"14.07.2024", "29.02.2024", "21.01.2024", "05.03.2024"}));
}

// Order numbers that are no whole numbers are the clerk's own: the next number follows the
// whole ones. One "12-к" used to break the numbering of its kind for good.
TEST_F(OrderInput, NumberSkipsNumbersThatAreNotWhole)
{
    addJournal(1, Hire, 3);
    addJournal(2, Hire, 0, 1, {{"NOM_DOK", "12-к"}});
    addJournal(3, Hire, 5);
    addJournal(4, Dismissal, 0, 1, {{"NOM_DOK", "7/а"}});
    start();
    newOrder(Hire, 1);
    EXPECT_EQ(f().DokumEdit1->text(), "6");
    newOrder(Dismissal, 1);
    EXPECT_EQ(f().DokumEdit1->text(), "1");
    EXPECT_EQ(Dialogs::shownMessages(), QStringList());
}

// Typed values are limited to their fields as they are typed, with a note; what the form shows
// is what is stored. These used to be cut on the save without a word.
TEST_F(OrderInput, TypedValuesAreWhatIsStored)
{
    start();
    newOrder(BusinessTrip, 1);
    const QString destination = QString(156, QChar(0x0416));
    typeInto(f().DokumEdit9, destination);
    EXPECT_EQ(f().DokumEdit9->text(), destination.left(100));
    EXPECT_TRUE(f().StatusBar->currentMessage().contains(QString::fromUtf8("не больше 100")));
    f().DokumButOK->click();
    ASSERT_EQ(Dialogs::shownMessages(), QStringList());
    EXPECT_EQ(dbfColumn(dbfread(file(schema::KomandTable)), "KUDA"), std::vector<std::string>{utf8(destination.left(100))});

    newOrder(Transfer, 1);
    f().DokumEdit3->clear();
    typeInto(f().DokumEdit3, QString::fromUtf8("сорок 123456789012345"));
    EXPECT_EQ(f().DokumEdit3->text(), "123456789012");
    f().DokumButOK->click();
    ASSERT_EQ(Dialogs::shownMessages(), QStringList());
    EXPECT_EQ(dbfColumn(dbfread(file(schema::PriemTable)), "OKLAD"), std::vector<std::string>{"123456789012"});

    newOrder(Vacation, 1);
    typeInto(f().DokumEdit7, "123456");
    EXPECT_EQ(f().DokumEdit7->text(), "12345");
    typeInto(f().DokumEdit8, QString::fromUtf8("3 дня"));
    EXPECT_EQ(f().DokumEdit8->text(), "3");
    EXPECT_TRUE(f().StatusBar->currentMessage().contains(QString::fromUtf8("только цифры")));
}

} // namespace
} // namespace veltor::test
