// The settings panel: additional parameters added and removed with their fields and columns,
// another database folder, the director picker, templates and columns added and removed.
// Files are read back by dbfread.
#include "support/DbfRead.h"
#include "ListToolsFixture.h"

#include "card/CardWidgets.h"
#include "listtools/SettingsPanel.h"
#include "listtools/SpravPanel.h"
#include "printing/AfterFilling.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QTabWidget>
#include <QToolButton>

namespace veltor::test {
namespace {

class Settings : public ListToolsFixture {
protected:
    void SetUp() override
    {
        ListToolsFixture::SetUp();
        LoadedTable k = ReadTable(file(schema::KonstantyTable));
        SetField(k.Header, 2, FieldIndex(k.Header, "PEREMEN"), k.Data, "DIREKTOR");
        WriteTable(file(schema::KonstantyTable), k);
        addColumn("ФИО", "FIO", "1");
        for (const char *name : {"Табельный номер", "Разряд", "Смена"})
            addDopolnParameter(name);
        add(schema::PechatTable, {{"NOM", "1"}, {"SHABLON", "Анкета"}, {"FAIL", "/t/anketa.rtf"}});
        addEmployee(1, "Иванов Иван Иванович");
        addEmployee(2, "Петрова Анна Сергеевна");
        LoadedTable d = ReadTable(file(schema::DopolnTable));
        SetField(d.Header, 2, FieldIndex(d.Header, "DOPOLN3"), d.Data, cp("ночная"));
        WriteTable(file(schema::DopolnTable), d);
        start();
        state->Pechat = ReadTable(file(schema::PechatTable)); // start-up reads it too

    }

    TSettingsPanel &panel() const { return *tools->PanelNastr; }
    void open() { form->N2_1->trigger(); }
    void ok() { panel().Button4->click(); }
    void edit(TStringGrid &g, int col, int row, const QString &text)
    {
        g.model()->setData(g.model()->index(row - g.FixedRows(), col), text, Qt::EditRole);
    }
};

TEST_F(Settings, WhatFollowsAFilledDocumentIsRememberedByOk)
{
    QStandardPaths::setTestModeEnabled(true); // the user's own settings stay untouched
    setAfterFilling(AfterFilling::OpenInEditor);
    open();
    EXPECT_EQ(panel().AfterFillingGroup->ItemIndex(), 0);
    EXPECT_EQ(panel().AfterFillingGroup->button(1)->text().remove(u'&'), QString::fromUtf8("показать просмотр"));
    panel().AfterFillingGroup->button(2)->click();
    panel().Button5->click(); // "Отмена" keeps the stored choice
    EXPECT_EQ(afterFilling(), AfterFilling::OpenInEditor);

    open();
    panel().AfterFillingGroup->button(1)->click();
    ok();
    EXPECT_EQ(afterFilling(), AfterFilling::ShowPreview);
    open();
    EXPECT_EQ(panel().AfterFillingGroup->ItemIndex(), 1);
    setAfterFilling(AfterFilling::OpenInEditor);
}

TEST_F(Settings, AdditionalParametersComeAndGoWithTheirFieldsFoundByTheirKey)
{
    open();
    EXPECT_EQ(panel().SpinEdit1->value(), 3);
    panel().SpinEdit1->setValue(5);
    ok();
    EXPECT_FALSE(tools->isVisible());
    EXPECT_EQ(state->ExtraParamCount, 5);
    QJsonObject konst = dbfread(file(schema::KonstantyTable));
    EXPECT_EQ(dbfColumn(konst, "PEREMEN").back(), "DOPOLN5");
    EXPECT_EQ(dbfColumn(konst, "N").back(), "12");
    EXPECT_EQ(dbfColumn(konst, "ZNACHEN").back(), "Дополнительный 5");
    QJsonObject stolb = dbfread(file(schema::StolbTable));
    EXPECT_EQ(dbfColumn(stolb, "POLE_BAZY"), (std::vector<std::string>{"FIO", "DOPOLN4", "DOPOLN5"}));
    EXPECT_EQ(dbfColumn(stolb, "NOM"), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(dbfColumn(stolb, "POKAZ"), (std::vector<std::string>{"1", "0", "0"}));
    EXPECT_EQ(dbfColumn(stolb, "NOMER_BAZY").back(), "5");
    EXPECT_EQ(dbfColumn(stolb, "SHIRINA").back(), "30");
    QJsonObject dopoln = dbfread(file(schema::DopolnTable));
    EXPECT_EQ(dbfFieldNames(dopoln),
              (std::vector<std::string>{"KOD", "DOPOLN1", "DOPOLN2", "DOPOLN3", "DOPOLN4", "DOPOLN5"}));
    EXPECT_EQ(dopoln["fields"].toArray()[5].toArray()[2].toInt(), 50);

    // A column added after the parameters' columns must survive their removal; declining the
    // removal first keeps everything.
    open();
    EXPECT_EQ(panel().SpinEdit1->value(), 5);
    Dialogs::queueAnswer(true);
    panel().SpeedButton3->click();
    edit(*panel().StringGrid2, 4, 4, "INN");
    panel().SpinEdit1->setValue(3);
    Dialogs::queueAnswer(false);
    ok();
    EXPECT_EQ(state->ExtraParamCount, 5);
    EXPECT_EQ(dbfFieldNames(dbfread(file(schema::DopolnTable))).size(), 6u);
    EXPECT_EQ(dbfColumn(dbfread(file(schema::StolbTable)), "POLE_BAZY").size(), 4u);

    open();
    panel().SpinEdit1->setValue(3);
    Dialogs::queueAnswer(true);
    ok();
    EXPECT_EQ(state->ExtraParamCount, 3);
    konst = dbfread(file(schema::KonstantyTable));
    EXPECT_EQ(konst["count"].toInt(), 10);
    EXPECT_EQ(dbfColumn(konst, "PEREMEN").back(), "DOPOLN3");
    stolb = dbfread(file(schema::StolbTable));
    EXPECT_EQ(dbfColumn(stolb, "POLE_BAZY"), (std::vector<std::string>{"FIO", "INN"}));
    EXPECT_EQ(dbfColumn(stolb, "NOM"), (std::vector<std::string>{"1", "4"}));
    dopoln = dbfread(file(schema::DopolnTable));
    EXPECT_EQ(dbfFieldNames(dopoln), (std::vector<std::string>{"KOD", "DOPOLN1", "DOPOLN2", "DOPOLN3"}));
    EXPECT_EQ(dbfColumn(dopoln, "DOPOLN3"), (std::vector<std::string>{"", "ночная"}));
}

TEST_F(Settings, AnotherDatabaseFolderIsReadWholeOrNotAtAll)
{
    const std::filesystem::path other = root / "other";
    schema::createEmptyDatabase(other);
    auto addTo = [&](std::string_view table, const Fields &fields) {
        LoadedTable t = ReadTable(resolveFileName(other, table));
        AppendBlankRecord(t.Header, t.Data);
        for (const auto &[name, value] : fields)
            SetField(t.Header, t.Header.RecordCount, FieldIndex(t.Header, name), t.Data, cp(value));
        WriteTable(resolveFileName(other, table), t);
    };
    addTo(schema::OsnovaTable, {{"KOD", "7"}, {"FIO", "Сидоров Петр"}});
    addTo(schema::OtdelTable, {{"NOM", "1"}, {"OTDEL", "Склад"}});
    for (int k = 1; k <= 3; ++k) {
        LoadedTable d = ReadTable(resolveFileName(other, schema::DopolnTable));
        AddField(d.Header, d.Data, schema::dopolnFieldName(k), 50, 'C');
        WriteTable(resolveFileName(other, schema::DopolnTable), d);
    }

    // A folder without tables: said plainly, the old database stays loaded and configured.
    const std::filesystem::path empty = root / "empty";
    std::filesystem::create_directories(empty);
    open();
    panel().Edit3->setText(pathToQString(empty / "osnova.dbf"));
    ok();
    ASSERT_FALSE(messages().isEmpty());
    EXPECT_TRUE(messages().first().contains(QString::fromUtf8("нет таблиц")));
    EXPECT_EQ(pathFromCp1251(state->MainTablePath), database / "osnova.dbf");
    EXPECT_EQ(column(1), (std::vector<std::string>{"Иванов Иван Иванович", "Петрова Анна Сергеевна"}));
    EXPECT_NE(bytesOf(program / "config.ini").find(pathToCp1251(database)), std::string::npos);

    open();
    panel().Edit3->setText(pathToQString(other / "osnova.dbf"));
    ok();
    EXPECT_EQ(column(1), (std::vector<std::string>{"Сидоров Петр"}));
    const std::string ini = bytesOf(program / "config.ini");
    EXPECT_EQ(ini.substr(0, 7), "[PUT]\r\n");
    EXPECT_NE(ini.find(pathToCp1251(other / "osnova.dbf") + "\r\n[DOK]"), std::string::npos);

    // Saving a reference list now writes the new database's departments, not the old ones.
    form->N2_3->trigger();
    tools->PanelSprav->Button10->click();
    EXPECT_EQ(dbfColumn(dbfread(other / "otdel.dbf"), "OTDEL"), (std::vector<std::string>{"Склад"}));
    EXPECT_EQ(dbfread(database / "otdel.dbf")["count"].toInt(), 0);
}

TEST_F(Settings, DirectorTemplatesAndColumnsAndCancel)
{
    open();
    panel().PageControl1->setCurrentWidget(panel().KonstList);
    TStringGrid &konst = *panel().StringGrid3;
    konst.setRow(2);
    panel().StringGrid3SelectCell(4, 2);
    ASSERT_TRUE(panel().ComboBox9->isVisible());
    EXPECT_EQ(panel().ComboBox9->count(), 2);
    // Keyboard alone: arrows choose, Enter returns to the grid.
    QTest::keyClick(panel().ComboBox9, Qt::Key_Down);
    QTest::keyClick(panel().ComboBox9, Qt::Key_Down);
    EXPECT_TRUE(panel().ComboBox9->isVisible());
    QTest::keyClick(panel().ComboBox9, Qt::Key_Return);
    EXPECT_EQ(cp1251ToUtf8(konst.Cell(4, 2)), "Петрова Анна Сергеевна");
    EXPECT_FALSE(panel().ComboBox9->isVisible());

    // Templates: added with the next number, removed without a question.
    panel().SpeedButton5->click();
    panel().SpeedButton5->click();
    edit(*panel().StringGrid4, 2, 3, QString::fromUtf8("Справка"));
    panel().StringGrid4->setRow(2);
    panel().StringGrid4SelectCell(2, 2);
    panel().SpeedButton6->click();
    // Columns: removal asks; No keeps the column.
    panel().StringGrid2->setRow(1);
    panel().SpeedButton4->click();
    EXPECT_EQ(Dialogs::askedQuestions().size(), 1);
    EXPECT_EQ(state->Stolb.Header.RecordCount, 1);
    ok();
    QJsonObject k = dbfread(file(schema::KonstantyTable));
    EXPECT_EQ(dbfColumn(k, "ZNACHEN")[1], "2");
    const QJsonObject pechat = dbfread(file(schema::PechatTable));
    EXPECT_EQ(dbfColumn(pechat, "NOM"), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(dbfColumn(pechat, "SHABLON"), (std::vector<std::string>{"Анкета", "Справка"}));

    open();
    EXPECT_EQ(cp1251ToUtf8(panel().StringGrid3->Cell(4, 2)), "Петрова Анна Сергеевна");
    // "Отмена" with an edit asks whether to save it; Отмена keeps the window, Нет drops the
    // edit, so no later save writes it unasked.
    const std::string before = bytesOf(file(schema::KonstantyTable));
    const std::string stored = GetField(state->Konstanty.Header, state->Konstanty.Data, 3, 4);
    edit(*panel().StringGrid3, 4, 3, QString::fromUtf8("ООО Ромашка"));
    Dialogs::clearRecorded();
    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Cancel);
    panel().Button5->click();
    EXPECT_TRUE(tools->isVisible());
    Dialogs::queueSaveChoice(Dialogs::SaveChoice::Drop);
    panel().Button5->click();
    EXPECT_FALSE(tools->isVisible());
    EXPECT_EQ(Dialogs::askedQuestions().size(), 2);
    EXPECT_EQ(bytesOf(file(schema::KonstantyTable)), before);
    EXPECT_EQ(GetField(state->Konstanty.Header, state->Konstanty.Data, 3, 4), stored);
}

// A column's width takes digits only (a width that is not a number used to stop the next
// start-up), and a constant what its field holds.
TEST_F(Settings, TypedCellsTakeWhatTheirFieldsHold)
{
    open();
    EXPECT_EQ(typeIntoCell(*panel().StringGrid2, 3, 1, QString::fromUtf8("3а0")), QStringLiteral("30"));
    EXPECT_EQ(typeIntoCell(*panel().StringGrid3, 4, 3, QString::fromUtf8("ООО «Ромашка» 😀")),
              QString::fromUtf8("ООО «Ромашка» "));
    ok();
    EXPECT_EQ(dbfColumn(dbfread(file(schema::StolbTable)), "SHIRINA")[0], "30");
    EXPECT_EQ(dbfColumn(dbfread(file(schema::KonstantyTable)), "ZNACHEN")[2], "ООО «Ромашка»");
}

TEST_F(Settings, ConfigLinesAndThePayrollInterface)
{
    open();
    panel().RadioGroup2->setItemIndex(0);
    panel().RadioGroup9->setItemIndex(1);
    panel().RadioGroup1->button(1)->click();
    EXPECT_FALSE(state->SavePrintedDocuments);
    ok();
    EXPECT_EQ(messages().value(0).toStdString(), "Не найден файл Config.ini, сейчас он будет создан");
    std::string ini = bytesOf(program / "config.ini");
    EXPECT_NE(ini.find("[INTERFACE]\r\n0\r\n[VID]\r\n01\r\n"), std::string::npos) << ini;
    EXPECT_EQ(state->PositionListMode, 1);
    EXPECT_FALSE(form->previewVisible());

    state->InterfaceMode = 1;
    open();
    EXPECT_TRUE(panel().SpinEdit1->isHidden());
    EXPECT_TRUE(panel().RadioGroup9->isHidden());
    EXPECT_FALSE(panel().PageControl1->isTabVisible(3));
    ok();
    ini = bytesOf(program / "config.ini");
    EXPECT_NE(ini.find("[INTERFACE]\r\n1\r\n[VID]\r\n01\r\n"), std::string::npos) << ini;
    // Every input is named for assistive technology.
    for (QWidget *w : {static_cast<QWidget *>(panel().Edit3), static_cast<QWidget *>(panel().Edit4),
                       static_cast<QWidget *>(panel().Edit5), static_cast<QWidget *>(panel().SpinEdit1)})
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
}

// The pickers opened wherever the program was started; the clerk had to walk to the database
// and templates folders each time.
TEST_F(Settings, FilePickersOpenWhereTheCurrentSettingPoints)
{
    open();
    std::filesystem::create_directories(root / "Шаблоны");
    panel().Edit3->setText(pathToQString(database / "osnova.dbf"));
    panel().Edit4->setText(pathToQString(root / "Шаблоны") + '/');
    panel().Edit5->setText(pathToQString(root / "нет такой папки" / "и этой"));
    panel().Button6Click();
    panel().Button12Click();
    panel().Button8Click();
    EXPECT_EQ(Dialogs::startFolders(),
              QStringList({pathToQString(database), pathToQString(root / "Шаблоны"), QString()}));
    // A folder setting that names a missing folder opens in the folder above it when that exists.
    Dialogs::clearRecorded();
    panel().Edit5->setText(pathToQString(root / "нет такой папки"));
    panel().Button8Click();
    EXPECT_EQ(Dialogs::startFolders(), QStringList({pathToQString(root)}));
}

} // namespace
} // namespace veltor::test
