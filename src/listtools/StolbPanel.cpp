#include "listtools/StolbPanel.h"
#include "listtools/PanelButtons.h"
#include "records/Commit.h"

#include "app/Guard.h"
#include "app/QtText.h"
#include "app/Release.h"
#include "app/StringGrid.h"
#include "app/WindowSupport.h"
#include "card/CardWidgets.h"
#include "listtools/PanelKeys.h"
#include "listtools/Unit3.h"
#include "storage/Schema.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

TStolbPanel::TStolbPanel(TForm3 &host) : QWidget(&host), m_host(host)
{
    setObjectName("PanelStolb");
    CheckListBox1 = new QListWidget(this);
    CheckListBox1->setObjectName("CheckListBox1");
    CheckListBox1->setMinimumSize(320, 300);
    Label = makeLabel(u("Выберите колонки основной таблицы"), CheckListBox1, this);
    Button15 = panelButton(this, "Button15", "О К");
    Button16 = panelButton(this, "Button16", "Отмена");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label);
    layout->addWidget(CheckListBox1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button15);
    buttons->addWidget(Button16);
    layout->addLayout(buttons);
    setFocusProxy(CheckListBox1);

    connect(CheckListBox1, &QListWidget::itemChanged, this,
            guarded(this, [this] { CheckListBox1ClickCheck(); }));
    connect(Button15, &QPushButton::clicked, this, guarded(this, [this] { Button15Click(); }));
    connect(Button16, &QPushButton::clicked, this, [this] { m_host.close(); });
    // Space ticks the current item; Enter is "О К", Esc closes.
    auto *keys = new PanelKeys(this, guarded(this, [this] { Button15Click(); }), [this] { m_host.close(); });
    keys->watch(CheckListBox1);
}

void TStolbPanel::prepare()
{
    m_filling = true;
    CheckListBox1->clear();
    for (const TColumnSetting &c : m_host.state().ColumnSettings) {
        auto *item = new QListWidgetItem(toQ(c.Caption), CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(c.Shown == "1" ? Qt::Checked : Qt::Unchecked);
    }
    CheckListBox1->setCurrentRow(CheckListBox1->count() > 0 ? 0 : -1);
    m_filling = false;
}

// The Stolb record a column entry was built from. Entry i came from record i + 1 at start-up,
// but columns added or removed in the settings since then shift the records; a record is taken
// only when it still describes the same column, so a check mark never lands on another one.
static int stolbRecordOf(const LoadedTable &stolb, const TColumnSetting &column, int entry)
{
    const TTableHeader &h = stolb.Header;
    const int caption = FieldIndex(h, schema::STOLB_GRID);
    const int field = FieldIndex(h, schema::POLE_BAZY);
    const int table = FieldIndex(h, schema::NOMER_BAZY);
    auto same = [&](int r) {
        return GetField(h, stolb.Data, r, field) == column.FieldName &&
               GetField(h, stolb.Data, r, table) == column.TableNo &&
               GetField(h, stolb.Data, r, caption) == column.Caption;
    };
    if (entry + 1 <= h.RecordCount && same(entry + 1))
        return entry + 1;
    for (int r = 1; r <= h.RecordCount; ++r)
        if (same(r))
            return r;
    return 0;
}

void TStolbPanel::CheckListBox1ClickCheck()
{
    if (m_filling)
        return;
    AppState &state = m_host.state();
    LoadedTable &stolb = state.Stolb;
    const int pokaz = FieldIndex(stolb.Header, schema::POKAZ);
    const int n = std::min<int>(CheckListBox1->count(), static_cast<int>(state.ColumnSettings.size()));
    for (int i = 0; i < n; ++i) {
        const std::string shown = CheckListBox1->item(i)->checkState() == Qt::Checked ? "1" : "0";
        state.ColumnSettings[i].Shown = shown;
        if (const int r = stolbRecordOf(stolb, state.ColumnSettings[i], i))
            SetField(stolb, r, pokaz, shown);
    }
}

void TStolbPanel::Button15Click()
{
    AppState &state = m_host.state();
    SaveSet(state, "выбор колонок перечня").keepChangesOnFailure().add(state.Stolb).commit();
    m_host.list().refill(state.CurrentCodeList);
    m_host.close();
}

TAboutPanel::TAboutPanel(TForm3 &host) : QWidget(&host)
{
    setObjectName("PanelAbout");
    AboutMemo = new QPlainTextEdit(this);
    AboutMemo->setObjectName("AboutMemo");
    AboutMemo->setReadOnly(true);
    AboutMemo->setAccessibleName(u("О программе"));
    AboutMemo->setMinimumSize(440, 220);
    // The release is the one the main window's title shows.
    AboutMemo->setPlainText(QString::fromStdString(programTitle()) + u(
        "\n\n"
        "Программа ведет личные дела сотрудников небольшой организации: перечень сотрудников, "
        "личные карточки, справочники отделов и должностей, журнал кадровых приказов и печать "
        "кадровых документов по шаблонам.\n\n"
        "Авторы: группа разработчиков программы «Кадровый учет», 2026.\n\n"
        "Программа распространяется бесплатно, как есть, без каких-либо гарантий. Разрешается "
        "свободно копировать и использовать ее; авторы не отвечают за ущерб от ее применения."));
    AboutButton = new QPushButton(u("О К"), this);
    AboutButton->setObjectName("AboutButton");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(AboutMemo, 1);
    layout->addWidget(AboutButton, 0, Qt::AlignRight);
    setFocusProxy(AboutButton);
    connect(AboutButton, &QPushButton::clicked, this, [&host] { host.close(); });
}

} // namespace veltor
