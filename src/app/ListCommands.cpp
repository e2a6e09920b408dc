// The main window's commands over the shown list as a whole: export and the data check report.
#include "app/Unit1.h"

#include "app/DataChecks.h"
#include "app/Dialogs.h"
#include "app/ListExport.h"
#include "app/StringGrid.h"
#include "documents/TemplatePrinting.h"
#include "storage/FileNames.h"

#include <QFileInfo>
#include <QStatusBar>

namespace veltor {
namespace {
const char *const WorkbookFilter = "Книга Excel (*.xlsx)";
const char *const CsvFilter = "Текст CSV, разделитель «;» (*.csv)";
} // namespace

void TForm1::N1_11Click()
{
    QString chosenFilter;
    QString path = Dialogs::saveFile(QString::fromUtf8("Экспорт перечня"),
                                     QString::fromUtf8(WorkbookFilter) + ";;" + QString::fromUtf8(CsvFilter),
                                     &chosenFilter, this, pathToQString(pathFromCp1251(m_state.OutputFolder)));
    if (path.isEmpty())
        return;
    // A name typed without an ending gets the one of the chosen file type.
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != "xlsx" && suffix != "csv")
        path += chosenFilter == QString::fromUtf8(CsvFilter) ? ".csv" : ".xlsx";

    const ExportTable table = shownListForExport(
        m_state, StringGrid1->ColCount(), StringGrid1->RowCount(),
        [this](int col, int row) -> const std::string & { return StringGrid1->Cell(col, row); },
        [this](int col) { return StringGrid1->isColumnHidden(col) ? -1 : StringGrid1->columnWidth(col); },
        [this](int row) { return rowDismissed(row); });
    writeListExport(pathFromQString(path), table);
    statusBar()->showMessage(QString::fromUtf8("Перечень сохранен: ") + path, 10000);
}

void TForm1::N1_12Click()
{
    // The employees as listed, in the list's order.
    const std::vector<std::string> codes(m_rowCodes.begin() + (m_rowCodes.empty() ? 0 : 1), m_rowCodes.end());
    const FaultReport report = faultReport(m_state, codes, today());
    if (report.rows() <= 1) {
        Dialogs::message(QString::fromUtf8("Проверка данных: ошибок не найдено"), this);
        return;
    }
    printEmployeeList(m_state, report.cols, report.rows(),
                      [&report](int col, int row) -> const std::string & { return report.at(col, row); });
}

} // namespace veltor
