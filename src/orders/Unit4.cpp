#include "orders/Unit4.h"

#include "app/Dialogs.h"
#include "app/Guard.h"
#include "app/StringGrid.h"
#include "app/Unit1.h"
#include "app/WindowSupport.h"
#include "orders/OrderFormPanel.h"
#include "orders/OrderJournalPanel.h"
#include "records/Commit.h"
#include "storage/FileNames.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
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
    // After the panel has shown the chosen employee's employment.
    connect(DokumPanel->DokumComboSotr, &QComboBox::activated, this, [this] { noteEmployeeShown(); });

    // Enter is "O K" (a focused button takes Enter itself); Ctrl+S saves and keeps the order open.
    DokumPanel->DokumButOK->setDefault(true);
    for (QPushButton *b : {DokumPanel->DokumButOK, DokumPanel->DokumButPech, DokumPanel->DokumButOtmen})
        b->setAutoDefault(true);
    auto *save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, guarded(this, [this] { saveKeepingOpen(); }));

    connect(m_state.Notifier.get(), &ChangeNotifier::committed, this,
            [this](const RecordChange &change) { runGuarded(this, [&] { changeCommitted(change); }); });
    connect(m_state.Notifier.get(), &ChangeNotifier::readAnew, this,
            [this] { runGuarded(this, [this] { tablesReadAnew(); }); });
    m_state.Notifier->addUnsavedWork(this, [this] { return settleUnsavedEdits(); });
}

void TForm4::openNewOrder()
{
    runGuarded(this, [this] {
        if (!N6_1Click())
            return;
        // The order is for the list's current employee until another is chosen.
        if (!DokumPanel->selectEmployeeCode(m_main.currentCode()))
            return;
        DokumPanel->DokumComboSotrChange();
        noteEmployeeShown();
        markShown();
    });
}

void TForm4::openJournal()
{
    runGuarded(this, [this] { N6_4Click(); });
}

void TForm4::openOrderFor(int tag, const std::string &code)
{
    runGuarded(this, [&] {
        if (!N6_1Click())
            return;
        TOrderFormPanel &f = *DokumPanel;
        if (tag > 0 && tag <= f.DokumComboTipOper->count()) {
            f.DokumComboTipOper->setCurrentIndex(tag - 1);
            f.DokumComboTipOperChange(m_book.ZhurDok);
        }
        f.selectEmployeeCode(code);
        f.DokumComboSotrChange();
        noteEmployeeShown();
        // Opened so, the order holds nothing typed yet.
        markShown();
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

bool TForm4::N6_1Click()
{
    if (!settleUnsavedEdits())
        return false;
    // A window still open on a stored order would save the new one over it: a new order gets
    // an identity of its own. (A window being shown fixes one in FormShow.)
    if (isVisible() && m_loaded && journalRecordOf(m_book.ZhurDok, m_orderId) > 0)
        m_orderId = nextOrderId(m_book.ZhurDok);
    DokumPanel->reset();
    DokumPanel->DokumButOK->setEnabled(!m_state.ReadOnly);
    showPanel(DokumPanel, "Кадровый приказ");
    showWindow();
    m_stamp.codes.clear();
    markShown();
    DokumPanel->DokumComboTipOper->setFocus();
    return true;
}

void TForm4::N6_4Click()
{
    if (!settleUnsavedEdits())
        return;
    showJournal();
}

void TForm4::fillJournal()
{
    const int row = m_journalRow;
    ZhurPanel->zapolnenieZhurKadrDok(m_book.ZhurDok);
    if (row > 0 && row < ZhurPanel->ZhurGrid->RowCount())
        ZhurPanel->ZhurGrid->setRow(row);
}

void TForm4::showJournal()
{
    // FormShow fills the journal only when the window appears; opened over the order form, or
    // back from it after a save, the journal shows what is in memory now, at the row it was on.
    if (isVisible() && m_loaded)
        fillJournal();
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
    placeOnScreen(this);
    runGuarded(this, [this] { FormShow(); });
}

void TForm4::FormShow()
{
    m_loaded = false;
    m_book = readOrderBook(m_state);
    m_stamp = m_state.Versions.stamp(orderTableKeys(m_state), {});
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
    // Alt+F4, the title bar's button and the main window's exit come here.
    if (!m_closingQuietly && isVisible() && !settleUnsavedEdits()) {
        event->ignore();
        return;
    }
    rememberPlace(this);
    FormClose();
    QWidget::closeEvent(event);
}

void TForm4::closeQuietly()
{
    m_closingQuietly = true;
    close();
    m_closingQuietly = false;
}

void TForm4::keyPressEvent(QKeyEvent *event)
{
    // Enter that no field took (a line edit, a list or a date passes it on) is "O K".
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && DokumPanel->isVisibleTo(this)) {
        if (DokumPanel->DokumButOK->isEnabled())
            runGuarded(this, [this] { DokumButOKClick(); });
        return;
    }
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Esc leaves the form as "Отмена" does, once the typed order is settled.
    runGuarded(this, [this] {
        if (!DokumPanel->isVisibleTo(this)) {
            close();
            return;
        }
        if (settleUnsavedEdits())
            DokumButOtmenClick();
    });
}

bool TForm4::hasUnsavedEdits() const
{
    if (!isVisible() || !m_loaded || m_state.ReadOnly || !DokumPanel->isVisibleTo(this))
        return false;
    return !(DokumPanel->input() == m_shown);
}

bool TForm4::settleUnsavedEdits()
{
    if (!hasUnsavedEdits())
        return true;
    raise();
    switch (Dialogs::askToSave(u("Кадровый приказ изменён. Сохранить изменения?"), this)) {
    case Dialogs::SaveChoice::Save: {
        bool saved = false;
        runGuarded(this, [&] { saved = saveOrder(); });
        return saved;
    }
    case Dialogs::SaveChoice::Drop:
        markShown();
        return true;
    case Dialogs::SaveChoice::Cancel:
        break;
    }
    return false;
}

void TForm4::markShown() { m_shown = DokumPanel->input(); }

void TForm4::noteEmployeeShown()
{
    int32_t code = 0;
    if (tryStrToInt(DokumPanel->input().employeeCode, code))
        m_stamp.codes[code] = m_state.Versions.code(code);
}

void TForm4::changeCommitted(const RecordChange &change)
{
    if (change.origin == this || !isVisible() || !m_loaded)
        return;
    const std::set<std::string> orderTables = orderTableKeys(m_state);
    bool ordersChanged = false;
    for (const std::string &t : change.tables)
        ordersChanged = ordersChanged || orderTables.count(t) > 0;
    if (ZhurPanel->isVisibleTo(this)) {
        if (ordersChanged) {
            m_book = readOrderBook(m_state);
            m_stamp = m_state.Versions.stamp(orderTables, {});
        }
        // The journal names employees and kinds.
        if (ordersChanged || change.tables.count(tableKey(m_state, m_state.Osnova))
            || change.tables.count(tableKey(m_state, m_state.TipDok)))
            fillJournal();
        return;
    }
    if (!DokumPanel->isVisibleTo(this))
        return;
    // The form shows the lists of employees, departments, positions and kinds, and employees.
    bool shown = ordersChanged;
    for (const LoadedTable *t : {&m_state.Osnova, &m_state.Otdel, &m_state.Dolzh, &m_state.TipDok})
        shown = shown || change.tables.count(tableKey(m_state, *t)) > 0;
    for (const auto &[code, version] : m_stamp.codes)
        shown = shown || change.codes.count(code) > 0;
    // A form with typed work keeps it; its save says what changed meanwhile.
    if (shown && !hasUnsavedEdits())
        refillForm();
}

void TForm4::refillForm()
{
    const OrderInput before = DokumPanel->input();
    const bool stored = journalRecordOf(m_book.ZhurDok, m_orderId) > 0;
    m_book = readOrderBook(m_state);
    m_stamp = m_state.Versions.stamp(orderTableKeys(m_state), {});
    DokumPanel->reset();
    DokumPanel->DokumButOK->setEnabled(!m_state.ReadOnly);
    if (const int record = stored ? journalRecordOf(m_book.ZhurDok, m_orderId) : 0) {
        DokumPanel->showStoredOrder(readStoredOrder(m_state, m_book, record));
    } else {
        m_orderId = std::max(m_orderId, nextOrderId(m_book.ZhurDok));
        TOrderFormPanel &f = *DokumPanel;
        if (before.kind >= 0 && before.kind < f.DokumComboTipOper->count()) {
            f.DokumComboTipOper->setCurrentIndex(before.kind);
            f.DokumComboTipOperChange(m_book.ZhurDok);
        }
        int32_t code = 0;
        const int employee = tryStrToInt(before.employeeCode, code)
                                 ? nomerstrokipokodu(m_state.Osnova.Header, m_state.Osnova.Data, code)
                                 : 0;
        f.selectEmployee(employee);
        if (employee > 0)
            f.DokumComboSotrChange();
    }
    noteEmployeeShown();
    markShown();
}

void TForm4::tablesReadAnew()
{
    // Whatever was typed was settled before the reading. The tables held here belong to the
    // old reading, perhaps to another database: they are dropped and never written.
    m_book = OrderBook();
    m_loaded = false;
    m_stamp = VersionStamp();
    if (isVisible())
        closeQuietly();
    m_orderId = 0;
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
    if (!N6_1Click())
        return;
    m_orderId = order.orderId;
    DokumPanel->showStoredOrder(order);
    showPanel(DokumPanel, "Кадровый приказ");
    noteEmployeeShown();
    markShown();
}

void TForm4::DokumComboTipOperChange()
{
    DokumPanel->DokumComboTipOperChange(m_book.ZhurDok);
    // The kind's panel may make the window grow: it stays wholly on the screen.
    layout()->activate();
    keepOnScreen(this);
}

void TForm4::sohraneniedokumenta()
{
    // Tables that could not be read must never be written back over the files.
    if (!m_loaded)
        throw VeltorError("Журнал приказов не прочитан: приказ не сохранён. Закройте окно и откройте его снова.");
    veltor::sohraneniedokumenta(m_state, m_book, DokumPanel->input(), m_orderId, OrderCommit{&m_stamp, this});
    // The form shows what is saved now, on the versions its own commit made.
    m_stamp = m_state.Versions.stamp(orderTableKeys(m_state), {});
    noteEmployeeShown();
    markShown();
}

bool TForm4::saveOrder()
{
    // A typed name that is nobody's saves nothing for the employee shown before.
    if (!DokumPanel->settleTypedEmployee())
        return false;
    if (!orderComplete())
        return false;
    try {
        sohraneniedokumenta();
    } catch (const StaleRecords &e) {
        // Nothing was written; the clerk may look at the records as they are now, or keep the
        // typed order on the screen to copy it.
        if (Dialogs::question(QString::fromUtf8(e.what())
                                  + u("\n\nПоказать текущие данные? Введённое в приказе будет потеряно."),
                              this))
            refillForm();
        return false;
    }
    return true;
}

bool TForm4::orderComplete()
{
    const std::string problem = orderInputProblem(DokumPanel->input());
    if (problem.empty())
        return true;
    Dialogs::message(QString::fromStdString(problem), this);
    return false;
}

void TForm4::saveKeepingOpen()
{
    if (!DokumPanel->isVisibleTo(this) || !DokumPanel->DokumButOK->isEnabled())
        return;
    if (saveOrder())
        // Its records are stored under this kind now; a further save rewrites them.
        DokumPanel->DokumComboTipOper->setEnabled(false);
}

void TForm4::DokumButOKClick()
{
    if (saveOrder())
        closeQuietly();
}

void TForm4::DokumButPechClick()
{
    if (!orderComplete())
        return;
    if (journalRecordOf(m_book.ZhurDok, m_orderId) == 0) {
        if (!Dialogs::question(u("Документ предварительно должен быть сохранен. Сохранить?"), this))
            return;
        if (!saveOrder())
            return;
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
    // "Отмена" drops what was typed.
    markShown();
    if (m_state.OrderOpenedFromJournal)
        showJournal();
    else
        closeQuietly();
}

} // namespace veltor
