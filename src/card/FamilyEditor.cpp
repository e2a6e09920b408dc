#include "card/FamilyEditor.h"

#include "app/DatePicker.h"
#include "app/Dialogs.h"
#include "app/FieldInput.h"
#include "app/Guard.h"
#include "app/QtText.h"
#include "app/StringGrid.h"
#include "card/CardLists.h"
#include "card/CardWidgets.h"
#include "storage/Schema.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

const char *const NewMemberCaption = "Введение нового члена семьи";
const char *const EditMemberCaption = "Редактирование данных члена семьи";
const char *const StaleListMessage =
    "Список членов семьи изменился в другом окне (удален сотрудник или перечитаны таблицы) и "
    "показан заново. Изменение не выполнено: выберите члена семьи и повторите.";

QPushButton *smallButton(const char *caption, const char *name, const char *hint, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedWidth(30);
    button->setAccessibleName(QString::fromUtf8(caption));
    if (hint) {
        button->setToolTip(QString::fromUtf8(hint));
        button->setAccessibleDescription(QString::fromUtf8(hint));
    }
    return button;
}

} // namespace

TFamilyEditor::TFamilyEditor(AppState &state, QWidget *page) : QWidget(page), m_state(state)
{
    setObjectName("FamilyList");
    createList();
    createEditor(page);
}

void TFamilyEditor::createList()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    StringGrid1 = new TStringGrid(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setRowSelect(true);
    StringGrid1->setFixedHeight(112);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    LabelFamily = makeLabel(u("Сведения о семье :"), StringGrid1, this, "LabelFamily");
    layout->addWidget(LabelFamily);
    auto *row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(StringGrid1, 1);
    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(2);
    Button7 = smallButton("+", "Button7", "Добавить нового члена семьи", this);
    Button8 = smallButton("-", "Button8", "Удалить из списка", this);
    Button9 = smallButton("и", "Button9", "Исправить данные", this);
    buttons->addWidget(Button7);
    buttons->addWidget(Button8);
    buttons->addWidget(Button9);
    buttons->addStretch(1);
    row->addLayout(buttons);
    layout->addLayout(row);

    connect(Button7, &QPushButton::clicked, this, guarded(this, [this] { Button7Click(); }));
    connect(Button8, &QPushButton::clicked, this, guarded(this, [this] { Button8Click(); }));
    connect(Button9, &QPushButton::clicked, this, guarded(this, [this] { Button9Click(); }));
    connect(StringGrid1, &TStringGrid::selectCell, this,
            guarded(this, [this](int col, int row) { StringGrid1SelectCell(col, row); }));
    connect(StringGrid1, &TStringGrid::dblClicked, this, guarded(this, [this] { StringGrid1DblClick(); }));
}

void TFamilyEditor::createEditor(QWidget *page)
{
    GroupBox4 = new QGroupBox(u(NewMemberCaption), page);
    GroupBox4->setObjectName("GroupBox4");
    GroupBox4->setAutoFillBackground(true);
    auto *grid = new QGridLayout(GroupBox4);
    grid->setVerticalSpacing(3);

    RadioGroup2 = new TRadioGroup(u("Тип родства"), {u("Родитель"), u("Супруг(а)"), u("Дети"), u("Другое")}, 1,
                                  GroupBox4);
    RadioGroup2->setObjectName("RadioGroup2");
    RadioGroup2->setItemIndex(1);
    grid->addWidget(RadioGroup2, 0, 0, 4, 1, Qt::AlignTop);

    Edit21 = new QLineEdit(GroupBox4);
    Edit21->setObjectName("Edit21");
    Label25 = makeLabel(u("Кто именно? (жена, отец и т.п.)"), Edit21, GroupBox4, "Label25");
    grid->addWidget(Label25, 0, 1);
    grid->addWidget(Edit21, 1, 1);
    LabeledEdit1 = new QLineEdit(GroupBox4);
    LabeledEdit1->setObjectName("LabeledEdit1");
    grid->addWidget(makeLabel(u("Фамилия Имя Отчество"), LabeledEdit1, GroupBox4, "LabeledEdit1Label"), 0, 2);
    grid->addWidget(LabeledEdit1, 1, 2);

    LabeledEdit2 = new QLineEdit(GroupBox4);
    LabeledEdit2->setObjectName("LabeledEdit2");
    Button12 = new QPushButton(QStringLiteral("<=>"), GroupBox4);
    Button12->setObjectName("Button12");
    Button12->setToolTip(u("Скопировать адрес прописки"));
    Button12->setAccessibleName(QStringLiteral("<=>"));
    Button12->setAccessibleDescription(u("Скопировать адрес прописки"));
    Button12->setFixedWidth(40);
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(LabeledEdit2, 1);
    addressRow->addWidget(Button12);
    grid->addWidget(makeLabel(u("Адрес проживания"), LabeledEdit2, GroupBox4, "LabeledEdit2Label"), 2, 1, 1, 2);
    grid->addLayout(addressRow, 3, 1, 1, 2);

    CheckBox4 = new QCheckBox(u("Точная дата рождения"), GroupBox4);
    CheckBox4->setObjectName("CheckBox4");
    CheckBox4->setChecked(true);
    EditData6 = createDatePicker(GroupBox4, "EditData6");
    EditData6->setAccessibleName(u("Точная дата рождения"));
    Edit28 = new QLineEdit(GroupBox4);
    Edit28->setObjectName("Edit28");
    Edit28->setMaximumWidth(60);
    Label30 = makeLabel(u("Год рождения"), Edit28, GroupBox4, "Label30");
    Label30->hide();
    Edit28->hide();
    Button10 = new QPushButton(u("О К"), GroupBox4);
    Button10->setObjectName("Button10");
    Button11 = new QPushButton(u("Отмена"), GroupBox4);
    Button11->setObjectName("Button11");
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(CheckBox4);
    bottom->addWidget(EditData6);
    bottom->addWidget(Label30);
    bottom->addWidget(Edit28);
    bottom->addStretch(1);
    bottom->addWidget(Button10);
    bottom->addWidget(Button11);
    grid->addLayout(bottom, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 2);
    GroupBox4->hide();
    limitInputs();
    keepPlaced(GroupBox4, [this, page] { return QRect(0, 0, page->width(), GroupBox4->sizeHint().height()); });

    connect(Button10, &QPushButton::clicked, this, guarded(this, [this] { Button10Click(); }));
    connect(Button11, &QPushButton::clicked, this, guarded(this, [this] { Button11Click(); }));
    connect(Button12, &QPushButton::clicked, this, guarded(this, [this] { Button12Click(); }));
    connect(CheckBox4, &QCheckBox::toggled, this, guarded(this, [this] { CheckBox4Click(); }));
}

void TFamilyEditor::setWritable(bool on)
{
    m_writable = on;
    for (QWidget *w : {static_cast<QWidget *>(Button7), static_cast<QWidget *>(Button8),
                       static_cast<QWidget *>(Button9)})
        w->setEnabled(on);
}

void TFamilyEditor::zapolnenietablitsySemja()
{
    Edit28->clear();
    const int row = StringGrid1->Row();
    const LoadedTable &semja = m_state.Semja;
    EmployeeSelection selection = selectEmployeeRecords(semja, m_code);
    FamilyIndex = std::move(selection.index);
    TableToGrid(selection.header, selection.data, *StringGrid1);
    // The list is changed through the editor only.
    StringGrid1->setEditing(false);

    layOutColumns(*StringGrid1, semja.Header, {
        {schema::KOD, -1, nullptr},
        {schema::S_TIP, -1, nullptr},
        {schema::S_TIP_N, 50, "Тип"},
        {schema::S_FIO, 200, "Фамилия Имя Отчество"},
        {schema::S_ADRES, 200, "Адрес проживания"},
        {schema::S_ROZHD, 90, "Дата рождения"},
    });
    widenColumnsToText(*StringGrid1);
    selectRow(row);
}

void TFamilyEditor::selectRow(int row)
{
    const int selected = selectGridRow(*StringGrid1, row);
    if (selected > 0)
        FamilyRow = selected;
}

bool TFamilyEditor::editingNew() const { return GroupBox4->title() == u(NewMemberCaption); }

bool TFamilyEditor::listStillCurrent()
{
    if (indexStillCurrent(m_state.Semja, m_code, FamilyIndex))
        return true;
    zapolnenietablitsySemja();
    Dialogs::message(u(StaleListMessage), this);
    return false;
}

// Each member starts from an exact date of today; a member without a stored birth date then
// shows an empty year, so it is written back without one.
void TFamilyEditor::resetBirthDate()
{
    setPickerDate(*EditData6, today());
    Edit28->clear();
    CheckBox4->setChecked(true);
    CheckBox4Click();
}

void TFamilyEditor::openEditor()
{
    if (m_educationPanel)
        m_educationPanel->hide();
    StringGrid1->setEnabled(false);
    setWritable(false);
    GroupBox4->show();
    GroupBox4->raise();
    Edit21->setFocus();
}

void TFamilyEditor::closeEditorShowingPanel()
{
    GroupBox4->hide();
    StringGrid1->setEnabled(true);
    setWritable(true);
    if (m_educationPanel)
        m_educationPanel->show();
}

void TFamilyEditor::closeEditor() { closeEditorShowingPanel(); }

void TFamilyEditor::Button7Click()
{
    if (!m_writable)
        return;
    GroupBox4->setTitle(u(NewMemberCaption));
    Edit21->clear();
    LabeledEdit1->clear();
    LabeledEdit2->clear();
    resetBirthDate();
    RadioGroup2->setItemIndex(1);
    // The member is appended by "О К": a record made now could be read away (the tables read
    // anew) and "О К" would then write over another member of the family.
    openEditor();
}

void TFamilyEditor::Button9Click()
{
    if (!m_writable || !listStillCurrent())
        return;
    const int kind = FieldIndex(m_state.Semja.Header, schema::S_TIP);
    auto cell = [this](std::string_view field) {
        return StringGrid1->Cell(FieldIndex(m_state.Semja.Header, field), FamilyRow);
    };
    // The birth date is read first: a stored text that is no date leaves the editor closed.
    const std::optional<BirthDateShown> birth = birthDateShown(cell(schema::S_ROZHD), today());
    GroupBox4->setTitle(u(EditMemberCaption));
    RadioGroup2->setItemIndex(kinshipItem(StringGrid1->Cell(kind, FamilyRow)));
    Edit21->setText(toQ(cell(schema::S_TIP_N)));
    LabeledEdit1->setText(toQ(cell(schema::S_FIO)));
    LabeledEdit2->setText(toQ(cell(schema::S_ADRES)));
    resetBirthDate();
    if (!birth) {
        // No birth date stored: an empty year, not the date the previous member left.
        CheckBox4->setChecked(false);
    } else if (birth->exact) {
        setPickerDate(*EditData6, birth->date);
    } else {
        CheckBox4->setChecked(false);
        Edit28->setText(toQ(birth->year));
        setPickerDate(*EditData6, birth->date);
    }
    CheckBox4Click();
    openEditor();
}

void TFamilyEditor::Button10Click()
{
    LoadedTable &semja = m_state.Semja;
    int record = 0;
    if (editingNew()) {
        record = appendRecordWithCode(semja, m_code);
    } else if (!listStillCurrent()) {
        closeEditorShowingPanel();
        return;
    } else if (FamilyIndex.size() < 2) {
        // The list was empty: "и" opened the editor on the blank row.
        record = appendRecordWithCode(semja, m_code);
    } else if (FamilyRow >= 1 && FamilyRow < static_cast<int>(FamilyIndex.size())) {
        record = FamilyIndex[FamilyRow];
    }
    if (record > 0) {
        FamilyMember member;
        member.kinship = RadioGroup2->ItemIndex();
        member.who = fromQ(Edit21->text());
        member.name = fromQ(LabeledEdit1->text());
        member.address = fromQ(LabeledEdit2->text());
        member.exactBirthDate = !EditData6->isHidden();
        member.birthDate = pickerDate(*EditData6);
        member.birthYear = fromQ(Edit28->text());
        writeFamilyMember(semja, record, member);
    }
    zapolnenietablitsySemja();
    closeEditorShowingPanel();
}

void TFamilyEditor::Button11Click()
{
    // A new member is appended only by "О К": nothing to take back.
    zapolnenietablitsySemja();
    closeEditorShowingPanel();
}

void TFamilyEditor::Button8Click()
{
    if (!m_writable || FamilyIndex.size() < 2)
        return;
    if (FamilyRow < 1 || FamilyRow >= static_cast<int>(FamilyIndex.size()) || !listStillCurrent())
        return;
    DeleteRecord(m_state.Semja, FamilyIndex[FamilyRow]);
    zapolnenietablitsySemja();
}

void TFamilyEditor::Button12Click()
{
    if (m_address)
        LabeledEdit2->setText(m_address());
}

void TFamilyEditor::CheckBox4Click()
{
    const bool exact = CheckBox4->isChecked();
    EditData6->setVisible(exact);
    Label30->setVisible(!exact);
    Edit28->setVisible(!exact);
}

void TFamilyEditor::StringGrid1SelectCell(int, int row) { FamilyRow = row; }

void TFamilyEditor::StringGrid1DblClick() { Button9Click(); }

// The editor's inputs take what semja.dbf's fields hold.
void TFamilyEditor::limitInputs()
{
    const LoadedTable &semja = m_state.Semja;
    bindToField(Edit21, semja, schema::S_TIP_N);
    bindToField(LabeledEdit1, semja, schema::S_FIO);
    bindToField(LabeledEdit2, semja, schema::S_ADRES);
    // A year alone is stored as six blanks and its four digits.
    bindToField(Edit28, semja, schema::S_ROZHD, FieldInputKind::Digits);
    Edit28->setMaxLength(4);
}

} // namespace veltor
