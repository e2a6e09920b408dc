#include "listtools/ObrabPanel.h"

#include <algorithm>
#include "listtools/PanelButtons.h"

#include "app/DatePicker.h"
#include "app/Dialogs.h"
#include "app/FieldInput.h"
#include "app/EmployeeList.h"
#include "app/Guard.h"
#include "app/QtText.h"
#include "app/StringGrid.h"
#include "app/WindowSupport.h"
#include "card/CardWidgets.h"
#include "listtools/PanelKeys.h"
#include "listtools/Unit3.h"
#include "storage/Schema.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QAbstractItemView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

TObrabPanel::TObrabPanel(TForm3 &host) : QWidget(&host), m_host(host)
{
    setObjectName("PanelObrab");
    ValueList = new TStringGrid(this);
    ValueList->setObjectName("ValueList");
    ValueList->setAccessibleName(u("Общая обработка"));
    ValueList->setMinimumSize(520, 380);
    // A child of the panel, not of the grid, laid over the heading of the value column until
    // the attribute is chosen: a grid exposes only its cells to assistive technology, so a
    // list inside it would be missing from the accessibility tree.
    ComboBox4 = new QComboBox(this);
    ComboBox4->setObjectName("ComboBox4");
    ComboBox4->setAccessibleName(u("Реквизит"));
    ComboBox4->setPlaceholderText(u("Реквизит"));
    ValueList->installEventFilter(this);
    connect(ValueList->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { placeAttributeChooser(); });
    ValueComboBox = new QComboBox(ValueList->viewport());
    ValueComboBox->setObjectName("ValueComboBox");
    ValueComboBox->setAccessibleName(u("Значение"));
    ValueComboBox->hide();
    ValueData = createDatePicker(ValueList->viewport(), "ValueData");
    ValueData->setAccessibleName(u("Значение"));
    ValueData->hide();
    DataIzm = createDatePicker(this, "DataIzm");
    Label = new QLabel(u("Изменения на дату:                 Текущие данные:"), this);
    labelControl(Label, DataIzm);
    DataIzm->setAccessibleName(u("Изменения на дату"));
    Button21 = panelButton(this, "Button21", "Заполнить");
    Button17 = panelButton(this, "Button17", "O K");
    Button18 = panelButton(this, "Button18", "Отмена");

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ValueList, 1);
    layout->addWidget(Label);
    auto *dates = new QHBoxLayout;
    dates->addWidget(DataIzm);
    dates->addWidget(Button21);
    dates->addStretch(1);
    layout->addLayout(dates);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button17);
    buttons->addWidget(Button18);
    layout->addLayout(buttons);
    setFocusProxy(ComboBox4);
    setTabOrder(ComboBox4, ValueList);

    connect(ComboBox4, qOverload<int>(&QComboBox::activated), this,
            guarded(this, [this](int item) { ComboBox4Change(item); }));
    limitInputs();
    connect(ValueList, &TStringGrid::selectCell, this,
            guarded(this, [this](int c, int r) { ValueListSelectCell(c, r); }));
    ValueList->onCellEdited([this](int col, int row) {
        if (col == 1)
            markEntered(row);
    });
    connect(ValueComboBox, qOverload<int>(&QComboBox::activated), this,
            guarded(this, [this](int item) { ValueComboBoxChange(item); }));
    connect(ValueData, &QDateEdit::dateChanged, this, guarded(this, [this] { ValueDataChange(); }));
    connect(Button21, &QPushButton::clicked, this, guarded(this, [this] { Button21Click(); }));
    connect(Button17, &QPushButton::clicked, this, guarded(this, [this] { Button17Click(); }));
    connect(Button18, &QPushButton::clicked, this, [this] { m_host.close(); });
    // Enter or Esc in a cell editor leaves it for the grid; a drop-down's own list takes
    // Enter and Esc first.
    auto *keys = new PanelKeys(this, [this] { leaveEditor(); }, [this] { leaveEditor(); });
    keys->watch(ValueComboBox);
    keys->watch(ValueData);
    // Arrow keys on a closed list also "activate" items; only a pick from the open list
    // closes the editor at once.
    ValueComboBox->view()->installEventFilter(this);
    ComboBox4->installEventFilter(this);
}

bool TObrabPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ValueList && (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
                                 event->type() == QEvent::Show))
        placeAttributeChooser();
    if (watched == ValueComboBox->view() && event->type() == QEvent::Show)
        m_pickingFromList = true;
    // The attribute is chosen with Enter or from the open list: an arrow key on the closed list
    // opens it instead of choosing the next attribute at once.
    if (watched == ComboBox4 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
            key == Qt::Key_Home || key == Qt::Key_End) {
            ComboBox4->showPopup();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && ComboBox4->currentIndex() >= 0) {
            emit ComboBox4->activated(ComboBox4->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TObrabPanel::hasEnteredValues() const
{
    return m_attribute && std::find(m_entered.begin(), m_entered.end(), 1) != m_entered.end();
}

void TObrabPanel::dropEnteredValues() { std::fill(m_entered.begin(), m_entered.end(), 0); }

void TObrabPanel::leaveEditor()
{
    keepPickedDate();
    ValueComboBox->hide();
    ValueData->hide();
    ValueList->setFocus(Qt::OtherFocusReason);
}

void TObrabPanel::prepare()
{
    AppState &state = m_host.state();
    const int rows = m_host.list().rowCount();
    const std::string codes = effectiveCodeList(state, state.CurrentCodeList);
    m_codes.assign(static_cast<size_t>(std::max(0, rows - 1)), std::string());
    m_entered.assign(m_codes.size(), 0);
    ValueList->setSize(2, std::max(rows, 2));
    ValueList->setFixedRows(1);
    ValueList->setEditing(true);
    ValueList->setColumnEditable(1, true);
    ValueList->setCellText(0, 0, u("Сотрудник"));
    ValueList->setCellText(1, 0, QString());
    ValueList->setColWidth(0, 260);
    ValueList->setColWidth(1, 240);
    // The names in one pass over the main table: a look-up per row would make the opening
    // quadratic in the number of employees.
    m_attribute.reset();
    const std::vector<std::string> list = splitCodeList(codes);
    for (size_t i = 0; i < m_codes.size() && i < list.size(); ++i)
        m_codes[i] = list[i];
    const std::vector<std::string> names =
        currentStreamValues(state, streamAttributeOf(state, {{}, 0, std::string(schema::FIO), "1", {}}), m_codes);
    ValueList->beginUpdate();
    for (size_t i = 0; i < names.size(); ++i)
        ValueList->setCell(0, static_cast<int>(i) + 1, names[i]);
    ValueList->endUpdate();

    m_columns.clear();
    ComboBox4->clear();
    // Columns of tables this entry cannot write (anything but tables 1 to 5) are not offered.
    for (size_t i = 0; i < state.ColumnSettings.size(); ++i)
        if (streamable(state.ColumnSettings[i])) {
            m_columns.push_back(static_cast<int>(i));
            ComboBox4->addItem(toQ(state.ColumnSettings[i].Caption));
        }
    ComboBox4->setCurrentIndex(-1);
    ComboBox4->show();
    placeAttributeChooser();
    ValueComboBox->hide();
    ValueData->hide();
    setPickerDate(*ValueData, today());
    setPickerDate(*DataIzm, today());
    m_row = 0;
}

void TObrabPanel::placeAttributeChooser()
{
    QHeaderView *header = ValueList->horizontalHeader();
    const int x = ValueList->frameWidth() + ValueList->verticalHeader()->width() + header->sectionViewportPosition(1);
    const QPoint origin = ValueList->geometry().topLeft();
    ComboBox4->setGeometry(origin.x() + x, origin.y() + ValueList->frameWidth(),
                           std::max(160, header->sectionSize(1)), header->height());
    ComboBox4->raise();
}

// A typed value takes what the attribute's field holds; a salary only digits.
void TObrabPanel::limitInputs()
{
    bindGridCells(ValueList, [this](int col, int) -> std::optional<CellField> {
        if (col != 1 || !m_attribute || m_attribute->kind != StreamAttribute::Text)
            return std::nullopt;
        const bool digits = m_attribute->FieldName == schema::OKLAD;
        return CellField{streamTable(m_host.state(), m_attribute->tableNo), m_attribute->FieldName,
                         digits ? FieldInputKind::Digits : FieldInputKind::Text, toQ(m_caption)};
    });
}

void TObrabPanel::markEntered(int row)
{
    if (row >= 1 && row <= static_cast<int>(m_entered.size()))
        m_entered[row - 1] = 1;
}

void TObrabPanel::ComboBox4Change(int item)
{
    AppState &state = m_host.state();
    if (item < 0 || item >= static_cast<int>(m_columns.size()))
        return;
    const TColumnSetting &column = state.ColumnSettings[m_columns[item]];
    m_attribute = streamAttributeOf(state, column);
    m_caption = column.Caption;
    // The value cells keep what was entered at the last opening, which is shown again only
    // under its own attribute: salaries under "Должность" would be values nobody stores.
    if (m_cellsFor != m_caption)
        for (int r = 1; r < ValueList->RowCount(); ++r)
            ValueList->setCell(1, r, std::string());
    m_cellsFor = m_caption;
    ValueList->setCell(1, 0, column.Caption);
    ValueComboBox->clear();
    for (const std::string &text : m_attribute->items)
        ValueComboBox->addItem(toQ(text));
    ValueComboBox->setAccessibleName(toQ(column.Caption));
    ValueData->setAccessibleName(toQ(column.Caption));
    if (m_attribute->hasCodes()) {
        ValueList->setColCount(3);
        ValueList->setColWidth(2, -1);
    }
    ValueList->setColumnEditable(1, m_attribute->kind == StreamAttribute::Text);
    ComboBox4->hide();
    ValueList->setFocus(Qt::OtherFocusReason);
}

void TObrabPanel::placeOverCell(QWidget *overlay, int row)
{
    const QRect cell = ValueList->visualRect(ValueList->model()->index(row - 1, 1));
    overlay->setGeometry(cell.left() + 1, cell.top() + 1, cell.width() + 1, cell.height() + 1);
    overlay->show();
    overlay->raise();
    overlay->setFocus(Qt::OtherFocusReason);
}

void TObrabPanel::ValueListSelectCell(int col, int row)
{
    keepPickedDate();
    ValueComboBox->hide();
    ValueData->hide();
    m_row = row;
    if (col == 0 || row < 1 || !m_attribute)
        return;
    if (m_attribute->kind == StreamAttribute::List) {
        ValueComboBox->setCurrentIndex(-1);
        m_pickingFromList = false;
        placeOverCell(ValueComboBox, row);
    } else if (m_attribute->kind == StreamAttribute::Date) {
        Date date;
        m_dateTouched = false;
        const QSignalBlocker quiet(ValueData);
        setPickerDate(*ValueData, tryStrToDate(ValueList->Cell(1, row), date) ? date : today());
        placeOverCell(ValueData, row);
    }
}

void TObrabPanel::ValueComboBoxChange(int item)
{
    if (!m_attribute || item < 0 || m_row < 1)
        return;
    ValueList->setCell(1, m_row, m_attribute->items[item]);
    if (m_attribute->hasCodes())
        ValueList->setCell(2, m_row, m_attribute->codes[item]);
    markEntered(m_row);
    if (m_pickingFromList) {
        m_pickingFromList = false;
        ValueComboBox->hide();
        ValueList->setFocus(Qt::OtherFocusReason);
    }
}

void TObrabPanel::ValueDataChange()
{
    if (!ValueData->isVisible() || m_row < 1)
        return;
    m_dateTouched = true;
    keepPickedDate();
}

// The picker's date goes into the cell it lies over once the user has changed it; a date cell
// merely passed through keeps what it held and is not written.
void TObrabPanel::keepPickedDate()
{
    if (!ValueData->isVisible() || m_row < 1 || !m_dateTouched)
        return;
    ValueList->setCell(1, m_row, pickerDateText(*ValueData));
    markEntered(m_row);
}

void TObrabPanel::Button21Click()
{
    if (!m_attribute)
        return;
    const std::vector<std::string> values = currentStreamValues(m_host.state(), *m_attribute, m_codes);
    for (size_t i = 0; i < values.size(); ++i)
        ValueList->setCell(1, static_cast<int>(i) + 1, values[i]);
}

void TObrabPanel::Button17Click()
{
    if (!m_attribute) {
        m_host.close();
        return;
    }
    keepPickedDate();
    const int valueCol = ValueList->ColCount() >= 3 ? 2 : 1;
    std::vector<StreamValue> values;
    for (size_t i = 0; i < m_codes.size(); ++i)
        if (m_entered[i] && !m_codes[i].empty())
            values.push_back({m_codes[i], ValueList->Cell(valueCol, static_cast<int>(i) + 1)});
    if (values.empty()) {
        Dialogs::message(u("Ни одного значения не введено, данные не изменены"), this);
        return;
    }
    if (!Dialogs::question(u("Будут изменены данные сотрудников: %1 (\"%2\"). Продолжить?")
                               .arg(values.size())
                               .arg(toQ(m_caption)),
                           this))
        return;
    AppState &state = m_host.state();
    applyStreamEntry(state, *m_attribute, values, pickerDate(*DataIzm));
    m_host.list().refill(state.CurrentCodeList);
    m_host.close();
}

} // namespace veltor
