#include "orders/OrderJournalPanel.h"

#include "app/StringGrid.h"
#include "orders/OrderLogic.h"
#include "storage/Schema.h"
#include "text/Cp1251.h"

#include <QVBoxLayout>

namespace veltor {

TOrderJournalPanel::TOrderJournalPanel(const AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName("ZhurPanel");
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ZhurGrid = new TStringGrid(this);
    ZhurGrid->setObjectName("ZhurGrid");
    ZhurGrid->setAccessibleName(QString::fromUtf8("Журнал кадровых приказов"));
    ZhurGrid->setRowSelect(true);
    ZhurGrid->setMinimumSize(900, 420);
    layout->addWidget(ZhurGrid);
}

void TOrderJournalPanel::zapolnenieZhurKadrDok(const LoadedTable &zhurDok)
{
    TableToGrid(zhurDok.Header, zhurDok.Data, *ZhurGrid);
    // The journal is read, not edited, here.
    ZhurGrid->setEditing(false);
    ZhurGrid->setRowSelect(true);
    struct Column {
        std::string_view field;
        int width;
        const char *heading;
    };
    static const Column columns[] = {
        {schema::ID_DOK, -1, nullptr},         {schema::TIP_DOK, 150, "Тип документа"},
        {schema::KOD, 200, "Сотрудник"},       {schema::NOM_DOK, 50, "Номер"},
        {schema::DATA_DOK, 80, "Дата"},        {schema::OSNOVAN, 300, "Основание"},
        {schema::D_NACH, -1, nullptr},         {schema::D_KONC, -1, nullptr},
    };
    for (const Column &c : columns) {
        const int f = FieldIndex(zhurDok.Header, c.field);
        if (f < 1)
            continue;
        ZhurGrid->setColWidth(f, c.width);
        if (c.heading)
            ZhurGrid->setCell(f, 0, utf8ToCp1251(c.heading));
    }
    if (zhurDok.Header.RecordCount < 1)
        return;
    const JournalNames names = journalNames(m_state, zhurDok);
    const int kind = FieldIndex(zhurDok.Header, schema::TIP_DOK), employee = FieldIndex(zhurDok.Header, schema::KOD);
    ZhurGrid->beginUpdate();
    for (int r = 1; r <= zhurDok.Header.RecordCount && r < ZhurGrid->RowCount(); ++r) {
        if (kind > 0)
            ZhurGrid->setCell(kind, r, names.kinds[size_t(r - 1)]);
        if (employee > 0)
            ZhurGrid->setCell(employee, r, names.employees[size_t(r - 1)]);
    }
    ZhurGrid->endUpdate();
}

} // namespace veltor
