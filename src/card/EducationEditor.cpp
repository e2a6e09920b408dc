#include "card/EducationEditor.h"

#include "app/Dialogs.h"
#include "app/FieldInput.h"
#include "app/Guard.h"
#include "app/QtText.h"
#include "app/StringGrid.h"
#include "card/CardLists.h"
#include "card/CardWidgets.h"
#include "storage/Schema.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

const char *const StaleListMessage =
    "Список образования изменился в другом окне (удален сотрудник или перечитаны таблицы) и "
    "показан заново. Изменение не выполнено: выберите запись и повторите.";

QPushButton *smallButton(const char *caption, const char *name, const char *hint, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedWidth(30);
    button->setAccessibleName(QString::fromUtf8(caption));
    button->setToolTip(QString::fromUtf8(hint));
    button->setAccessibleDescription(QString::fromUtf8(hint));
    return button;
}

QLineEdit *lineEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

TEducationEditor::TEducationEditor(AppState &state, QWidget *page) : QFrame(page), m_state(state)
{
    setObjectName("PanelObraz");
    createPanel();
    createEditor(page);
}

void TEducationEditor::createPanel()
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(4);
    StringGrid3 = new TStringGrid(this);
    StringGrid3->setObjectName("StringGrid3");
    StringGrid3->setAccessibleName(u("Учебные заведения"));
    StringGrid3->setRowSelect(true);
    StringGrid3->setFixedHeight(100);
    StringGrid3->installEventFilter(this);
    layout->addWidget(StringGrid3, 1, Qt::AlignTop);
    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(2);
    Button14 = smallButton("+", "Button14", "Добавить новое учебное заведение.специальность", this);
    Button15 = smallButton("-", "Button15", "Удалить из списка", this);
    Button16 = smallButton("и", "Button16", "Исправить данные", this);
    buttons->addWidget(Button14);
    buttons->addWidget(Button15);
    buttons->addWidget(Button16);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    RadioGroup3 = new TRadioGroup(u("Образование"),
                                  {u("Начальное"), u("Среднее"), u("Средне-специал."), u("Высшее"),
                                   u("Ученая степень")},
                                  1, this);
    RadioGroup3->setObjectName("RadioGroup3");
    layout->addWidget(RadioGroup3);

    connect(Button14, &QPushButton::clicked, this, guarded(this, [this] { Button14Click(); }));
    connect(Button15, &QPushButton::clicked, this, guarded(this, [this] { Button15Click(); }));
    connect(Button16, &QPushButton::clicked, this, guarded(this, [this] { Button16Click(); }));
    connect(StringGrid3, &TStringGrid::selectCell, this,
            guarded(this, [this](int col, int row) { StringGrid3SelectCell(col, row); }));
    connect(StringGrid3, &TStringGrid::dblClicked, this, guarded(this, [this] { StringGrid3DblClick(); }));
}

void TEducationEditor::createEditor(QWidget *page)
{
    GroupBox2 = new QGroupBox(u("Образование:"), page);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setAutoFillBackground(true);
    auto *grid = new QGridLayout(GroupBox2);
    grid->setVerticalSpacing(3);
    Edit14 = lineEdit(GroupBox2, "Edit14");
    Edit15 = lineEdit(GroupBox2, "Edit15");
    Edit11 = lineEdit(GroupBox2, "Edit11");
    Edit24 = lineEdit(GroupBox2, "Edit24");
    Edit24->setMaximumWidth(70);
    grid->addWidget(makeLabel(u("Учебное заведение"), Edit14, GroupBox2, "Label14"), 0, 0);
    grid->addWidget(Edit14, 1, 0, 1, 3);
    grid->addWidget(makeLabel(u("Специальность"), Edit15, GroupBox2, "Label15"), 2, 0);
    grid->addWidget(Edit15, 3, 0);
    grid->addWidget(makeLabel(u("Квалификация"), Edit11, GroupBox2, "Label33"), 2, 1);
    grid->addWidget(Edit11, 3, 1);
    grid->addWidget(makeLabel(u("Год окончания"), Edit24, GroupBox2, "Label34"), 2, 2);
    grid->addWidget(Edit24, 3, 2);

    ComboBox3 = new QComboBox(GroupBox2);
    ComboBox3->setObjectName("ComboBox3");
    ComboBox3->addItems({u("Аттестат"), u("Диплом"), u("Удостоверение")});
    ComboBox3->setCurrentIndex(-1);
    Edit20 = lineEdit(GroupBox2, "Edit20");
    Edit20->setMaximumWidth(90);
    Edit23 = lineEdit(GroupBox2, "Edit23");
    Label35 = makeLabel(u("Документ об образовании, серия, номер:"), ComboBox3, GroupBox2, "Label35");
    Edit20->setAccessibleName(u("Серия документа"));
    Edit23->setAccessibleName(u("Номер документа"));
    Edit20->setPlaceholderText(u("серия"));
    Edit23->setPlaceholderText(u("номер"));
    Button17 = new QPushButton(u("О К"), GroupBox2);
    Button17->setObjectName("Button17");
    Button18 = new QPushButton(u("Отмена"), GroupBox2);
    Button18->setObjectName("Button18");
    auto *certificate = new QHBoxLayout;
    certificate->addWidget(Label35);
    certificate->addWidget(ComboBox3);
    certificate->addWidget(Edit20);
    certificate->addWidget(Edit23, 1);
    grid->addLayout(certificate, 4, 0, 1, 3);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Button17);
    bottom->addWidget(Button18);
    grid->addLayout(bottom, 5, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    GroupBox2->hide();
    limitInputs();
    // The editor opens over the education panel, below the family list.
    keepPlaced(GroupBox2, [this, page] { return QRect(0, y(), page->width(), GroupBox2->sizeHint().height()); });

    connect(Button17, &QPushButton::clicked, this, guarded(this, [this] { Button17Click(); }));
    connect(Button18, &QPushButton::clicked, this, guarded(this, [this] { Button18Click(); }));
}

bool TEducationEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == StringGrid3 && event->type() == QEvent::Resize)
        sizeColumns();
    return QFrame::eventFilter(watched, event);
}

void TEducationEditor::setWritable(bool on)
{
    m_writable = on;
    for (QPushButton *b : {Button14, Button15, Button16})
        b->setEnabled(on);
}

void TEducationEditor::sizeColumns()
{
    // The school and the speciality share the grid's width; every other column is hidden.
    const int half = (StringGrid3->width() - 5) / 2;
    const int school = FieldIndex(m_state.Obraz.Header, schema::UCHEB);
    const int speciality = FieldIndex(m_state.Obraz.Header, schema::SPEC);
    for (int c = 0; c < StringGrid3->ColCount(); ++c)
        StringGrid3->setColWidth(c, c == school || c == speciality ? half : -1);
}

void TEducationEditor::zapolnenietablitsyObraz()
{
    const int row = StringGrid3->Row();
    const LoadedTable &obraz = m_state.Obraz;
    EmployeeSelection selection = selectEmployeeRecords(obraz, m_code);
    EducationIndex = std::move(selection.index);
    TableToGrid(selection.header, selection.data, *StringGrid3);
    StringGrid3->setEditing(false);
    sizeColumns();
    if (const int col = FieldIndex(obraz.Header, schema::UCHEB); col > 0)
        StringGrid3->setCellText(col, 0, u("Учебное заведение"));
    if (const int col = FieldIndex(obraz.Header, schema::SPEC); col > 0)
        StringGrid3->setCellText(col, 0, u("Специальность"));
    selectRow(row);
}

void TEducationEditor::selectRow(int row)
{
    const int selected = selectGridRow(*StringGrid3, row);
    if (selected > 0)
        EducationRow = selected;
}

void TEducationEditor::showEditor()
{
    // The editor covers the panel; what it covers is out of reach of the mouse and of Tab.
    for (QWidget *w : {static_cast<QWidget *>(StringGrid3), static_cast<QWidget *>(Button14),
                       static_cast<QWidget *>(Button15), static_cast<QWidget *>(Button16),
                       static_cast<QWidget *>(RadioGroup3)})
        w->setEnabled(false);
    GroupBox2->show();
    GroupBox2->raise();
    Edit14->setFocus();
}

void TEducationEditor::hideEditor()
{
    GroupBox2->hide();
    m_editingNew = false;
    StringGrid3->setEnabled(true);
    RadioGroup3->setEnabled(true);
    setWritable(m_writable);
}

void TEducationEditor::closeEditor() { hideEditor(); }

void TEducationEditor::clearEditor()
{
    for (QLineEdit *e : {Edit14, Edit15, Edit11, Edit24, Edit20, Edit23})
        e->clear();
    ComboBox3->setCurrentIndex(-1);
}

bool TEducationEditor::listStillCurrent()
{
    if (indexStillCurrent(m_state.Obraz, m_code, EducationIndex))
        return true;
    zapolnenietablitsyObraz();
    Dialogs::message(u(StaleListMessage), this);
    return false;
}

void TEducationEditor::Button14Click()
{
    if (!m_writable)
        return;
    m_editingNew = true;
    clearEditor();
    // The entry is appended by "О К": a record made now could be read away (the tables read
    // anew) and "О К" would then write over another entry of the employee.
    showEditor();
}

void TEducationEditor::Button16Click()
{
    if (!m_writable || !listStillCurrent())
        return;
    if (EducationIndex.size() < 2) {
        clearEditor();
    } else if (EducationRow >= 1 && EducationRow < static_cast<int>(EducationIndex.size())) {
        // Read whole before any control changes: a DOK that is no integer leaves the editor closed.
        const EducationEntry e = readEducationEntry(m_state.Obraz, EducationIndex[EducationRow]);
        Edit14->setText(toQ(e.school));
        Edit15->setText(toQ(e.speciality));
        Edit11->setText(toQ(e.qualification));
        Edit24->setText(toQ(e.graduationYear));
        // An entry without a certificate shows none, not the previous entry's.
        const int item = e.certificate.value_or(-1);
        ComboBox3->setCurrentIndex(item >= 0 && item < ComboBox3->count() ? item : -1);
        Edit20->setText(toQ(e.series));
        Edit23->setText(toQ(e.number));
    }
    m_editingNew = false;
    showEditor();
}

void TEducationEditor::Button17Click()
{
    LoadedTable &obraz = m_state.Obraz;
    int record = 0;
    if (m_editingNew) {
        record = appendRecordWithCode(obraz, m_code);
    } else if (!listStillCurrent()) {
        hideEditor();
        return;
    } else if (EducationIndex.size() < 2) {
        record = appendRecordWithCode(obraz, m_code);
    } else if (EducationRow >= 1 && EducationRow < static_cast<int>(EducationIndex.size())) {
        record = EducationIndex[EducationRow];
    }
    if (record > 0) {
        EducationEntry e;
        e.school = fromQ(Edit14->text());
        e.speciality = fromQ(Edit15->text());
        e.qualification = fromQ(Edit11->text());
        e.graduationYear = fromQ(Edit24->text());
        if (ComboBox3->currentIndex() >= 0)
            e.certificate = ComboBox3->currentIndex();
        e.series = fromQ(Edit20->text());
        e.number = fromQ(Edit23->text());
        writeEducationEntry(obraz, record, e);
    }
    zapolnenietablitsyObraz();
    selectRow(StringGrid3->RowCount() - 1);
    hideEditor();
}

void TEducationEditor::Button18Click() { hideEditor(); }

void TEducationEditor::Button15Click()
{
    if (!m_writable || EducationIndex.size() < 2)
        return;
    if (EducationRow < 1 || EducationRow >= static_cast<int>(EducationIndex.size()) || !listStillCurrent())
        return;
    DeleteRecord(m_state.Obraz, EducationIndex[EducationRow]);
    zapolnenietablitsyObraz();
}

void TEducationEditor::StringGrid3SelectCell(int, int row) { EducationRow = row; }

void TEducationEditor::StringGrid3DblClick() { Button16Click(); }

// The editor's inputs take what obraz.dbf's fields hold.
void TEducationEditor::limitInputs()
{
    const LoadedTable &obraz = m_state.Obraz;
    bindToField(Edit14, obraz, schema::UCHEB);
    bindToField(Edit15, obraz, schema::SPEC);
    bindToField(Edit11, obraz, schema::KVALIFIK);
    bindToField(Edit24, obraz, schema::GOD_OKON);
    bindToField(Edit20, obraz, schema::DOK_SER);
    bindToField(Edit23, obraz, schema::DOK_NOM);
}

} // namespace veltor
