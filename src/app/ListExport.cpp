#include "app/ListExport.h"

#include "storage/FileNames.h"
#include "text/Convert.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

#include <QSaveFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <memory>
#include <optional>

namespace veltor {
namespace {

[[noreturn]] void throwWriteError(const std::filesystem::path &file, const std::string &why)
{
    throw FileError("Не удается записать файл \"" + pathToUtf8(file) + "\": " + why);
}

std::optional<double> numberOf(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    try {
        const double value = strToFloat(text);
        if (std::isfinite(value))
            return value;
    } catch (const std::exception &) {
    }
    return std::nullopt;
}

std::optional<Date> dateOf(const std::string &text)
{
    Date date;
    // Exactly dd.mm.yyyy, as the list shows dates; anything else is kept as the text it is.
    if (text.size() == 10 && tryStrToDate(text, date))
        return date;
    return std::nullopt;
}

bool looksLikeFormula(std::string_view text)
{
    return !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@');
}

void appendCsvField(std::string &out, const std::string &utf8)
{
    const bool quote = utf8.find_first_of(";\"\r\n") != std::string::npos;
    if (!quote) {
        out += utf8;
        return;
    }
    out += '"';
    for (const char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

std::string csvCell(const ExportColumn &column, const std::string &cp1251)
{
    if (column.kind == CellKind::Number) {
        if (std::optional<double> value = numberOf(cp1251)) {
            std::string text = cp1251;
            std::replace(text.begin(), text.end(), '.', ',');
            return text;
        }
    }
    if (column.kind == CellKind::Date && dateOf(cp1251))
        return cp1251;
    std::string utf8 = cp1251ToUtf8(cp1251);
    return looksLikeFormula(utf8) ? "'" + utf8 : utf8;
}

struct WorkbookCloser {
    void operator()(lxw_workbook *workbook) const { workbook_close(workbook); }
};

void writeWorkbook(const std::filesystem::path &target, const std::filesystem::path &temporary,
                   const ExportTable &table)
{
    lxw_workbook *workbook = workbook_new(pathToUtf8(temporary).c_str());
    if (!workbook)
        throwWriteError(target, "не удается создать книгу");
    std::unique_ptr<lxw_workbook, WorkbookCloser> guard(workbook);
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Перечень");
    lxw_format *heading = workbook_add_format(workbook);
    format_set_bold(heading);
    lxw_format *text = workbook_add_format(workbook);
    format_set_num_format(text, "@");
    lxw_format *number = workbook_add_format(workbook);
    format_set_num_format(number, "0.00");
    lxw_format *date = workbook_add_format(workbook);
    format_set_num_format(date, "dd.mm.yyyy");

    for (size_t c = 0; c < table.columns.size(); ++c) {
        const ExportColumn &column = table.columns[c];
        const auto col = static_cast<lxw_col_t>(c);
        worksheet_set_column_pixels(sheet, col, col, static_cast<uint32_t>(std::max(8, column.widthPx)),
                                    nullptr);
        worksheet_write_string(sheet, 0, col, cp1251ToUtf8(column.caption).c_str(), heading);
    }
    worksheet_freeze_panes(sheet, 1, 0);

    const size_t rows = table.rowCount();
    for (size_t r = 0; r < rows; ++r) {
        const auto row = static_cast<lxw_row_t>(r + 1);
        for (size_t c = 0; c < table.columns.size(); ++c) {
            const ExportColumn &column = table.columns[c];
            const std::string &value = table.at(c, r);
            const auto col = static_cast<lxw_col_t>(c);
            if (value.empty())
                continue;
            if (column.kind == CellKind::Number) {
                if (std::optional<double> n = numberOf(value)) {
                    worksheet_write_number(sheet, row, col, *n, number);
                    continue;
                }
            } else if (column.kind == CellKind::Date) {
                if (std::optional<Date> d = dateOf(value)) {
                    lxw_datetime when{d->year, static_cast<uint8_t>(d->month),
                                      static_cast<uint8_t>(d->day), 0, 0, 0.0};
                    worksheet_write_datetime(sheet, row, col, &when, date);
                    continue;
                }
            }
            // Written as a string cell, never a formula, whatever it starts with.
            worksheet_write_string(sheet, row, col, cp1251ToUtf8(value).c_str(), text);
        }
    }
    const lxw_error result = workbook_close(guard.release());
    if (result != LXW_NO_ERROR)
        throwWriteError(target, lxw_strerror(result));
}

} // namespace

CellKind columnKindOfField(std::string_view fieldName)
{
    static constexpr std::array<std::string_view, 9> dates = {
        "D_IZM", "D_POST", "D_DOG", "D_PRIL", "D_UVOL", "PASS_DATA", "DATA_ROZHD", "VIZA_DATA", "S_ROZHD"};
    if (fieldName == "OKLAD")
        return CellKind::Number;
    if (std::find(dates.begin(), dates.end(), fieldName) != dates.end())
        return CellKind::Date;
    return CellKind::Text;
}

ExportTable shownListForExport(const AppState &state, int cols, int rows,
                               const std::function<const std::string &(int col, int row)> &cell,
                               const std::function<int(int col)> &width,
                               const std::function<bool(int row)> &dismissed)
{
    // The grid's columns follow the shown column settings; a column is typed only when its
    // heading is the caption of the setting at its place.
    std::vector<const TColumnSetting *> shown;
    for (const TColumnSetting &s : state.ColumnSettings)
        if (s.Shown == "1")
            shown.push_back(&s);

    ExportTable table;
    table.columns.push_back({cp("Уволен"), 60, CellKind::Text});
    std::vector<int> gridColumns;
    for (int c = 1; c < cols; ++c) {
        if (width(c) < 0)
            continue;
        ExportColumn column{rows > 0 ? cell(c, 0) : std::string(), width(c), CellKind::Text};
        if (c - 1 < static_cast<int>(shown.size()) && shown[c - 1]->Caption == column.caption)
            column.kind = columnKindOfField(shown[c - 1]->FieldName);
        table.columns.push_back(std::move(column));
        gridColumns.push_back(c);
    }
    table.cells.reserve(static_cast<size_t>(std::max(0, rows - 1)) * table.columns.size());
    for (int r = 1; r < rows; ++r) {
        table.cells.push_back(dismissed(r) ? cp("да") : std::string());
        for (int c : gridColumns)
            table.cells.push_back(cell(c, r));
    }
    return table;
}

ExportFormat exportFormatOf(const std::filesystem::path &file)
{
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".csv" ? ExportFormat::Csv : ExportFormat::Workbook;
}

std::string listCsv(const ExportTable &table)
{
    std::string out = "\xEF\xBB\xBF";
    out.reserve(table.cells.size() * 16);
    auto line = [&](auto &&fieldOf) {
        for (size_t c = 0; c < table.columns.size(); ++c) {
            if (c > 0)
                out += ';';
            appendCsvField(out, fieldOf(c));
        }
        out += "\r\n";
    };
    line([&](size_t c) {
        std::string utf8 = cp1251ToUtf8(table.columns[c].caption);
        return looksLikeFormula(utf8) ? "'" + utf8 : utf8;
    });
    for (size_t r = 0; r < table.rowCount(); ++r)
        line([&](size_t c) { return csvCell(table.columns[c], table.at(c, r)); });
    return out;
}

void writeListExport(const std::filesystem::path &file, const ExportTable &table)
{
    if (exportFormatOf(file) == ExportFormat::Csv) {
        const std::string bytes = listCsv(table);
        QSaveFile out(pathToQString(file));
        if (!out.open(QIODevice::WriteOnly))
            throwWriteError(file, out.errorString().toStdString());
        if (out.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())
            || !out.commit())
            throwWriteError(file, out.errorString().toStdString());
        return;
    }
    // The workbook is made beside the target under a free name and renamed over it only when
    // complete. The name is only reserved here: the library creates the file itself, with the
    // permissions any new file gets.
    std::filesystem::path partial;
    {
        QTemporaryFile reserve(pathToQString(file) + QStringLiteral(".XXXXXX"));
        if (!reserve.open())
            throwWriteError(file, reserve.errorString().toStdString());
        partial = pathFromQString(reserve.fileName());
    }
    try {
        writeWorkbook(file, partial, table);
        std::error_code error;
        std::filesystem::rename(partial, file, error);
        if (error)
            throwWriteError(file, error.message());
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        throw;
    }
}

} // namespace veltor
