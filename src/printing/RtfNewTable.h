#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "printing/RtfText.h"

// A table added to a document (Tables.Add, Rows.Add): kept as cells and written as RTF only
// when the document is saved, so a list of ten thousand rows is built in one pass.
namespace veltor {

class RtfNewTable {
public:
    RtfNewTable(int rows, int columns);

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // Cells of a row; row from 1, 0 when out of range.
    int columnCount(int row) const;
    bool hasCell(int row, int column) const;

    // CP1251 texts. The cell must exist (hasCell).
    const std::string &text(int row, int column) const;
    void setText(int row, int column, std::string_view text);
    void setBold(int row, int column, bool bold);
    // A row at the end with as many cells as the last row.
    void addRow();

    // Appends the rows, each cell with a single-line border, the columns sharing `width`
    // twips equally.
    void render(std::string &out, int width, int codePage) const;

private:
    struct Cell {
        std::string text;
        bool bold = false;
    };
    Cell &cell(int row, int column) { return m_rows[row - 1][column - 1]; }

    std::vector<std::vector<Cell>> m_rows;
};

} // namespace veltor
