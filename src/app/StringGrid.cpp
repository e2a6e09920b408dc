#include "app/StringGrid.h"

#include "app/QtText.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <algorithm>

namespace veltor {
namespace {

const std::string &emptyText()
{
    static const std::string empty;
    return empty;
}

// Paints column 0 in the colour the window decides (the marker of dismissed employees).
class MarkerDelegate : public QStyledItemDelegate {
public:
    MarkerDelegate(StringGridModel *model, QObject *parent)
        : QStyledItemDelegate(parent), m_model(model)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        if (index.column() == 0 && m_model->markerColor) {
            painter->fillRect(option.rect, m_model->markerColor(index.row() + m_model->fixedRows()));
            return;
        }
        QStyledItemDelegate::paint(painter, option, index);
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto *grid = qobject_cast<TStringGrid *>(this->parent());
        if (auto *line = qobject_cast<QLineEdit *>(editor); line && grid && grid->editorCreated())
            grid->editorCreated()(line, index.column(), index.row() + m_model->fixedRows());
        return editor;
    }

private:
    StringGridModel *m_model;
};

} // namespace

int StringGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(0, m_rows - m_fixedRows);
}

int StringGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant StringGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_cols || index.row() >= rowCount())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole)
        return {};
    return toQ(cell(index.column(), index.row() + m_fixedRows));
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_cols || m_fixedRows == 0)
            return {};
        return toQ(cell(section, 0));
    }
    return section + m_fixedRows;
}

bool StringGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int row = index.row() + m_fixedRows;
    setCell(index.column(), row, fromQ(value.toString()));
    if (cellEdited)
        cellEdited(index.column(), row);
    return true;
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable && columnEditable(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

void StringGridModel::resize(int cols, int rows)
{
    cols = std::max(0, cols);
    rows = std::max(0, rows);
    if (cols == m_cols && rows == m_rows)
        return;
    if (!m_bulk)
        beginResetModel();
    std::vector<std::string> cells(static_cast<size_t>(cols) * rows);
    const int keepCols = std::min(cols, m_cols);
    const int keepRows = std::min(rows, m_rows);
    for (int r = 0; r < keepRows; ++r)
        for (int c = 0; c < keepCols; ++c)
            cells[static_cast<size_t>(r) * cols + c] = std::move(m_cells[static_cast<size_t>(r) * m_cols + c]);
    m_cells = std::move(cells);
    m_cols = cols;
    m_rows = rows;
    if (!m_bulk)
        endResetModel();
}

void StringGridModel::setFixedRows(int n)
{
    n = std::clamp(n, 0, 1);
    if (n == m_fixedRows)
        return;
    if (!m_bulk)
        beginResetModel();
    m_fixedRows = n;
    if (!m_bulk)
        endResetModel();
}

const std::string &StringGridModel::cell(int col, int row) const
{
    if (col < 0 || row < 0 || col >= m_cols || row >= m_rows)
        return emptyText();
    return m_cells[static_cast<size_t>(row) * m_cols + col];
}

void StringGridModel::setCell(int col, int row, std::string value)
{
    if (col < 0 || row < 0 || col >= m_cols || row >= m_rows)
        return;
    m_cells[static_cast<size_t>(row) * m_cols + col] = std::move(value);
    if (m_bulk)
        return;
    if (row < m_fixedRows) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        QModelIndex i = index(row - m_fixedRows, col);
        emit dataChanged(i, i);
    }
}

void StringGridModel::setColumnEditable(int col, bool on)
{
    if (col < 0)
        return;
    if (static_cast<int>(m_readOnlyColumns.size()) <= col)
        m_readOnlyColumns.resize(col + 1, 0);
    m_readOnlyColumns[col] = on ? 0 : 1;
}

bool StringGridModel::columnEditable(int col) const
{
    return col >= static_cast<int>(m_readOnlyColumns.size()) || !m_readOnlyColumns[col];
}

void StringGridModel::beginBulk()
{
    if (m_bulk)
        return;
    beginResetModel();
    m_bulk = true;
}

void StringGridModel::endBulk()
{
    if (!m_bulk)
        return;
    m_bulk = false;
    endResetModel();
}

TStringGrid::TStringGrid(QWidget *parent)
    : QTableView(parent), m_model(new StringGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new MarkerDelegate(m_model, this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        for (int c = 0; c < static_cast<int>(m_widths.size()) && c < ColCount(); ++c) {
            if (m_widths[c] < 0) {
                setColumnHidden(c, true);
            } else {
                setColumnHidden(c, false);
                setColumnWidth(c, m_widths[c]);
            }
        }
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current, const QModelIndex &) {
                if (m_silent)
                    return;
                m_unannounced = false;
                if (current.isValid())
                    emit selectCell(current.column(), current.row() + FixedRows());
            });
    // A click on the very cell that was made current silently changes no current cell, only
    // the selection: that is the moment its row is chosen.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected, const QItemSelection &) {
                const QModelIndex current = currentIndex();
                if (m_silent || !m_unannounced || !current.isValid())
                    return;
                for (const QModelIndex &i : selected.indexes()) {
                    if (i.row() == current.row()) {
                        m_unannounced = false;
                        emit selectCell(current.column(), current.row() + FixedRows());
                        return;
                    }
                }
            });
}

void TStringGrid::setColCount(int n) { m_model->resize(n, RowCount()); }
void TStringGrid::setRowCount(int n) { m_model->resize(ColCount(), n); }
void TStringGrid::setSize(int cols, int rows) { m_model->resize(cols, rows); }

void TStringGrid::setFixedRows(int n)
{
    m_model->setFixedRows(n);
    horizontalHeader()->setVisible(n > 0);
}

QString TStringGrid::cellText(int col, int row) const { return toQ(Cell(col, row)); }
void TStringGrid::setCellText(int col, int row, const QString &text) { setCell(col, row, fromQ(text)); }

int TStringGrid::ColWidth(int col) const
{
    if (col >= 0 && col < static_cast<int>(m_widths.size()))
        return m_widths[col];
    return columnWidth(col);
}

void TStringGrid::setColWidth(int col, int width)
{
    if (col < 0)
        return;
    if (static_cast<int>(m_widths.size()) <= col)
        m_widths.resize(col + 1, 64);
    m_widths[col] = width;
    if (col >= ColCount())
        return;
    if (width < 0) {
        setColumnHidden(col, true);
    } else {
        setColumnHidden(col, false);
        setColumnWidth(col, width);
    }
}

void TStringGrid::setDefaultRowHeight(int height) { verticalHeader()->setDefaultSectionSize(height); }

int TStringGrid::Row() const
{
    QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + FixedRows() : -1;
}

int TStringGrid::Col() const
{
    QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : -1;
}

QModelIndex TStringGrid::cellOfRow(int row) const
{
    const int modelRow = row - FixedRows();
    if (modelRow < 0 || modelRow >= m_model->rowCount())
        return {};
    int col = std::max(currentIndex().column(), m_fixedCols < ColCount() ? m_fixedCols : 0);
    // A hidden column cannot show the current cell: take the first visible one from there on.
    while (col + 1 < ColCount() && isColumnHidden(col))
        ++col;
    return m_model->index(modelRow, col);
}

void TStringGrid::setRow(int row)
{
    const QModelIndex target = cellOfRow(row);
    if (!target.isValid())
        return;
    if (target == currentIndex()) {
        m_unannounced = false;
        selectionModel()->select(target, QItemSelectionModel::ClearAndSelect | selectionFlagsOfRow());
        emit selectCell(target.column(), row);
    } else {
        setCurrentIndex(target);
    }
    scrollTo(target);
}

void TStringGrid::setRowSilently(int row, bool highlight)
{
    const QModelIndex target = cellOfRow(row);
    if (!target.isValid())
        return;
    m_silent = true;
    if (highlight) {
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect |
                                                      selectionFlagsOfRow());
    } else {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    }
    m_silent = false;
    m_unannounced = !highlight;
    scrollTo(target);
}

void TStringGrid::setRowSelect(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void TStringGrid::setEditing(bool on)
{
    m_model->setEditable(on);
    setEditTriggers(on ? (QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                          | QAbstractItemView::AnyKeyPressed)
                       : QAbstractItemView::NoEditTriggers);
}

void TStringGrid::setColSizing(bool on)
{
    horizontalHeader()->setSectionResizeMode(on ? QHeaderView::Interactive : QHeaderView::Fixed);
}

void TStringGrid::setMarkerColor(std::function<QColor(int)> fn)
{
    m_model->markerColor = std::move(fn);
    viewport()->update();
}

void TStringGrid::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && state() != QAbstractItemView::EditingState) {
        emit enterPressed();
        return;
    }
    if (!event->text().isEmpty())
        emit keyPressed(event->text().at(0));
    QTableView::keyPressEvent(event);
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit dblClicked();
}

void TableToGrid(const TTableHeader &header, const std::string &data, TStringGrid &grid)
{
    const int n = FieldCount(header);
    const int rows = header.RecordCount > 0 ? header.RecordCount + 1 : 2;
    grid.beginUpdate();
    grid.setSize(n + 1, 0); // clears every cell
    grid.setSize(n + 1, rows);
    grid.setFixedRows(1);
    grid.setFixedCols(1);
    for (int c = 1; c <= n; ++c) {
        std::string name = header.FieldNames[c];
        size_t b = 0, e = name.size();
        while (b < e && static_cast<unsigned char>(name[b]) <= 0x20)
            ++b;
        while (e > b && static_cast<unsigned char>(name[e - 1]) <= 0x20)
            --e;
        grid.setCell(c, 0, name.substr(b, e - b));
    }
    for (int r = 1; r < rows && r <= header.RecordCount; ++r)
        for (int c = 1; c <= n; ++c)
            grid.setCell(c, r, GetField(header, data, r, c));
    grid.endUpdate();
    grid.setColWidth(0, 10);
    for (int c = 1; c <= n; ++c)
        grid.setColWidth(c, header.FieldLengths[c] * 7);
    grid.setColSizing(true);
    grid.setEditing(true);
}

} // namespace veltor
