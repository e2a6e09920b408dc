#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "records/AppState.h"

// The employee list as shown, saved as an Excel workbook or a CSV file for other programs.
namespace veltor {

// What a column's cells are in a workbook. A cell whose text does not read as its kind stays a
// text, so nothing shown is lost.
enum class CellKind { Text, Number, Date };

enum class ExportFormat { Workbook, Csv };

struct ExportColumn {
    std::string caption; // CP1251
    int widthPx = 64;
    CellKind kind = CellKind::Text;
};

// Cells row-major, CP1251, without the heading row.
struct ExportTable {
    std::vector<ExportColumn> columns;
    std::vector<std::string> cells;
    size_t rowCount() const { return columns.empty() ? 0 : cells.size() / columns.size(); }
    const std::string &at(size_t col, size_t row) const { return cells[row * columns.size() + col]; }
};

// The kind of a list column by the field it shows: salaries are numbers, dates are dates.
CellKind columnKindOfField(std::string_view fieldName);

// What the grid shows: the dismissed marker as a first column "Уволен" ("да" or empty), then
// every column the grid does not hide, rows in grid order. cell(c, r) gives the grid's cells
// (r = 0 the headings), width(c) its column widths (-1 hidden).
ExportTable shownListForExport(const AppState &state, int cols, int rows,
                               const std::function<const std::string &(int col, int row)> &cell,
                               const std::function<int(int col)> &width,
                               const std::function<bool(int row)> &dismissed);

// The format a file name asks for: ".csv" (any case) is CSV, anything else a workbook.
ExportFormat exportFormatOf(const std::filesystem::path &file);

// UTF-8 with a byte order mark, ";"-separated, fields quoted as RFC 4180 says, lines ending in
// CR LF. Numbers carry a decimal comma, as a Russian spreadsheet reads them. A text a
// spreadsheet would run as a formula (starting with =, +, -, @) is written behind an apostrophe.
std::string listCsv(const ExportTable &table);

// Writes the file atomically in the format its name asks for; FileError naming the file when
// it cannot be written.
void writeListExport(const std::filesystem::path &file, const ExportTable &table);

} // namespace veltor
