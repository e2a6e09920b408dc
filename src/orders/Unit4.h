#pragma once
#include <QWidget>

#include "app/WindowSupport.h"
#include "records/AppState.h"
#include "orders/OrderLogic.h"

namespace veltor {

class TForm1;
class TOrderFormPanel;
class TOrderJournalPanel;

// The HR-orders window: the journal of orders and the order form, one of them shown at a time.
// Modeless; its own tables (the journal and the four detail tables) are read each time it
// becomes visible. Other windows' commits refresh what it shows while the form holds no typed
// work; typed work is not left without "Сохранить изменения?"; after the tables are read anew
// (another database, say) it closes and forgets the tables it held.
class TForm4 : public QWidget, public OrdersWindow {
    Q_OBJECT
public:
    TForm4(AppState &state, TForm1 &mainWindow, QWidget *parent = nullptr);

    // The openers of the main menu and the card; each shows its own failure.
    void openNewOrder() override;
    void openJournal() override;
    void openOrderFor(int tag, const std::string &code) override;

    // A new order; false when the clerk kept the order being typed (Отмена).
    bool N6_1Click();
    void N6_4Click();
    // Runs when the window becomes visible: reads the order tables, fixes the order ID, fills
    // the journal.
    void FormShow();
    void FormClose();
    void ZhurGridSelectCell(int col, int row);
    void ZhurGridDblClick();
    void DokumComboTipOperChange();
    void DokumButOKClick();
    // Ctrl+S: saves the order in the form and leaves it open.
    void saveKeepingOpen();
    void DokumButPechClick();
    void DokumButOtmenClick();
    // Saves the order shown in the form under the current order ID.
    void sohraneniedokumenta();

    // The order form differs from what it showed.
    bool hasUnsavedEdits() const;
    // Asks whether to save the typed order (Да / Нет / Отмена); false when it stays unsettled.
    bool settleUnsavedEdits();

    int currentOrderId() const { return m_orderId; }
    bool journalMode() const { return m_state.OrderOpenedFromJournal; }
    const OrderBook &book() const { return m_book; }

    TOrderJournalPanel *ZhurPanel = nullptr;
    TOrderFormPanel *DokumPanel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Saves the order in the form: false, after saying why, when it lacks something or is built
    // on records another window changed since (the clerk may then see the current ones).
    bool saveOrder();
    // Shows the order afresh from the tables as they are now: a stored order as stored, a new
    // one with its kind and employee and his present employment.
    void refillForm();
    // The form as it is now is what the window shows: no typed work.
    void markShown();
    // The versions of the chosen employee join those the save is based on.
    void noteEmployeeShown();
    void showJournal();
    // Refills the journal from the tables in memory, at the row it was on.
    void fillJournal();
    void changeCommitted(const RecordChange &change);
    void tablesReadAnew();
    void closeQuietly();
    // False, after telling the clerk what is missing, when the order lacks its kind, its
    // employee or (a vacation) its days.
    bool orderComplete();
    void showPanel(QWidget *panel, const char *caption);
    void showWindow();

    AppState &m_state;
    TForm1 &m_main;
    OrderBook m_book;
    int m_orderId = 0;      // the ID_DOK the form saves and prints under; 0 until fixed
    bool m_loaded = false;  // the order tables were read and the ID fixed at the last showing
    int m_journalRow = 0;   // the row last selected in the journal
    OrderInput m_shown;     // the form as shown, to tell typed work
    VersionStamp m_stamp;   // the versions of the order tables and employees the form shows
    bool m_closingQuietly = false;
};

} // namespace veltor
