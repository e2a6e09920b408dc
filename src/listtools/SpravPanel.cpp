#include "listtools/SpravPanel.h"

#include "app/Guard.h"
#include "app/StringGrid.h"
#include "card/CardWidgets.h"
#include "listtools/Unit3.h"
#include "storage/Schema.h"

#include <QTabBar>
#include <QVBoxLayout>

namespace veltor {

TSpravPanel::TSpravPanel(TForm3 &host) : QWidget(&host), m_host(host)
{
    setObjectName("PanelSprav");
    TabControl1 = new QTabBar(this);
    TabControl1->setObjectName("TabControl1");
    TabControl1->setAccessibleName(QString::fromUtf8("Справочник"));
    StringGrid1 = new TStringGrid(this);
    StringGrid1->setObjectName("StringGrid1");
    // Named again by the caption of each opening.
    StringGrid1->setAccessibleName(QString::fromUtf8("Справочник"));
    StringGrid1->setMinimumSize(560, 360);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(TabControl1);
    layout->addWidget(StringGrid1, 1);
    setFocusProxy(StringGrid1);

    connect(StringGrid1, &TStringGrid::dblClicked, this, guarded(this, [this] { StringGrid1DblClick(); }));
    connect(StringGrid1, &TStringGrid::enterPressed, this, guarded(this, [this] { StringGrid1DblClick(); }));
}

void TSpravPanel::preparePositionPick(std::function<void(const std::string &)> picked)
{
    m_picked = std::move(picked);
    const LoadedTable &dolzh = m_host.state().Dolzh;
    TableToGrid(dolzh.Header, dolzh.Data, *StringGrid1);
    StringGrid1->setEditing(false);
    StringGrid1->setRowSelect(true);
    layOutColumns(*StringGrid1, dolzh.Header,
                  {{schema::NOM, 50, "№ п/п"},
                   {schema::DOLZH, 250, "Наименование должности"},
                   {schema::DOLZH_KOGO, 120, "Должность род.падеж (кого?)"},
                   {schema::DOLZH_KOMU, 120, "Должность дат.падеж (кому?)"}});
    StringGrid1->setAccessibleName(m_host.windowTitle());
    selectGridRow(*StringGrid1, 1);
}

void TSpravPanel::StringGrid1DblClick()
{
    if (!m_picked)
        return;
    const int row = StringGrid1->Row();
    const LoadedTable &dolzh = m_host.state().Dolzh;
    if (row < 1 || row > dolzh.Header.RecordCount)
        return;
    const int field = FieldIndex(dolzh.Header, schema::DOLZH);
    if (field < 1)
        return;
    m_picked(StringGrid1->Cell(field, row));
}

} // namespace veltor
