#include "listtools/SpravPanel.h"

#include <algorithm>
#include "listtools/PanelButtons.h"

#include "app/FieldInput.h"
#include "app/Guard.h"
#include "app/StringGrid.h"
#include "records/Commit.h"
#include "records/Startup.h"
#include "card/CardWidgets.h"
#include "listtools/RefLists.h"
#include "listtools/Unit3.h"
#include "storage/Schema.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

TSpravPanel::TSpravPanel(TForm3 &host) : QWidget(&host), m_host(host)
{
    setObjectName("PanelSprav");
    TabControl1 = new QTabBar(this);
    TabControl1->setObjectName("TabControl1");
    TabControl1->setAccessibleName(u("Справочник"));
    SpeedButton1 = panelToolButton(this, "SpeedButton1", "Добавить строку");
    SpeedButton2 = panelToolButton(this, "SpeedButton2", "Удалить строку");
    StringGrid1 = new TStringGrid(this);
    StringGrid1->setObjectName("StringGrid1");
    // Named again by the caption of each opening.
    StringGrid1->setAccessibleName(QString::fromUtf8("Справочник"));
    StringGrid1->setMinimumSize(560, 360);
    Button10 = new QPushButton(u("О К"), this);
    Button10->setObjectName("Button10");
    Button10->setAutoDefault(false);
    Button11 = new QPushButton(u("Отмена"), this);
    Button11->setObjectName("Button11");
    Button11->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(TabControl1);
    auto *tools = new QHBoxLayout;
    tools->addWidget(SpeedButton1);
    tools->addWidget(SpeedButton2);
    tools->addStretch(1);
    layout->addLayout(tools);
    layout->addWidget(StringGrid1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button10);
    buttons->addWidget(Button11);
    layout->addLayout(buttons);
    setFocusProxy(StringGrid1);

    connect(StringGrid1, &TStringGrid::dblClicked, this, guarded(this, [this] { StringGrid1DblClick(); }));
    connect(StringGrid1, &TStringGrid::enterPressed, this, guarded(this, [this] { StringGrid1DblClick(); }));
    connect(StringGrid1, &TStringGrid::selectCell, this, [this](int, int row) { m_row = row; });
    // Numbers and names take what otdel.dbf's or dolzh.dbf's fields hold.
    bindGridToTable(StringGrid1, [this] { return &table(); }, {std::string(schema::NOM)});
    StringGrid1->onCellEdited([this](int col, int row) { runGuarded(this, [&] { cellEdited(col, row); }); });
    connect(SpeedButton1, &QToolButton::clicked, this, guarded(this, [this] { SpeedButton1Click(); }));
    connect(SpeedButton2, &QToolButton::clicked, this, guarded(this, [this] { SpeedButton2Click(); }));
    connect(Button10, &QPushButton::clicked, this, guarded(this, [this] { Button10Click(); }));
    connect(Button11, &QPushButton::clicked, this, [this] { m_host.close(); });
}

LoadedTable &TSpravPanel::table()
{
    return m_departments ? m_host.state().Otdel : m_host.state().Dolzh;
}

void TSpravPanel::setButtonsVisible(bool on)
{
    for (QWidget *w : {static_cast<QWidget *>(SpeedButton1), static_cast<QWidget *>(SpeedButton2),
                       static_cast<QWidget *>(Button10), static_cast<QWidget *>(Button11)})
        w->setVisible(on);
}

void TSpravPanel::reload()
{
    const LoadedTable &t = table();
    TableToGrid(t.Header, t.Data, *StringGrid1);
    if (m_titled) {
        layOutColumns(*StringGrid1, t.Header,
                      {{schema::NOM, 50, "№ п/п"},
                       {schema::OTDEL, 250, "Наименование отдела"},
                       {schema::DOLZH, 250, "Наименование должности"},
                       {schema::DOLZH_KOGO, 200, "Должность род.падеж (кого?)"},
                       {schema::DOLZH_KOMU, 200, "Должность дат.падеж (кому?)"}});
    } else {
        // Picking for a filter box shows the field names as they are.
        layOutColumns(*StringGrid1, t.Header,
                      {{schema::NOM, 50, nullptr},
                       {schema::DOLZH, 250, nullptr},
                       {schema::DOLZH_KOGO, 120, nullptr},
                       {schema::DOLZH_KOMU, 120, nullptr}});
    }
    StringGrid1->setEditing(m_editing);
    StringGrid1->setRowSelect(!m_editing);
}

void TSpravPanel::showCurrentRecords()
{
    const int row = m_row;
    reload();
    m_row = selectGridRow(*StringGrid1, std::clamp(row, 1, std::max(1, StringGrid1->RowCount() - 1)));
}

void TSpravPanel::prepareReferenceList(bool departments)
{
    m_picked = {};
    m_departments = departments;
    m_editing = true;
    m_titled = true;
    m_rowAdded = false;
    setButtonsVisible(true);
    reload();
    StringGrid1->setAccessibleName(u(departments ? "Справочник отделов" : "Справочник должностей"));
    m_row = selectGridRow(*StringGrid1, 1);
}

void TSpravPanel::preparePositionPick(std::function<void(const std::string &, int)> picked, bool titled)
{
    m_picked = std::move(picked);
    m_departments = false;
    m_editing = false;
    m_titled = titled;
    setButtonsVisible(false);
    reload();
    StringGrid1->setAccessibleName(m_host.windowTitle());
    m_row = selectGridRow(*StringGrid1, 1);
}

void TSpravPanel::cellEdited(int col, int row)
{
    if (!m_editing)
        return;
    LoadedTable &t = table();
    // The single blank row of an empty list becomes its first record.
    if (t.Header.RecordCount == 0 && !m_rowAdded) {
        m_rowAdded = true;
        addReferenceRow(t);
        if (const int nom = FieldIndex(t.Header, schema::NOM); nom > 0 && nom != col)
            StringGrid1->setCell(nom, 1, "1");
    }
    if (row >= 1 && row <= t.Header.RecordCount)
        storeReferenceCell(t, row, col, StringGrid1->Cell(col, row));
}

void TSpravPanel::SpeedButton1Click()
{
    if (!m_editing)
        return;
    m_rowAdded = true;
    LoadedTable &t = table();
    const int record = addReferenceRow(t);
    reload();
    m_row = selectGridRow(*StringGrid1, record);
    StringGrid1->setFocus(Qt::OtherFocusReason);
}

void TSpravPanel::SpeedButton2Click()
{
    LoadedTable &t = table();
    if (!m_editing || m_row < 1 || m_row > t.Header.RecordCount)
        return;
    DeleteRecord(t, m_row);
    reload();
    m_row = selectGridRow(*StringGrid1, std::min(m_row, t.Header.RecordCount));
}

void TSpravPanel::Button10Click()
{
    if (!m_editing)
        return;
    // The list's edits live in the table itself: a failed write keeps them for a retry.
    SaveSet(m_host.state(), m_departments ? "справочник отделов" : "справочник должностей")
        .keepChangesOnFailure()
        .add(table())
        .commit();
    m_host.close();
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
    m_picked(StringGrid1->Cell(field, row), row);
}

} // namespace veltor
