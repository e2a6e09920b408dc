#include "card/ParamsPage.h"

#include "app/FieldInput.h"
#include "app/Guard.h"
#include "app/StringGrid.h"

#include "storage/Schema.h"

#include <QEvent>
#include <QVBoxLayout>

namespace veltor {

TCardParamsPage::TCardParamsPage(QWidget *parent) : QWidget(parent)
{
    setObjectName("Dopolnitelno");
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    StringGrid4 = new TStringGrid(this);
    StringGrid4->setObjectName("StringGrid4");
    StringGrid4->setAccessibleName(QString::fromUtf8("Дополнительные параметры"));
    StringGrid4->setSize(2, 1);
    StringGrid4->setFixedRows(1);
    StringGrid4->setFixedCols(1);
    StringGrid4->setColumnEditable(0, false);
    StringGrid4->installEventFilter(this);
    layout->addWidget(StringGrid4);
    connect(StringGrid4, &TStringGrid::selectCell, this,
            guarded(this, [this](int col, int row) { StringGrid4SelectCell(col, row); }));
}

void TCardParamsPage::fill(const std::vector<std::string> &names, const std::vector<std::string> &values)
{
    const int count = static_cast<int>(names.size());
    StringGrid4->beginUpdate();
    StringGrid4->setSize(2, 0);
    StringGrid4->setSize(2, count + 1);
    StringGrid4->setFixedRows(1);
    StringGrid4->setCellText(0, 0, QString::fromUtf8("Параметр"));
    StringGrid4->setCellText(1, 0, QString::fromUtf8("Значение"));
    for (int k = 1; k <= count; ++k) {
        StringGrid4->setCell(0, k, names[static_cast<size_t>(k - 1)]);
        if (static_cast<size_t>(k - 1) < values.size())
            StringGrid4->setCell(1, k, values[static_cast<size_t>(k - 1)]);
    }
    StringGrid4->endUpdate();
    sizeColumns();
    StringGrid4SelectCell(StringGrid4->Col(), StringGrid4->Row());
}

std::vector<std::string> TCardParamsPage::values() const
{
    std::vector<std::string> result;
    for (int k = 1; k < StringGrid4->RowCount(); ++k)
        result.push_back(StringGrid4->Cell(1, k));
    return result;
}

void TCardParamsPage::limitInputs(const LoadedTable &dopoln)
{
    bindGridCells(StringGrid4, [this, &dopoln](int col, int row) -> std::optional<CellField> {
        if (col != 1 || row < 1)
            return std::nullopt;
        return CellField{&dopoln, schema::dopolnFieldName(row), FieldInputKind::Text, StringGrid4->cellText(0, row)};
    });
}

void TCardParamsPage::StringGrid4SelectCell(int col, int)
{
    StringGrid4->setEditing(col == 1);
}

void TCardParamsPage::sizeColumns()
{
    // Measured from the grid itself: its viewport follows a resize only after this filter ran.
    const int names = StringGrid4->width() / 3;
    const int client = StringGrid4->width() - 2 * StringGrid4->frameWidth();
    StringGrid4->setColWidth(0, names);
    StringGrid4->setColWidth(1, std::max(20, client - names - 5));
}

bool TCardParamsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == StringGrid4 && event->type() == QEvent::Resize)
        sizeColumns();
    return QWidget::eventFilter(watched, event);
}

} // namespace veltor
