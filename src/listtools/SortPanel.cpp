#include "listtools/SortPanel.h"

#include "app/EmployeeList.h"
#include "app/Guard.h"
#include "app/QtText.h"
#include "app/StringGrid.h"
#include "app/WindowSupport.h"
#include "card/CardWidgets.h"
#include "listtools/ListSort.h"
#include "listtools/PanelKeys.h"
#include "listtools/Unit3.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace veltor {

TSortPanel::TSortPanel(TForm3 &host) : QWidget(&host), m_host(host)
{
    setObjectName("PanelSort");
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setMinimumWidth(300);
    Label2 = makeLabel(QString::fromUtf8("Выберите поле для сортировки"), ComboBox1, this, "Label2");
    RadioButton1 = new QRadioButton(QString::fromUtf8("по возрастанию"), this);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QString::fromUtf8("по убыванию"), this);
    RadioButton2->setObjectName("RadioButton2");
    auto *order = new QButtonGroup(this);
    order->addButton(RadioButton1);
    order->addButton(RadioButton2);
    Button2 = new QPushButton(QString::fromUtf8("Сортировать!"), this);
    Button2->setObjectName("Button2");
    Button2->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(ComboBox1);
    auto *radios = new QHBoxLayout;
    radios->addWidget(RadioButton1);
    radios->addWidget(RadioButton2);
    radios->addStretch(1);
    layout->addLayout(radios);
    layout->addWidget(Button2, 0, Qt::AlignRight);
    setFocusProxy(ComboBox1);

    connect(Button2, &QPushButton::clicked, this, guarded(this, [this] { Button2Click(); }));
    auto *keys = new PanelKeys(this, guarded(this, [this] { Button2Click(); }), [this] { m_host.close(); });
    keys->watch(ComboBox1);
    keys->watch(RadioButton1);
    keys->watch(RadioButton2);
}

void TSortPanel::prepare()
{
    if (ComboBox1->count() > 0)
        return;
    const EmployeeListWindow &list = m_host.list();
    for (int c = 1; c < list.columnCount(); ++c)
        ComboBox1->addItem(toQ(list.cellText(c, 0)));
    ComboBox1->setCurrentIndex(-1);
}

void TSortPanel::Button2Click()
{
    EmployeeListWindow &list = m_host.list();
    AppState &state = m_host.state();
    // With no field chosen the key column is the untitled marker column, whose cells are empty.
    const int col = ComboBox1->currentIndex() + 1;
    const SortOrder order = RadioButton1->isChecked() ? SortOrder::Ascending : SortOrder::Descending;
    const std::string sorted =
        SortCodeList(effectiveCodeList(state, state.CurrentCodeList), list.rowCount() - 1,
                     [&](int row) -> const std::string & { return list.cellText(col, row); }, order);

    const std::string previous = state.CurrentCodeList;
    state.CurrentCodeList = sorted;
    try {
        list.refill(state.CurrentCodeList);
    } catch (...) {
        state.CurrentCodeList = previous;
        throw;
    }
    list.addTitleNote(QString::fromUtf8("Применена сортировка"));
    m_host.close();
}

} // namespace veltor
