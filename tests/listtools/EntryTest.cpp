// Reference lists, column choice and streaming entry through their panels; the tables are read
// back by dbfread.
#include "support/DbfRead.h"
#include "ListToolsFixture.h"

#include "app/DatePicker.h"
#include "listtools/ObrabPanel.h"
#include "listtools/SpravPanel.h"
#include "listtools/StolbPanel.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QDateEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace veltor::test {
namespace {

using Strings = std::vector<std::string>;

class Entry : public ListToolsFixture {
protected:
    void SetUp() override
    {
        ListToolsFixture::SetUp();
        addColumn("ФИО", "FIO", "1");
        addColumn("Оклад", "OKLAD", "1");
        addColumn("Вид работы", "VID_RAB", "4");
        addColumn("Дата рождения", "DATA_ROZHD", "2");
        addColumn("Звание", "ZVANIE", "6");
        addEmployee(1, "Иванов", {{"OKLAD", "15000"}}, {{"DATA_ROZHD", "01.01.1970"}});
        addEmployee(2, "Петрова", {{"OKLAD", "9000"}});
        addEmployee(3, "Сидорова", {{"OKLAD", "500"}});
        add(schema::TrudTable, {{"KOD", "3"}, {"N_IZM", "1"}, {"VID_RAB", "0"}, {"OKLAD", "400"}});
        add(schema::TrudTable, {{"KOD", "1"}, {"N_IZM", "1"}, {"VID_RAB", "0"}, {"OKLAD", "15000"}});
        add(schema::TrudTable, {{"KOD", "3"}, {"N_IZM", "4"}, {"VID_RAB", "1"}, {"OKLAD", "500"}, {"D_POST", "01.02.2020"}});
        start();
    }

    TObrabPanel &obrab() const { return *tools->PanelObrab; }
    void edit(TStringGrid &g, int col, int row, const QString &text)
    {
        g.model()->setData(g.model()->index(row - g.FixedRows(), col), text, Qt::EditRole);
    }
    // The list filtered to Сидорова and Иванов, then the streaming entry opened on it.
    void openFiltered()
    {
        state->CurrentCodeList = "3,1,";
        form->zapolnenieOsnovnojTablitsy(state->CurrentCodeList);
        form->N1_8->trigger();
        setPickerDate(*obrab().DataIzm, Date{2006, 3, 1});
    }
};

TEST_F(Entry, SalaryIsWrittenOnlyWhereEnteredWithAHistoryRecord)
{
    openFiltered();
    EXPECT_EQ(tools->windowTitle().toStdString(), "Общая обработка");
    // The rank lives in a table the entry cannot write: not offered.
    QStringList offered;
    for (int i = 0; i < obrab().ComboBox4->count(); ++i)
        offered << obrab().ComboBox4->itemText(i);
    EXPECT_EQ(offered.join('|').toStdString(), "ФИО|Оклад|Вид работы|Дата рождения");
    EXPECT_EQ(cp1251ToUtf8(obrab().ValueList->Cell(0, 1)), "Сидорова");

    // An arrow key on the closed attribute list opens it; it used to choose the next attribute
    // at once. Enter chooses.
    obrab().ComboBox4->setCurrentIndex(0);
    QTest::keyClick(obrab().ComboBox4, Qt::Key_Down);
    EXPECT_FALSE(obrab().ComboBox4->isHidden());
    obrab().ComboBox4->hidePopup();
    obrab().ComboBox4->setCurrentIndex(1);
    QTest::keyClick(obrab().ComboBox4, Qt::Key_Return);
    EXPECT_TRUE(obrab().ComboBox4->isHidden());
    obrab().Button21->click();
    EXPECT_EQ(obrab().ValueList->Cell(1, 2), "15000");
    // Nothing typed yet: nothing to write.
    obrab().Button17->click();
    EXPECT_EQ(messages().size(), 1);
    EXPECT_TRUE(tools->isVisible());

    edit(*obrab().ValueList, 1, 1, "25000");
    const std::string mainBefore = bytesOf(file(schema::OsnovaTable));
    obrab().Button17->click(); // asked, answered No
    EXPECT_EQ(Dialogs::askedQuestions().size(), 1);
    EXPECT_TRUE(Dialogs::askedQuestions().first().contains("1"));
    EXPECT_EQ(bytesOf(file(schema::OsnovaTable)), mainBefore);
    Dialogs::queueAnswer(true);
    obrab().Button17->click();
    EXPECT_FALSE(tools->isVisible());

    const QJsonObject main = dbfread(file(schema::OsnovaTable));
    EXPECT_EQ(dbfColumn(main, "OKLAD"), (Strings{"15000", "9000", "25000"}));
    const QJsonObject trud = dbfread(file(schema::TrudTable));
    EXPECT_EQ(trud["count"].toInt(), 4);
    EXPECT_EQ(dbfColumn(trud, "KOD").back(), "3");
    EXPECT_EQ(dbfColumn(trud, "OKLAD").back(), "25000");
    EXPECT_EQ(dbfColumn(trud, "D_IZM").back(), "01.03.2006");
    EXPECT_EQ(dbfColumn(trud, "N_IZM").back(), "5");
    EXPECT_EQ(dbfColumn(trud, "VID_RAB").back(), "1");
    EXPECT_EQ(dbfColumn(trud, "D_POST").back(), "01.02.2020");
    EXPECT_EQ(state->Trud.Header.RecordCount, 4);
}

TEST_F(Entry, DatesAndListItemsForAFilteredList)
{
    openFiltered();
    obrab().ComboBox4Change(3);
    obrab().ValueListSelectCell(1, 1);
    ASSERT_TRUE(obrab().ValueData->isVisible());
    setPickerDate(*obrab().ValueData, Date{1990, 6, 5});
    obrab().ValueListSelectCell(1, 2); // leaving the row keeps its date
    EXPECT_EQ(obrab().ValueList->Cell(1, 1), "05.06.1990");
    setPickerDate(*obrab().ValueData, Date{1977, 7, 7});
    Dialogs::queueAnswer(true);
    obrab().Button17->click();
    const QJsonObject passport = dbfread(file(schema::PassportTable));
    EXPECT_EQ(dbfColumn(passport, "DATA_ROZHD"), (Strings{"07.07.1977", "", "05.06.1990"}));
    EXPECT_EQ(dbfread(file(schema::TrudTable))["count"].toInt(), 3);

    // Passing through date cells without changing them enters nothing.
    form->N1_8->trigger();
    obrab().ComboBox4Change(3);
    obrab().ValueListSelectCell(1, 1);
    obrab().ValueListSelectCell(1, 2);
    Dialogs::clearRecorded();
    obrab().Button17->click();
    EXPECT_TRUE(Dialogs::askedQuestions().isEmpty());
    EXPECT_EQ(messages().size(), 1);
    tools->close();

    // A list attribute stores the item's code; only the chosen row gets a history record.
    form->N1_8->trigger();
    obrab().ComboBox4Change(2);
    EXPECT_EQ(obrab().ValueList->ColCount(), 3);
    obrab().Button21->click();
    obrab().ValueListSelectCell(1, 2);
    ASSERT_TRUE(obrab().ValueComboBox->isVisible());
    // Keyboard alone: arrows choose, Enter goes back to the grid.
    QTest::keyClick(obrab().ValueComboBox, Qt::Key_Down);
    QTest::keyClick(obrab().ValueComboBox, Qt::Key_Down);
    QTest::keyClick(obrab().ValueComboBox, Qt::Key_Return);
    EXPECT_FALSE(obrab().ValueComboBox->isVisible());
    EXPECT_EQ(cp1251ToUtf8(obrab().ValueList->Cell(1, 2)), "Внешний совместитель");
    EXPECT_EQ(obrab().ValueList->Cell(2, 2), "1");
    Dialogs::queueAnswer(true);
    obrab().Button17->click();
    const QJsonObject trud = dbfread(file(schema::TrudTable));
    EXPECT_EQ(dbfColumn(trud, "KOD"), (Strings{"3", "1", "3", "1"}));
    EXPECT_EQ(dbfColumn(trud, "VID_RAB").back(), "1");
    EXPECT_EQ(dbfColumn(trud, "OKLAD").back(), "15000");
    EXPECT_EQ(dbfColumn(trud, "N_IZM").back(), "2");
}

TEST_F(Entry, ReferenceListsAreNumberedAndWritten)
{
    form->N2_3->trigger();
    EXPECT_EQ(tools->windowTitle().toStdString(), "Справочник отделов");
    TSpravPanel &sprav = *tools->PanelSprav;
    EXPECT_EQ(sprav.StringGrid1->RowCount(), 2);
    edit(*sprav.StringGrid1, 2, 1, QString::fromUtf8("Бухгалтерия"));
    sprav.Button10->click();
    QJsonObject otdel = dbfread(file(schema::OtdelTable));
    EXPECT_EQ(dbfColumn(otdel, "NOM"), (Strings{"1"}));
    EXPECT_EQ(dbfColumn(otdel, "OTDEL"), (Strings{"Бухгалтерия"}));

    form->N2_4->trigger();
    for (int i = 1; i <= 4; ++i) {
        sprav.SpeedButton1->click();
        edit(*sprav.StringGrid1, 2, i, QString::fromUtf8("Должность %1").arg(i));
    }
    sprav.StringGrid1->setRow(4);
    sprav.SpeedButton2->click(); // no question
    sprav.SpeedButton1->click();
    EXPECT_TRUE(Dialogs::askedQuestions().isEmpty());
    sprav.Button10->click();
    const QJsonObject dolzh = dbfread(file(schema::DolzhTable));
    EXPECT_EQ(dbfColumn(dolzh, "NOM"), (Strings{"1", "2", "3", "4"}));
    EXPECT_EQ(dbfColumn(dolzh, "DOLZH"), (Strings{"Должность 1", "Должность 2", "Должность 3", ""}));
}

// Typed cells of the streaming entry and the reference lists take what their fields hold, by
// the widths in the tables' headers. Streaming entry used to store "сорок тысяч" as a salary
// and cut a 17-digit one without a word.
TEST_F(Entry, TypedCellsTakeWhatTheirFieldsHold)
{
    struct Case {
        int attribute; // item of "Реквизит"
        const char *typed;
        const char *shown;
        const char *field;
    };
    const Case cases[] = {
        {1, "сорок тысяч", "", "OKLAD"},
        {1, "12345678901234567 руб.", "123456789012", "OKLAD"},
        {0, "Сидорова-Łukasz 😀", "Сидорова-ukasz ", "FIO"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        openFiltered();
        // The attribute list is a control of its own in the accessibility tree, not hidden
        // inside the grid, which announces only its cells.
        QAccessibleInterface *panel = QAccessible::queryAccessibleInterface(&obrab());
        bool listed = false;
        for (int i = 0; panel && i < panel->childCount(); ++i)
            listed = listed || panel->child(i)->object() == obrab().ComboBox4;
        EXPECT_TRUE(listed);

        obrab().ComboBox4->setCurrentIndex(c.attribute);
        QTest::keyClick(obrab().ComboBox4, Qt::Key_Return);
        // The salary entered before is not shown under another attribute.
        if (c.attribute == 0)
            EXPECT_EQ(obrab().ValueList->Cell(1, 1), "");
        const bool refused = *c.shown == '\0';
        EXPECT_EQ(typeIntoCell(*obrab().ValueList, 1, 1, QString::fromUtf8(c.typed), !refused),
                  QString::fromUtf8(c.shown));
        if (refused) {
            tools->close();
            continue;
        }
        Dialogs::queueAnswer(true);
        obrab().Button17->click();
        EXPECT_EQ(dbfColumn(dbfread(file(schema::OsnovaTable)), c.field)[2], QString::fromUtf8(c.shown).trimmed().toStdString());
    }
    EXPECT_EQ(messages(), QStringList());

    form->N2_3->trigger();
    TSpravPanel &sprav = *tools->PanelSprav;
    EXPECT_EQ(typeIntoCell(*sprav.StringGrid1, 1, 1, QStringLiteral("1a2")), QStringLiteral("12"));
    EXPECT_EQ(typeIntoCell(*sprav.StringGrid1, 2, 1, QString::fromUtf8("Отдел 😀 кадров")), QString::fromUtf8("Отдел  кадров"));
    sprav.Button10->click();
    const QJsonObject otdel = dbfread(file(schema::OtdelTable));
    EXPECT_EQ(dbfColumn(otdel, "NOM"), (Strings{"12"}));
    EXPECT_EQ(dbfColumn(otdel, "OTDEL"), (Strings{"Отдел  кадров"}));
}

TEST_F(Entry, UncheckedColumnLeavesTheListAndIsStored)
{
    const int columns = grid().ColCount();
    form->N2_7->trigger();
    EXPECT_EQ(tools->windowTitle().toStdString(), "Подбор колонок");
    TStolbPanel &stolb = *tools->PanelStolb;
    ASSERT_EQ(stolb.CheckListBox1->count(), 5);
    stolb.CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
    stolb.Button15->click();
    EXPECT_EQ(dbfColumn(dbfread(file(schema::StolbTable)), "POKAZ"), (Strings{"1", "0", "1", "1", "1"}));
    EXPECT_EQ(grid().ColCount(), columns - 1);
    EXPECT_EQ(stolb.CheckListBox1->accessibleName().toStdString(), "Выберите колонки основной таблицы");

    // A column removed in the settings during the run: the list's entries no longer match the
    // Stolb records by position, and a check mark must not land on the neighbouring column.
    DeleteRecord(state->Stolb, 1);
    form->N2_7->trigger();
    stolb.CheckListBox1->item(3)->setCheckState(Qt::Unchecked); // "Дата рождения"
    stolb.Button15->click();
    const QJsonObject stored = dbfread(file(schema::StolbTable));
    EXPECT_EQ(dbfColumn(stored, "POLE_BAZY"), (Strings{"OKLAD", "VID_RAB", "DATA_ROZHD", "ZVANIE"}));
    EXPECT_EQ(dbfColumn(stored, "POKAZ"), (Strings{"0", "1", "0", "1"}));
}

// Every control a person uses on these panels is announced by a name, and the window by its
// caption.
TEST_F(Entry, EveryInputOfThePanelsHasAnAccessibleName)
{
    for (QAction *opener : {form->N2_1, form->N3_1, form->N2_3, form->N2_7, form->N1_8}) {
        opener->trigger();
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(tools.get());
        ASSERT_TRUE(window);
        EXPECT_EQ(window->text(QAccessible::Name), tools->windowTitle());
        QWidget *panel = nullptr;
        for (QWidget *p : tools->panels())
            if (p->isVisible())
                panel = p;
        ASSERT_TRUE(panel);
        for (QWidget *w : panel->findChildren<QWidget *>()) {
            const bool input = qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) ||
                               qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QLineEdit *>(w) ||
                               qobject_cast<QAbstractItemView *>(w) || qobject_cast<QPlainTextEdit *>(w);
            // Parts of a composite control are announced through the control itself.
            QWidget *parent = w->parentWidget();
            const bool part = qobject_cast<QAbstractSpinBox *>(parent) || qobject_cast<QComboBox *>(parent) ||
                              w->inherits("QTableCornerButton") || w->inherits("QComboBoxListView") ||
                              w->inherits("QHeaderView");
            if (!input || part || w->isHidden())
                continue;
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
            ASSERT_TRUE(a);
            EXPECT_FALSE(a->text(QAccessible::Name).trimmed().isEmpty())
                << opener->text().toStdString() << ": " << w->metaObject()->className() << " "
                << w->objectName().toStdString();
        }
        tools->close();
    }
}

} // namespace
} // namespace veltor::test
