#include "card/HrPage.h"

#include "app/DatePicker.h"
#include "app/EmployeeList.h"
#include "app/FieldInput.h"
#include "app/Guard.h"
#include "app/QtText.h"
#include "app/StringGrid.h"
#include "card/CardLists.h"
#include "card/CardWidgets.h"
#include "storage/Schema.h"

#include <QCheckBox>
#include <QComboBox>
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

// Both captions underline the same letter, so it stays the page's whichever is shown.
const char *const DismissCaption = "У&волить";
const char *const RestoreCaption = "&Востановить";
const char *const NothingPending = "LU";
const char *const StatusPending = "Измен";

QLineEdit *lineEdit(QWidget *parent, const char *name, int maxWidth = 0)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    if (maxWidth > 0)
        edit->setMaximumWidth(maxWidth);
    return edit;
}

} // namespace

TCardHrPage::TCardHrPage(AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName("KadrList");
    createControls();
}

void TCardHrPage::createControls()
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(6);

    auto *form = new QGridLayout;
    form->setVerticalSpacing(6);
    page->addLayout(form);

    EditData3 = createDatePicker(this, "EditData3", EmptyDateShown::AsEmpty);
    Button19 = new QPushButton(u("История"), this);
    Button19->setObjectName("Button19");
    connect(Button19, &QPushButton::clicked, this, guarded(this, [this] { Button19Click(); }));
    form->addWidget(makeLabel(u("Работает с "), EditData3, this), 0, 0);
    form->addWidget(EditData3, 0, 1);
    form->addWidget(Button19, 0, 4, Qt::AlignRight);

    Edit18 = lineEdit(this, "Edit18", 160);
    EditData4 = createDatePicker(this, "EditData4", EmptyDateShown::AsEmpty);
    form->addWidget(makeLabel(u("Трудовой договор №"), Edit18, this), 1, 0);
    form->addWidget(Edit18, 1, 1);
    form->addWidget(makeLabel(u("от"), EditData4, this), 1, 2, Qt::AlignRight);
    form->addWidget(EditData4, 1, 3);
    EditData4->setAccessibleDescription(u("Дата трудового договора"));

    Edit19 = lineEdit(this, "Edit19", 160);
    EditData5 = createDatePicker(this, "EditData5", EmptyDateShown::AsEmpty);
    form->addWidget(makeLabel(u("Приложение к договору №"), Edit19, this), 2, 0);
    form->addWidget(Edit19, 2, 1);
    form->addWidget(makeLabel(u("от"), EditData5, this), 2, 2, Qt::AlignRight);
    form->addWidget(EditData5, 2, 3);
    EditData5->setAccessibleDescription(u("Дата приложения к договору"));

    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    ComboBox2->addItems({u("Постоянный сотрудник"), u("Внешний совместитель")});
    form->addWidget(makeLabel(u("Вид работы"), ComboBox2, this), 3, 0);
    form->addWidget(ComboBox2, 3, 1);
    form->setColumnStretch(4, 1);

    auto *dismissal = new QHBoxLayout;
    EditData7 = createDatePicker(this, "EditData7");
    Label28 = makeLabel(u("Уволен"), EditData7, this, "Label28");
    Edit10 = lineEdit(this, "Edit10");
    Label31 = makeLabel(u("Причина"), Edit10, this, "Label31");
    Button13 = new QPushButton(u(DismissCaption), this);
    Button13->setObjectName("Button13");
    Button13->setMinimumWidth(100);
    connect(Button13, &QPushButton::clicked, this, guarded(this, [this] { Button13Click(); }));
    LabelUvol = new QLabel(QString::fromLatin1(NothingPending), this);
    LabelUvol->setObjectName("LabelUvol");
    LabelUvol->hide();
    dismissal->addWidget(Label28);
    dismissal->addWidget(EditData7);
    dismissal->addWidget(Label31);
    dismissal->addWidget(Edit10, 1);
    dismissal->addWidget(Button13);
    // The row keeps its place while the dismissal controls are hidden.
    for (QWidget *w : {static_cast<QWidget *>(Label28), static_cast<QWidget *>(EditData7),
                       static_cast<QWidget *>(Label31), static_cast<QWidget *>(Edit10)}) {
        QSizePolicy keep = w->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        w->setSizePolicy(keep);
    }
    page->addLayout(dismissal);

    static const char *const names[] = {"Edit33", "Edit34", "Edit35", "Edit36", "Edit37", "Edit38"};
    static const char *const units[] = {"Лет", "Месяцев", "Дней"};
    static const char *const kinds[] = {"Общий стаж на момент приема:", "Непрерывный стаж на момент приема:"};
    static const char *const descriptions[] = {"Общий стаж", "Непрерывный стаж"};
    auto *seniority = new QGridLayout;
    seniority->setHorizontalSpacing(6);
    for (int kind = 0; kind < 2; ++kind) {
        auto *caption = new QLabel(u(kinds[kind]), this);
        seniority->addWidget(caption, kind, 0);
        for (int unit = 0; unit < 3; ++unit) {
            const int i = kind * 3 + unit;
            QLineEdit *edit = lineEdit(this, names[i], 50);
            SeniorityEdits[static_cast<size_t>(i)] = edit;
            seniority->addWidget(makeLabel(u(units[unit]), edit, this), kind, 1 + unit * 2, Qt::AlignRight);
            seniority->addWidget(edit, kind, 2 + unit * 2);
            edit->setAccessibleDescription(u(descriptions[kind]));
        }
    }
    seniority->setColumnStretch(7, 1);
    page->addLayout(seniority);
    page->addStretch(1);

    // The history opens over the page below its first line, which holds the button.
    GroupBox5 = new QGroupBox(u("История кадровых изменений"), this);
    GroupBox5->setObjectName("GroupBox5");
    GroupBox5->setAutoFillBackground(true);
    auto *history = new QVBoxLayout(GroupBox5);
    StringGrid2 = new TStringGrid(GroupBox5);
    StringGrid2->setObjectName("StringGrid2");
    StringGrid2->setAccessibleName(u("История кадровых изменений"));
    StringGrid2->setRowSelect(true);
    history->addWidget(StringGrid2);
    GroupBox5->hide();
    keepPlaced(GroupBox5, [this] {
        const int top = Button19->geometry().bottom() + 6;
        return QRect(0, top, width(), height() - top);
    });

    bindToField(Edit18, m_state.Trud, schema::NOM_DOG);
    bindToField(Edit19, m_state.Trud, schema::NOM_PRIL);
    bindToField(Edit10, m_state.Trud, schema::PR_UVOL);
    // The seniority is plain text typed by the clerk and stored as it is.
    static constexpr std::string_view seniorityFields[] = {schema::ST_OB_LET, schema::ST_OB_MES, schema::ST_OB_DN,
                                                           schema::ST_NP_LET, schema::ST_NP_MES, schema::ST_NP_DN};
    for (size_t i = 0; i < SeniorityEdits.size(); ++i)
        bindToField(SeniorityEdits[i], m_state.Osnova, seniorityFields[i]);
}

void TCardHrPage::fill(const CardValues &v)
{
    setPickerDate(*EditData3, v.postDate);
    setPickerDate(*EditData4, v.contractDate);
    setPickerDate(*EditData5, v.annexDate);
    Edit18->setText(toQ(v.contractNo));
    Edit19->setText(toQ(v.annexNo));
    ComboBox2->setCurrentIndex(v.workKind >= 0 && v.workKind < ComboBox2->count() ? v.workKind : -1);
    for (size_t i = 0; i < SeniorityEdits.size(); ++i)
        SeniorityEdits[i]->setText(toQ(v.seniority[i]));
    setStatusChangePending(false);
    setPickerDate(*EditData7, v.dismissalDate);
    Edit10->setText(toQ(v.dismissalReason));
    showDismissal(v.dismissalShown);
}

void TCardHrPage::read(CardValues &v) const
{
    v.postDate = pickerDate(*EditData3);
    v.contractDate = pickerDate(*EditData4);
    v.annexDate = pickerDate(*EditData5);
    v.contractNo = fromQ(Edit18->text());
    v.annexNo = fromQ(Edit19->text());
    v.workKind = ComboBox2->currentIndex();
    for (size_t i = 0; i < SeniorityEdits.size(); ++i)
        v.seniority[i] = fromQ(SeniorityEdits[i]->text());
    v.dismissalShown = dismissalShown();
    v.dismissalDate = pickerDate(*EditData7);
    v.dismissalReason = fromQ(Edit10->text());
}

void TCardHrPage::showDismissal(bool shown)
{
    for (QWidget *w : {static_cast<QWidget *>(Label28), static_cast<QWidget *>(Label31),
                       static_cast<QWidget *>(EditData7), static_cast<QWidget *>(Edit10)})
        w->setVisible(shown);
    Button13->setText(u(shown ? RestoreCaption : DismissCaption));
}

bool TCardHrPage::dismissalShown() const { return !EditData7->isHidden(); }

bool TCardHrPage::statusChangePending() const { return LabelUvol->text() == u(StatusPending); }

void TCardHrPage::setStatusChangePending(bool pending)
{
    LabelUvol->setText(u(pending ? StatusPending : NothingPending));
}

void TCardHrPage::hideHistory() { GroupBox5->hide(); }

void TCardHrPage::Button13Click()
{
    const bool dismiss = Button13->text() == u(DismissCaption);
    showDismissal(dismiss);
    if (m_dismissedBox)
        m_dismissedBox->setChecked(dismiss);
    // Two presses cancel each other.
    setStatusChangePending(!statusChangePending());
}

void TCardHrPage::Button19Click()
{
    GroupBox5->setVisible(GroupBox5->isHidden());
    if (!GroupBox5->isHidden())
        GroupBox5->raise();
}

void TCardHrPage::zapolnenietablitsyIstorii(const std::string &code, bool currentDismissed)
{
    const LoadedTable &trud = m_state.Trud;
    const EmployeeSelection selection = selectEmployeeRecords(trud, code);
    TableToGrid(selection.header, selection.data, *StringGrid2);
    StringGrid2->setEditing(false);

    const int department = FieldIndex(trud.Header, schema::OTDEL);
    const int kind = FieldIndex(trud.Header, schema::VID_RAB);
    const int position = FieldIndex(trud.Header, schema::DOLZH);
    StringGrid2->beginUpdate();
    for (int r = 1; r < StringGrid2->RowCount(); ++r) {
        if (department > 0)
            StringGrid2->setCell(department, r, departmentText(m_state, StringGrid2->Cell(department, r)));
        if (kind > 0)
            StringGrid2->setCell(kind, r, workKindText(StringGrid2->Cell(kind, r)));
        if (position > 0)
            StringGrid2->setCell(position, r, positionText(m_state, StringGrid2->Cell(position, r)));
    }
    StringGrid2->endUpdate();

    layOutColumns(*StringGrid2, trud.Header, {
        {schema::KOD, -1, nullptr},
        {schema::D_IZM, -1, nullptr},
        {schema::N_IZM, -1, nullptr},
        {schema::D_POST, 80, "Дата приема"},
        {schema::OTDEL, 100, "Отдел"},
        {schema::OKLAD, 50, "Оклад"},
        {schema::D_DOG, 80, "Дата договора"},
        {schema::NOM_DOG, 50, "Номер договора"},
        {schema::D_PRIL, 80, "Дата приложения"},
        {schema::NOM_PRIL, 50, "Номер приложения"},
        {schema::VID_RAB, 100, "Вид работы"},
        {schema::DOLZH, 100, "Должность"},
        {schema::D_UVOL, 80, "Дата увольнения"},
        {schema::PR_UVOL, 200, "Причина увольнения"},
    });
    if (!currentDismissed) {
        for (std::string_view field : {schema::D_UVOL, schema::PR_UVOL})
            StringGrid2->setColWidth(FieldIndex(trud.Header, field), -1);
    }
    widenColumnsToText(*StringGrid2);
}

} // namespace veltor
