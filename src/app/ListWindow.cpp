// The main window as the other windows see it: the shown list, its title and status line.
#include "app/StringGrid.h"
#include "app/Unit1.h"

#include <QStatusBar>

namespace veltor {

void TForm1::refill(const std::string &codeList)
{
    if (StringGrid1->isHidden() && m_state.Osnova.Header.RecordCount > 0)
        StringGrid1->show();
    zapolnenieOsnovnojTablitsy(codeList);
}

bool TForm1::listShown() const
{
    return !StringGrid1->isHidden();
}

void TForm1::addTitleNote(const QString &note)
{
    // The note goes before the read-only mark, which the title keeps last.
    QString title = windowTitle();
    const QString readOnly = QString::fromUtf8(" (только чтение)");
    if (title.endsWith(readOnly))
        title.chop(readOnly.size());
    setWindowTitle(title + QString::fromUtf8(" (") + note + QString::fromUtf8(")"));
}

void TForm1::plainTitle()
{
    setWindowTitle(QString::fromUtf8("Перечень сотрудников"));
}

int TForm1::rowCount() const
{
    return StringGrid1->RowCount();
}

int TForm1::columnCount() const
{
    return StringGrid1->ColCount();
}

const std::string &TForm1::cellText(int col, int row) const
{
    return StringGrid1->Cell(col, row);
}

int TForm1::currentRow() const
{
    return StringGrid1->Row();
}

void TForm1::selectRow(int row)
{
    StringGrid1->setRow(row);
}

void TForm1::showPreview(bool shown)
{
    if (previewVisible() != shown)
        N2_9Click();
}

void TForm1::showStatus(const QString &text)
{
    statusBar()->showMessage(text, 8000);
}

} // namespace veltor
