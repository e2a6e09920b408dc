#include "orders/Unit4.h"

#include "app/Dialogs.h"
#include "app/Guard.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "app/WindowSupport.h"
#include "orders/OrderFormPanel.h"
#include "orders/OrderJournalPanel.h"
#include "storage/FileNames.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

TForm4::TForm4(AppState &state, TForm1 &mainWindow, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_state(state), m_main(mainWindow)
{
    setObjectName("Form4");
    announceAsWindow(this);
    setWindowTitle(u("Кадровый приказ"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    // The window takes the size of the visible panel.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ZhurPanel = new TOrderJournalPanel(m_state, this);
    DokumPanel = new TOrderFormPanel(m_state, this);
    DokumPanel->bindFields(m_book);
    layout->addWidget(ZhurPanel);
    layout->addWidget(DokumPanel);
    ZhurPanel->hide();
    DokumPanel->hide();

    TStringGrid *grid = ZhurPanel->ZhurGrid;
    connect(grid, &TStringGrid::selectCell, this, [this](int col, int row) { ZhurGridSelectCell(col, row); });
    connect(grid, &TStringGrid::dblClicked, this, guarded(this, [this] { ZhurGridDblClick(); }));
    connect(grid, &TStringGrid::enterPressed, this, guarded(this, [this] { ZhurGridDblClick(); }));
    connect(DokumPanel->DokumComboTipOper, &QComboBox::activated, this,
            guarded(this, [this] { DokumComboTipOperChange(); }));
    connect(DokumPanel->DokumButOK, &QPushButton::clicked, this, guarded(this, [this] { DokumButOKClick(); }));
    connect(DokumPanel->DokumButPech, &QPushButton::clicked, this, guarded(this, [this] { DokumButPechClick(); }));
    connect(DokumPanel->DokumButOtmen, &QPushButton::clicked, this,
            guarded(this, [this] { DokumButOtmenClick(); }));
}

void TForm4::openNewOrder()
{
    runGuarded(this, [this] { N6_1Click(); });
}

void TForm4::openJournal()
{
    runGuarded(this, [this] { N6_4Click(); });
}

void TForm4::openOrderFor(int tag, int mainRecord)
{
    runGuarded(this, [&] {
        N6_1Click();
        TOrderFormPanel &f = *DokumPanel;
        if (tag > 0 && tag <= f.DokumComboTipOper->count()) {
            f.DokumComboTipOper->setCurrentIndex(tag - 1);
            f.DokumComboTipOperChange(m_book.ZhurDok);
        }
        f.selectEmployee(mainRecord);
        f.DokumComboSotrChange();
    });
}

void TForm4::showPanel(QWidget *panel, const char *caption)
{
    QWidget *other = panel == ZhurPanel ? static_cast<QWidget *>(DokumPanel) : ZhurPanel;
    other->hide();
    panel->show();
    setWindowTitle(u(caption));
    adjustSize();
}

void TForm4::showWindow()
{
    show();
    raise();
    activateWindow();
}

void TForm4::N6_1Click()
{
    // A window still open on a stored order would save the new one over it: a new order gets
    // an identity of its own. (A window being shown fixes one in FormShow.)
    if (isVisible() && m_loaded && journalRecordOf(m_book.ZhurDok, m_orderId) > 0)
        m_orderId = nextOrderId(m_book.ZhurDok);
    DokumPanel->reset();
    showPanel(DokumPanel, "Кадровый приказ");
    showWindow();
    DokumPanel->DokumComboTipOper->setFocus();
}

void TForm4::N6_4Click()
{
    // FormShow fills the journal only when the window appears; opened over the order form, or
    // back from it after a save, the journal shows what is in memory now, at the row it was on.
    if (isVisible() && m_loaded) {
        const int row = m_journalRow;
        ZhurPanel->zapolnenieZhurKadrDok(m_book.ZhurDok);
        if (row > 0 && row < ZhurPanel->ZhurGrid->RowCount())
            ZhurPanel->ZhurGrid->setRow(row);
    }
    showPanel(ZhurPanel, "Журнал кадровых приказов");
    m_state.OrderOpenedFromJournal = true;
    showWindow();
    ZhurPanel->ZhurGrid->setFocus();
}

void TForm4::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    centreOnScreen(this);
    runGuarded(this, [this] { FormShow(); });
}

void TForm4::FormShow()
{
    m_loaded = false;
    m_book = readOrderBook(m_state);
    if (m_orderId == 0)
        m_orderId = nextOrderId(m_book.ZhurDok);
    m_loaded = true;
    m_journalRow = 0;
    // A database open read-only saves no order.
    DokumPanel->DokumButOK->setEnabled(!m_state.ReadOnly);
    if (ZhurPanel->isVisibleTo(this))
        ZhurPanel->zapolnenieZhurKadrDok(m_book.ZhurDok);
}

void TForm4::closeEvent(QCloseEvent *event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TForm4::FormClose()
{
    DokumPanel->hide();
    ZhurPanel->hide();
    m_state.OrderOpenedFromJournal = false;
    DokumPanel->DokumComboTipOper->setEnabled(true);
    m_orderId = 0;
}

void TForm4::ZhurGridSelectCell(int, int row) { m_journalRow = row; }

void TForm4::ZhurGridDblClick()
{
    if (m_book.ZhurDok.Header.RecordCount < 1)
        return;
    const int record = m_journalRow > 0 ? m_journalRow : ZhurPanel->ZhurGrid->Row();
    if (record < 1 || record > m_book.ZhurDok.Header.RecordCount)
        return;
    // Read first: a damaged record leaves the journal shown as it was.
    const StoredOrder order = readStoredOrder(m_state, m_book, record);
    N6_1Click();
    m_orderId = order.orderId;
    DokumPanel->showStoredOrder(order);
    showPanel(DokumPanel, "Кадровый приказ");
}

void TForm4::DokumComboTipOperChange() { DokumPanel->DokumComboTipOperChange(m_book.ZhurDok); }

void TForm4::sohraneniedokumenta()
{
    // Tables that could not be read must never be written back over the files.
    if (!m_loaded)
        throw VeltorError("Журнал приказов не прочитан: приказ не сохранён. Закройте окно и откройте его снова.");
    veltor::sohraneniedokumenta(m_state, m_book, DokumPanel->input(), m_orderId);
}

bool TForm4::orderComplete()
{
    const std::string problem = orderInputProblem(DokumPanel->input());
    if (problem.empty())
        return true;
    Dialogs::message(QString::fromStdString(problem), this);
    return false;
}

void TForm4::DokumButOKClick()
{
    if (!orderComplete())
        return;
    sohraneniedokumenta();
    close();
}

void TForm4::DokumButPechClick()
{
    if (!orderComplete())
        return;
    if (journalRecordOf(m_book.ZhurDok, m_orderId) == 0) {
        if (!Dialogs::question(u("Документ предварительно должен быть сохранен. Сохранить?"), this))
            return;
        sohraneniedokumenta();
        // Its records are stored under this kind now.
        DokumPanel->DokumComboTipOper->setEnabled(false);
    }
    const std::string templateName = orderTemplateName(DokumPanel->kind());
    if (templateName.empty())
        return;
    const OrderInput in = DokumPanel->input();
    const std::filesystem::path file = pathFromCp1251(fileInFolder(m_state.TemplatesFolder, utf8ToCp1251(templateName)));
    pechatdok(m_state, file, orderEmployeeRecord(m_state, in), m_book.view(), m_orderId);
}

void TForm4::DokumButOtmenClick()
{
    if (m_state.OrderOpenedFromJournal)
        N6_4Click();
    else
        close();
}

} // namespace veltor
