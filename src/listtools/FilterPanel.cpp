#include "listtools/FilterPanel.h"

#include "app/DatePicker.h"
#include "app/Dialogs.h"
#include "app/Guard.h"
#include "app/QtText.h"
#include "app/StringGrid.h"
#include "app/WindowSupport.h"
#include "card/CardWidgets.h"
#include "listtools/PanelKeys.h"
#include "listtools/SpravPanel.h"
#include "listtools/Unit3.h"
#include "storage/Schema.h"
#include "text/Convert.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace veltor {

namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

const char *const ValueLabelText = "Задайте значение для фильтра";

struct BoxNames {
    const char *box, *fieldList, *valueLabel, *edit, *pickButton, *list, *twoWay, *dateMode, *date, *family;
};

const BoxNames Names[FilterBoxCount] = {
    {"FiltrBox1", "ComboBox2", "Label4", "Edit2", "Button14", "ComboBox3", "RadioGroup3", "RadioGroup4",
     "FiltrData1", "CheckListBoxSemja1"},
    {"FiltrBox2", "ComboBox5", "Label14", "Edit10", "Button19", "ComboBox6", "RadioGroup5", "RadioGroup6",
     "FiltrData2", "CheckListBoxSemja2"},
    {"FiltrBox3", "ComboBox7", "Label16", "Edit11", "Button20", "ComboBox8", "RadioGroup7", "RadioGroup8",
     "FiltrData3", "CheckListBoxSemja3"},
};

QWidget *page(QStackedWidget *stack)
{
    auto *w = new QWidget(stack);
    stack->addWidget(w);
    return w;
}

} // namespace

TFilterBox::TFilterBox(int number, QWidget *parent, std::function<void(int, const std::string &)> onStore)
    : QGroupBox(u("Фильтр № ") + QString::number(number), parent), m_store(std::move(onStore))
{
    const BoxNames &n = Names[number - 1];
    setObjectName(n.box);
    auto name = [](QWidget *w, const char *objectName) { w->setObjectName(QString::fromLatin1(objectName)); };

    fieldList = new QComboBox(this);
    name(fieldList, n.fieldList);
    fieldList->setMinimumWidth(260);
    fieldList->setMaxVisibleItems(20);
    fieldLabel = makeLabel(u("Выберите поле для задания фильтра"), fieldList, this);
    valueLabel = new QLabel(u(ValueLabelText), this);
    name(valueLabel, n.valueLabel);
    QSizePolicy keep = valueLabel->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    valueLabel->setSizePolicy(keep);
    valueLabel->hide();

    m_values = new QStackedWidget(this);
    m_none = page(m_values);

    m_textPage = page(m_values);
    edit = new QLineEdit(m_textPage);
    name(edit, n.edit);
    pickButton = new QPushButton(QStringLiteral("..."), m_textPage);
    name(pickButton, n.pickButton);
    pickButton->setAccessibleName(QStringLiteral("..."));
    pickButton->setAccessibleDescription(u("Выбрать должность из справочника"));
    pickButton->setToolTip(pickButton->accessibleDescription());
    pickButton->setFixedWidth(32);
    pickButton->setAutoDefault(false);
    auto *textRow = new QHBoxLayout(m_textPage);
    textRow->setContentsMargins(0, 0, 0, 0);
    textRow->addWidget(edit, 1);
    textRow->addWidget(pickButton);
    textRow->setAlignment(Qt::AlignTop);

    m_listPage = page(m_values);
    list = new QComboBox(m_listPage);
    name(list, n.list);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    // The value is what the clerk typed: "Отдел" must not become "Отдел кадров".
    list->setCompleter(nullptr);
    auto *listRow = new QVBoxLayout(m_listPage);
    listRow->setContentsMargins(0, 0, 0, 0);
    listRow->addWidget(list);
    listRow->addStretch(1);

    m_twoWayPage = page(m_values);
    twoWay = new TRadioGroup(QString(), {QString(), QString()}, 1, m_twoWayPage);
    name(twoWay, n.twoWay);
    auto *twoWayRow = new QVBoxLayout(m_twoWayPage);
    twoWayRow->setContentsMargins(0, 0, 0, 0);
    twoWayRow->addWidget(twoWay);
    twoWayRow->addStretch(1);

    m_datePage = page(m_values);
    dateMode = new TRadioGroup(u("Способ"), {QStringLiteral(">"), QStringLiteral("="), QStringLiteral("<")}, 3,
                               m_datePage);
    name(dateMode, n.dateMode);
    dateMode->button(0)->setAccessibleDescription(u("Позже указанной даты"));
    dateMode->button(1)->setAccessibleDescription(u("Равна указанной дате"));
    dateMode->button(2)->setAccessibleDescription(u("Раньше указанной даты"));
    date = createDatePicker(m_datePage, n.date);
    auto *dateRow = new QHBoxLayout(m_datePage);
    dateRow->setContentsMargins(0, 0, 0, 0);
    dateRow->addWidget(dateMode);
    dateRow->addWidget(date, 0, Qt::AlignBottom);
    dateRow->addStretch(1);

    m_familyPage = page(m_values);
    family = new QListWidget(m_familyPage);
    name(family, n.family);
    for (const char *kind : {"Родители", "Супруг(а)", "Дети"}) {
        auto *item = new QListWidgetItem(u(kind), family);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    family->setFixedHeight(family->sizeHintForRow(0) * 3 + 2 * family->frameWidth() + 4);
    auto *familyRow = new QVBoxLayout(m_familyPage);
    familyRow->setContentsMargins(0, 0, 0, 0);
    familyRow->addWidget(family);
    familyRow->addStretch(1);

    // Every value control is named by the label that shows above it.
    for (QWidget *w : {static_cast<QWidget *>(edit), static_cast<QWidget *>(list), static_cast<QWidget *>(twoWay),
                       static_cast<QWidget *>(date), static_cast<QWidget *>(family)})
        w->setAccessibleName(u(ValueLabelText));
    m_values->setCurrentWidget(m_none);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fieldLabel);
    layout->addWidget(fieldList);
    layout->addWidget(valueLabel);
    layout->addWidget(m_values);
    layout->addStretch(1);

    connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { store(fromQ(text)); });
    connect(list, &QComboBox::currentTextChanged, this, [this] { storeList(); });
    twoWay->onClick([this] { storeTwoWay(); });
    dateMode->onClick([this] { storeDate(); });
    connect(date, &QDateEdit::dateChanged, this, [this] { storeDate(); });
    connect(family, &QListWidget::itemChanged, this, [this] { storeFamily(); });
}

int TFilterBox::field() const { return fieldList->currentIndex(); }

void TFilterBox::store(const std::string &criterion)
{
    if (field() >= 0 && m_store)
        m_store(field(), criterion);
}

void TFilterBox::storeList()
{
    if (field() == filterfield::WorkKind)
        store(intToStr(list->findText(list->currentText(), Qt::MatchExactly)));
    else
        store(fromQ(list->currentText()));
}

void TFilterBox::storeTwoWay()
{
    if (twoWay->ItemIndex() >= 0)
        store(twoWayCriterion(field(), twoWay->ItemIndex()));
}

void TFilterBox::storeDate()
{
    store(dateCriterion(dateMode->ItemIndex(), pickerDateText(*date)));
}

void TFilterBox::storeFamily()
{
    store(familyCriterion(family->item(0)->checkState() == Qt::Checked,
                          family->item(1)->checkState() == Qt::Checked,
                          family->item(2)->checkState() == Qt::Checked));
}

void TFilterBox::showPage(QWidget *page, QWidget *labelled)
{
    m_values->setCurrentWidget(page);
    valueLabel->show();
    valueLabel->setBuddy(labelled);
}

void TFilterBox::chooseField(int f, const AppState &state)
{
    using namespace filterfield;
    // Preparing the controls is not a change of the criterion.
    const QSignalBlocker blockList(list), blockDate(date), blockFamily(family);
    switch (filterValueKind(f)) {
    case FilterValueKind::Text:
    case FilterValueKind::Position:
        pickButton->setVisible(f == Position);
        showPage(m_textPage, edit);
        break;
    case FilterValueKind::Department: {
        list->clear();
        const LoadedTable &otdel = state.Otdel;
        const int name = FieldIndex(otdel.Header, schema::OTDEL);
        for (int r = 1; r <= otdel.Header.RecordCount; ++r)
            list->addItem(toQ(GetField(otdel.Header, otdel.Data, r, name)));
        list->setCurrentIndex(-1);
        showPage(m_listPage, list);
        break;
    }
    case FilterValueKind::WorkKind:
        list->clear();
        list->addItems({u("Постоянный сотрудник"), u("Внешний совместитель")});
        list->setCurrentIndex(-1);
        showPage(m_listPage, list);
        break;
    case FilterValueKind::TwoWay: {
        const char *first = f == Works ? "Работает" : f == Sex ? "Мужской" : "Нет";
        const char *second = f == Works ? "Не работает" : f == Sex ? "Женский" : "Да";
        twoWay->button(0)->setText(u(first));
        twoWay->button(1)->setText(u(second));
        twoWay->setItemIndex(-1);
        showPage(m_twoWayPage, twoWay->button(0));
        break;
    }
    case FilterValueKind::Date:
        setPickerDate(*date, today());
        showPage(m_datePage, date);
        break;
    case FilterValueKind::Family:
        family->setCurrentRow(-1);
        family->clearSelection();
        showPage(m_familyPage, family);
        break;
    }
}

void TFilterBox::clearChoice()
{
    const QSignalBlocker block(fieldList);
    fieldList->setCurrentIndex(-1);
    m_values->setCurrentWidget(m_none);
    valueLabel->hide();
}

void TFilterBox::setFields(const QStringList &items)
{
    const QSignalBlocker block(fieldList);
    fieldList->clear();
    fieldList->addItems(items);
    fieldList->setCurrentIndex(-1);
}

std::string TFilterBox::runValue(const std::string &criterion) const
{
    if (field() == filterfield::Position)
        return fromQ(edit->text());
    if (field() == filterfield::Department)
        return fromQ(list->currentText());
    return criterion;
}

TFilterPanel::TFilterPanel(TForm3 &host) : QWidget(&host), m_host(host)
{
    setObjectName("PanelFiltr");
    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    for (int b = 0; b < FilterBoxCount; ++b) {
        boxes[b] = new TFilterBox(b + 1, this, [this, b](int field, const std::string &criterion) {
            if (field >= 0 && field < MaxFilterFields)
                m_criteria[b][field] = criterion;
        });
        row->addWidget(boxes[b]);
        connect(boxes[b]->fieldList, &QComboBox::currentIndexChanged, this, guarded(this, [this, b](int field) {
                    if (field >= 0)
                        boxes[b]->chooseField(field, m_host.state());
                }));
        connect(boxes[b]->pickButton, &QPushButton::clicked, this, guarded(this, [this, b] { pickPosition(b); }));
    }
    layout->addLayout(row);
    FiltrBox1 = boxes[0];
    FiltrBox2 = boxes[1];
    FiltrBox3 = boxes[2];
    ComboBox2 = FiltrBox1->fieldList;
    ComboBox5 = FiltrBox2->fieldList;
    ComboBox7 = FiltrBox3->fieldList;
    Edit2 = FiltrBox1->edit;
    Edit10 = FiltrBox2->edit;
    Edit11 = FiltrBox3->edit;

    Button3 = new QPushButton(u("Отфильтровать!"), this);
    Button3->setObjectName("Button3");
    Button3->setAutoDefault(false);
    Button9 = new QPushButton(u("Отменить фильтры"), this);
    Button9->setObjectName("Button9");
    Button9->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button3);
    buttons->addWidget(Button9);
    layout->addLayout(buttons);
    setFocusProxy(ComboBox2);

    connect(Button3, &QPushButton::clicked, this, guarded(this, [this] { Button3Click(); }));
    connect(Button9, &QPushButton::clicked, this, guarded(this, [this] { Button9Click(); }));
    // Enter on any control of the boxes applies the filter, as the default button would in a
    // dialog; a date still being typed is taken first, as leaving the field would take it.
    Button3->setDefault(true);
    auto enter = guarded(this, [this] {
        for (QWidget *w = QApplication::focusWidget(); w && w != this; w = w->parentWidget())
            if (auto *picker = dynamic_cast<TDatePicker *>(w)) {
                picker->takeTypedText();
                break;
            }
        Button3Click();
    });
    auto *keys = new PanelKeys(this, enter, [this] { m_host.close(); });
    for (TFilterBox *box : boxes) {
        for (QWidget *w : {static_cast<QWidget *>(box->fieldList), static_cast<QWidget *>(box->edit),
                           static_cast<QWidget *>(box->list), static_cast<QWidget *>(box->date),
                           static_cast<QWidget *>(box->family)})
            keys->watch(w);
        for (TRadioGroup *group : {box->twoWay, box->dateMode})
            for (QAbstractButton *b : group->findChildren<QAbstractButton *>())
                keys->watch(b);
    }
}

void TFilterPanel::prepare()
{
    QStringList items;
    for (const std::string &name : filterFieldNames(m_host.state()))
        items << toQ(name);
    for (TFilterBox *box : boxes)
        box->setFields(items);
}

void TFilterPanel::Button3Click()
{
    std::array<FilterBox, FilterBoxCount> run;
    for (int b = 0; b < FilterBoxCount; ++b) {
        run[b].field = boxes[b]->field();
        if (run[b].field >= 0 && run[b].field < MaxFilterFields)
            run[b].value = boxes[b]->runValue(m_criteria[b][run[b].field]);
    }
    AppState &state = m_host.state();
    EmployeeListWindow &list = m_host.list();
    // Computed before anything changes, so a value that cannot be converted leaves the list
    // and its code list as they were.
    const std::string found = runFilters(state, run);

    list.addTitleNote(u("Применен фильтр"));
    const std::string previous = state.CurrentCodeList;
    if (found.empty()) {
        Dialogs::message(u("Фильтр не дал результатов! Будут показаны все записи"), this);
        state.CurrentCodeList = "-1";
    } else {
        state.CurrentCodeList = found;
    }
    try {
        list.refill(state.CurrentCodeList);
    } catch (...) {
        state.CurrentCodeList = previous;
        throw;
    }
    m_host.close();
}

void TFilterPanel::Button9Click()
{
    AppState &state = m_host.state();
    EmployeeListWindow &list = m_host.list();
    state.CurrentCodeList = "-1";
    list.refill(state.CurrentCodeList);
    for (TFilterBox *box : boxes)
        box->clearChoice();
    for (auto &set : m_criteria)
        for (std::string &criterion : set)
            criterion.clear();
    list.plainTitle();
    m_host.close();
}

void TFilterPanel::pickPosition(int box)
{
    TSpravPanel *sprav = m_host.PanelSprav;
    m_host.switchPanel(sprav, u("Фильтр №%1 по должностям").arg(box + 1));
    sprav->preparePositionPick([this, box](const std::string &position, int) {
        boxes[box]->edit->setText(toQ(position));
        m_host.switchPanel(this, u("Фильтр"));
        boxes[box]->edit->setFocus(Qt::OtherFocusReason);
    });
}

void TFilterPanel::showWorking(bool working)
{
    ComboBox2->setCurrentIndex(filterfield::Works);
    FiltrBox1->twoWay->setItemIndex(working ? 0 : 1);
    FiltrBox1->storeTwoWay();
    Button3Click();
}

} // namespace veltor
