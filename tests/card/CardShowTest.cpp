// Showing the card: what the controls and grids show, and stored values that cannot be read.
#include "CardFixture.h"

#include "app/StringGrid.h"
#include "card/EducationEditor.h"
#include "card/ExtraPage.h"
#include "card/FamilyEditor.h"
#include "card/HrPage.h"
#include "card/MainPage.h"
#include "card/ParamsPage.h"
#include "card/CardWidgets.h"
#include "text/Errors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>

namespace veltor::test {
namespace {

class CardShow : public CardFixture {
protected:
    void SetUp() override
    {
        CardFixture::SetUp();
        add(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Бухгалтерия"}});
        add(schema::DolzhTable, {{"NOM", "1"}, {"DOLZH", "Бухгалтер"}});
        addEmployee(1, "Иванова Мария Петровна",
                    {{"SOKR_FIO", "М.П. Иванова"}, {"FIO_KOGO", "Ивановой М.П."}, {"POL", "f"},
                     {"OTDEL", "1"}, {"DOLZH", "1"}, {"OBRAZ", "3"}, {"UVOLEN", "1"}});
        addHistory(1, 1, {{"OTDEL", "1"}, {"DOLZH", "1"}, {"D_UVOL", "01.01.2021"}, {"PR_UVOL", "сокращение"}});
        addHistory(1, 2, {{"OTDEL", "7"}, {"VID_RAB", "2"}});
    }

    int hiddenColumn(const TStringGrid &grid, std::string_view name) const
    {
        return grid.isColumnHidden(FieldIndex(state->Trud.Header, name));
    }
};

TEST_F(CardShow, ControlsShowTheStoredValues)
{
    start();
    open(1);
    ASSERT_EQ(messages(), QStringList());
    auto *main = card->OsnovnList;
    EXPECT_EQ(main->Edit1->text(), QString::fromUtf8("Иванова Мария Петровна"));
    // The stored name forms win over the ones computed from the name.
    EXPECT_EQ(main->Edit16->text(), QString::fromUtf8("М.П. Иванова"));
    EXPECT_EQ(main->Edit17->text(), QString::fromUtf8("Ивановой М.П."));
    EXPECT_EQ(main->Edit2->text(), QString::fromUtf8("Бухгалтер"));
    EXPECT_EQ(main->ComboBox1->currentText(), QString::fromUtf8("Бухгалтерия"));
    EXPECT_EQ(main->RadioGroup1->ItemIndex(), 1);
    EXPECT_TRUE(main->CheckBox1->isChecked());
    EXPECT_EQ(main->CheckBox1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(card->DopList->PanelObraz->RadioGroup3->ItemIndex(), 3);
    EXPECT_EQ(card->SegodnjaData->date(), QDate::currentDate());
    EXPECT_EQ(card->PageControl1->currentIndex(), 0);
    EXPECT_TRUE(card->DopList->GroupBox6->isHidden());
    EXPECT_TRUE(main->EditData8->isHidden());
    EXPECT_EQ(main->EditData8->date(), QDate::currentDate());
    EXPECT_EQ(main->EditData1->date(), QDate(1900, 1, 1));
    EXPECT_EQ(card->KadrList->Edit18->text(), "12");
    EXPECT_EQ(card->KadrList->EditData7->date(), QDate::currentDate());
    EXPECT_TRUE(card->KadrList->EditData7->isHidden());
    EXPECT_EQ(card->KadrList->LabelUvol->text(), "LU");
    // No picture and no nonFoto.bmp: the label beneath shows through.
    EXPECT_FALSE(main->Foto2->hasPicture());
}

TEST_F(CardShow, HistoryGridNamesCodesAndShowsDismissalOnlyWhileDismissed)
{
    start();
    open(1);
    TStringGrid *grid = card->KadrList->StringGrid2;
    ASSERT_EQ(grid->RowCount(), 3);
    const int otdel = FieldIndex(state->Trud.Header, "OTDEL");
    const int kind = FieldIndex(state->Trud.Header, "VID_RAB");
    const int dolzh = FieldIndex(state->Trud.Header, "DOLZH");
    EXPECT_EQ(grid->cellText(otdel, 1), QString::fromUtf8("Бухгалтерия"));
    EXPECT_EQ(grid->cellText(otdel, 2), QString::fromUtf8("отдел удален"));
    EXPECT_EQ(grid->cellText(kind, 1), QString::fromUtf8("Постоянный сотрудник"));
    EXPECT_EQ(grid->cellText(kind, 2), QString::fromUtf8("Не указан"));
    EXPECT_EQ(grid->cellText(dolzh, 2), QString::fromUtf8("должность не указана"));
    EXPECT_EQ(grid->cellText(FieldIndex(state->Trud.Header, "D_POST"), 0), QString::fromUtf8("Дата приема"));
    EXPECT_TRUE(hiddenColumn(*grid, "KOD"));
    EXPECT_TRUE(hiddenColumn(*grid, "N_IZM"));
    // The older record holds a dismissal, the current one none.
    EXPECT_TRUE(hiddenColumn(*grid, "D_UVOL"));
    EXPECT_TRUE(hiddenColumn(*grid, "PR_UVOL"));
    EXPECT_FALSE(hiddenColumn(*grid, "ID_DOK"));
    // VID_RAB "2" leaves the list without a choice.
    EXPECT_EQ(card->KadrList->ComboBox2->currentIndex(), -1);

    EXPECT_TRUE(card->KadrList->GroupBox5->isHidden());
    card->Button19Click();
    EXPECT_FALSE(card->KadrList->GroupBox5->isHidden());
}

TEST_F(CardShow, EmptyListsShowOneBlankRow)
{
    start();
    open(1);
    auto *family = card->DopList->Family;
    EXPECT_EQ(family->StringGrid1->RowCount(), 2);
    EXPECT_EQ(family->FamilyIndex.size(), 1u);
    EXPECT_EQ(family->FamilyRow, 1);
    EXPECT_EQ(family->StringGrid1->cellText(FieldIndex(state->Semja.Header, "S_FIO"), 0),
              QString::fromUtf8("Фамилия Имя Отчество"));
    EXPECT_TRUE(family->StringGrid1->isColumnHidden(FieldIndex(state->Semja.Header, "S_TIP")));
    auto *education = card->DopList->PanelObraz;
    EXPECT_EQ(education->StringGrid3->RowCount(), 2);
    EXPECT_EQ(education->EducationIndex.size(), 1u);
    EXPECT_TRUE(education->StringGrid3->isColumnHidden(0));
    EXPECT_FALSE(education->StringGrid3->isColumnHidden(FieldIndex(state->Obraz.Header, "SPEC")));
}

TEST_F(CardShow, KonstantyWithNineRecordsGivesTwoParameterRows)
{
    addDopolnParameter("Номер пропуска");
    addDopolnParameter("Размер одежды");
    start();
    open(1);
    TStringGrid *grid = card->Dopolnitelno->StringGrid4;
    ASSERT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->cellText(0, 0), QString::fromUtf8("Параметр"));
    EXPECT_EQ(grid->cellText(1, 0), QString::fromUtf8("Значение"));
    EXPECT_EQ(grid->cellText(0, 1), QString::fromUtf8("Номер пропуска"));
    EXPECT_EQ(grid->cellText(0, 2), QString::fromUtf8("Размер одежды"));
}

TEST_F(CardShow, VisaAndMilitaryBoxesShowTheirControls)
{
    start();
    open(1);
    auto *main = card->OsnovnList;
    main->CheckBox2->setChecked(true);
    EXPECT_FALSE(main->EditData8->isHidden());
    main->CheckBox2->setChecked(false);
    EXPECT_TRUE(main->EditData8->isHidden());
    main->Button6Click();
    EXPECT_FALSE(main->GroupBox3->isHidden());
    EXPECT_TRUE(main->nameFormsGlyphAtTop());
    card->close();
    EXPECT_TRUE(main->GroupBox3->isHidden());
    EXPECT_FALSE(main->nameFormsGlyphAtTop());
}

// Every control a person types into, picks from or clicks is named by its visible label.
TEST_F(CardShow, ControlsHaveAccessibleNames)
{
    start();
    open(1);
    EXPECT_EQ(card->OsnovnList->Edit22->accessibleName(), QString::fromUtf8("Таб №"));
    EXPECT_EQ(card->OsnovnList->Edit3->accessibleName(), QString::fromUtf8("Оклад"));
    EXPECT_EQ(card->OsnovnList->Edit1->accessibleName(), QString::fromUtf8("Сотрудник"));
    for (QWidget *w : card->findChildren<QWidget *>()) {
        const bool input = qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) ||
                           qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QAbstractButton *>(w) ||
                           qobject_cast<TStringGrid *>(w);
        if (!input || w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
            continue;
        const QString name = w->accessibleName().isEmpty() ? qobject_cast<QAbstractButton *>(w)
                                                                  ? qobject_cast<QAbstractButton *>(w)->text()
                                                                  : QString()
                                                            : w->accessibleName();
        EXPECT_FALSE(name.isEmpty()) << w->objectName().toStdString();
    }
}

// A stored value that cannot be read is shown as empty and named in one message (table, field,
// employee, value); the card still opens and saves, so the clerk can correct it. This used to
// leave the card blank with "Сохранить" disabled and a message naming neither field nor person.
struct BadValue {
    std::string_view table;
    const char *field;
    const char *value;
};

void PrintTo(const BadValue &bad, std::ostream *out) { *out << bad.field << " \"" << bad.value << "\""; }

class CardBadValue : public CardShow, public ::testing::WithParamInterface<BadValue> {};

TEST_P(CardBadValue, IsShownEmptyNamedOnceAndCanBeCorrected)
{
    addEmployee(2, "Сергеев");
    addHistory(2, 1);
    const BadValue bad = GetParam();
    LoadedTable t = disk(bad.table);
    // Employee 1's records: the first of each table, in Trud.dbf the second, its current one.
    const int record = bad.table == schema::TrudTable ? 2 : 1;
    SetField(t.Header, record, FieldIndex(t.Header, bad.field), t.Data, cp(bad.value));
    WriteTable(file(bad.table), t);
    start();
    open(1);
    ASSERT_EQ(messages().size(), 1);
    for (const QString &part : {QString::fromUtf8(bad.value), QString::fromUtf8(bad.field),
                                QString::fromStdString(std::string(bad.table)), QString::fromUtf8("Иванова")})
        EXPECT_TRUE(messages()[0].contains(part, Qt::CaseInsensitive)) << messages()[0].toStdString();
    EXPECT_TRUE(card->loaded());
    EXPECT_TRUE(card->Button2->isEnabled());
    EXPECT_EQ(card->OsnovnList->Edit1->text(), QString::fromUtf8("Иванова Мария Петровна"));

    save();
    EXPECT_TRUE(card->isHidden());
    const LoadedTable after = disk(bad.table);
    // The employee's current record after the save (a changed date adds a history record).
    const int current = bad.table == schema::TrudTable ? after.Header.RecordCount : 1;
    const std::string stored = field(after, current, bad.field);
    Date date;
    int32_t number = 0;
    EXPECT_TRUE(stored.empty() || tryStrToDate(stored, date) || tryStrToInt(stored, number)) << stored;

    Dialogs::clearRecorded();
    open(2);
    EXPECT_EQ(messages(), QStringList());
    EXPECT_EQ(card->OsnovnList->Edit1->text(), QString::fromUtf8("Сергеев"));
}

INSTANTIATE_TEST_SUITE_P(Values, CardBadValue,
                         ::testing::Values(BadValue{schema::PassportTable, "PASS_DATA", "31.02.2006"},
                                           BadValue{schema::PassportTable, "DATA_ROZHD", "12.03.85"},
                                           BadValue{schema::PassportTable, "VIZA_DATA", "1.1.06"},
                                           BadValue{schema::TrudTable, "D_DOG", "00.00.0000"},
                                           BadValue{schema::TrudTable, "D_PRIL", "29.02.2023"},
                                           BadValue{schema::OsnovaTable, "OBRAZ", "в"},
                                           BadValue{schema::TrudTable, "D_POST", "2020-01-01"},
                                           BadValue{schema::TrudTable, "VID_RAB", "п"},
                                           BadValue{schema::TrudTable, "D_UVOL", "32.01.2020"}),
                         [](const auto &info) { return std::string(info.param.field); });

// Without a current employee (nothing selected yet, or no tables at all) the card is empty and
// refuses to save instead of writing records without a code.
TEST_F(CardShow, NoCurrentEmployeeShowsAnEmptyCardThatCannotSave)
{
    start();
    card->show();
    EXPECT_EQ(messages(), QStringList());
    EXPECT_FALSE(card->loaded());
    EXPECT_FALSE(card->Button2->isEnabled());
    EXPECT_THROW(card->Button2Click(), VeltorError);
    card->close();

    AppState empty;
    TForm1 main(empty);
    TForm2 bare(empty, main);
    bare.show();
    EXPECT_EQ(messages(), QStringList());
    EXPECT_FALSE(bare.loaded());
    bare.close();
}

TEST_F(CardShow, UnreadablePhotoIsReportedAfterEverythingElse)
{
    LoadedTable t = disk(schema::OsnovaTable);
    SetField(t.Header, 1, FieldIndex(t.Header, "FOTO"), t.Data, pathToCp1251(root / "missing.jpg"));
    WriteTable(file(schema::OsnovaTable), t);
    start();
    open(1);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("missing.jpg"));
    EXPECT_TRUE(card->loaded());
    EXPECT_EQ(card->Dopolnitelno->StringGrid4->RowCount(), 1);
    EXPECT_EQ(card->KadrList->StringGrid2->RowCount(), 3);
}

} // namespace
} // namespace veltor::test
