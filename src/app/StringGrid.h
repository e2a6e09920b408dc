#pragma once
#include <QAbstractTableModel>
#include <QColor>
#include <QTableView>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/DBFUnit.h"

class QLineEdit;

// The string grid the windows are written against: Cells[col][row] holding CP1251 texts, a
// fixed heading row 0 and a fixed narrow column 0, column widths where -1 hides a column, row
// selection, in-place editing, an owner-drawn column 0. A QTableView over a model of plain
// strings, so tens of thousands of rows stay cheap; texts are converted only when shown.
namespace veltor {

class StringGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Grid coordinates: row 0 is the heading row when fixedRows is 1.
    void resize(int cols, int rows);
    int gridCols() const { return m_cols; }
    int gridRows() const { return m_rows; }
    void setFixedRows(int n);
    int fixedRows() const { return m_fixedRows; }
    const std::string &cell(int col, int row) const;
    void setCell(int col, int row, std::string value);
    void setEditable(bool on) { m_editable = on; }
    bool editable() const { return m_editable; }
    void setColumnEditable(int col, bool on);
    std::function<QColor(int gridRow)> markerColor; // paints column 0 when set
    std::function<void(int col, int row)> cellEdited;

    // Announces a whole new content after bulk setCell calls.
    void beginBulk();
    void endBulk();

private:
    bool columnEditable(int col) const;
    int m_cols = 0;
    int m_rows = 0;
    int m_fixedRows = 1;
    bool m_editable = false;
    std::vector<char> m_readOnlyColumns;
    std::vector<std::string> m_cells; // row-major
    bool m_bulk = false;
};

class TStringGrid : public QTableView {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget *parent = nullptr);

    int ColCount() const { return m_model->gridCols(); }
    int RowCount() const { return m_model->gridRows(); }
    void setColCount(int n);
    void setRowCount(int n);
    void setSize(int cols, int rows); // both at once, keeping cells that stay
    int FixedRows() const { return m_model->fixedRows(); }
    void setFixedRows(int n);
    // Column 0 is fixed when 1: never selected or edited.
    int FixedCols() const { return m_fixedCols; }
    void setFixedCols(int n) { m_fixedCols = n; }

    // Cells[col][row], CP1251.
    const std::string &Cell(int col, int row) const { return m_model->cell(col, row); }
    void setCell(int col, int row, std::string value) { m_model->setCell(col, row, std::move(value)); }
    QString cellText(int col, int row) const;
    void setCellText(int col, int row, const QString &text);

    int ColWidth(int col) const;
    void setColWidth(int col, int width); // -1 hides the column
    void setDefaultRowHeight(int height);

    // The selected grid row (the first data row is FixedRows()); -1 when none.
    int Row() const;
    int Col() const;
    void setRow(int row); // selects that row, emitting selectCell
    // Puts the current cell on that row without emitting selectCell: selected (highlighted) when
    // `highlight`, otherwise only the keyboard's position, which the first click, Space or arrow
    // key turns into a selection (emitting selectCell then).
    void setRowSilently(int row, bool highlight);

    void setRowSelect(bool on);
    void setEditing(bool on);
    void setColumnEditable(int col, bool on) { m_model->setColumnEditable(col, on); }
    void setColSizing(bool on);

    // Bulk fill without per-cell notifications.
    void beginUpdate() { m_model->beginBulk(); }
    void endUpdate() { m_model->endBulk(); }

    void setMarkerColor(std::function<QColor(int gridRow)> fn);
    void onCellEdited(std::function<void(int col, int row)> fn) { m_model->cellEdited = std::move(fn); }
    // Called with every in-place editor made for a cell (grid column and row), so that the
    // window can limit what it takes.
    void onEditorCreated(std::function<void(QLineEdit *editor, int col, int row)> fn)
    {
        m_editorCreated = std::move(fn);
    }
    const std::function<void(QLineEdit *, int, int)> &editorCreated() const { return m_editorCreated; }

    StringGridModel *model() const { return m_model; }

signals:
    void selectCell(int col, int row);
    void dblClicked();
    void enterPressed();
    void keyPressed(QChar key);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QModelIndex cellOfRow(int row) const;
    // Selects whole rows where the grid selects rows.
    QItemSelectionModel::SelectionFlags selectionFlagsOfRow() const
    {
        return selectionBehavior() == SelectRows ? QItemSelectionModel::Rows
                                                 : QItemSelectionModel::NoUpdate;
    }

    StringGridModel *m_model;
    bool m_silent = false;       // current cell being moved without selectCell
    bool m_unannounced = false;  // the current cell was placed silently and not yet selected
    int m_fixedCols = 1;
    std::vector<int> m_widths;
    std::function<void(QLineEdit *, int, int)> m_editorCreated;
};

// Fills a grid with a whole table: one fixed column, a heading row of field names, widths
// FieldLengths x 7, row sizing, column sizing and editing switched on.
void TableToGrid(const TTableHeader &header, const std::string &data, TStringGrid &grid);

} // namespace veltor
