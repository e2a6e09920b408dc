#include "listtools/SearchPanel.h"

#include "app/Guard.h"
#include "app/QtText.h"
#include "app/StringGrid.h"
#include "app/WindowSupport.h"
#include "card/CardWidgets.h"
#include "listtools/ListSearch.h"
#include "listtools/PanelKeys.h"
#include "listtools/Unit3.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace veltor {

TSearchPanel::TSearchPanel(TForm3 &host) : QWidget(&host), m_host(host)
{
    setObjectName("PanelPoisk");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setMinimumWidth(300);
    Label1 = makeLabel(QString::fromUtf8("Введите строку для поиска"), Edit1, this, "Label1");
    Button1 = new QPushButton(QString::fromUtf8("ПОИСК"), this);
    Button1->setObjectName("Button1");
    Button1->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addWidget(Button1, 0, Qt::AlignRight);
    setFocusProxy(Edit1);

    connect(Button1, &QPushButton::clicked, this, guarded(this, [this] { Button1Click(); }));
    auto *keys = new PanelKeys(this, guarded(this, [this] { Button1Click(); }), [this] { m_host.close(); });
    keys->watch(Edit1);
}

void TSearchPanel::Button1Click()
{
    EmployeeListWindow &list = m_host.list();
    const int cols = list.columnCount();
    const int row = findListRow(list.rowCount(), list.currentRow(), fromQ(Edit1->text()), [&](int r) {
        return searchRowText(cols, [&](int c) -> const std::string & { return list.cellText(c, r); });
    });
    if (row > 0)
        list.selectRow(row);
    else
        list.showStatus(QString::fromUtf8("Не найдено"));
    m_host.close();
}

} // namespace veltor
