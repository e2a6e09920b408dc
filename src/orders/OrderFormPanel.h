#pragma once
#include <QWidget>
#include <string>
#include <vector>

#include "records/AppState.h"
#include "orders/OrderLogic.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace veltor {

// The order form (DokumPanel): one HR order for one employee, with a panel of fields per kind.
// It fills and reads its controls; saving, printing and leaving belong to the window.
class TOrderFormPanel : public QWidget {
    Q_OBJECT
public:
    TOrderFormPanel(AppState &state, QWidget *parent = nullptr);

    // A new order: dates today, edits empty, the lists refilled without selection.
    void reset();
    // Lays out the kind panels for the kind at `position` (-1: none shown).
    void VidDok_odin(int position);
    // Shows the chosen employee's department, position, salary and contract data.
    void DokumComboSotrChange();
    void DokumCheckBoxKoncaClick();
    // The kind chosen: heading, layout and the suggested number.
    void DokumComboTipOperChange(const LoadedTable &zhurDok);
    // Fills the form with a stored order (its kind already selected).
    void showStoredOrder(const StoredOrder &order);

    // Binds the edits to the fields they are stored into (the window's own tables and the
    // personnel tables), so they take only what those fields hold.
    void bindFields(const OrderBook &book);

    // Leaving the employee field, Enter in it, and before a save: the typed part of a name is
    // settled to an employee, so the field names who the order is for. While the finder's list
    // is open, leaving settles nothing (the list has the keyboard). False, after a note in the
    // status bar, when the typing named nobody and gave way to the employee chosen before.
    enum class SettleBy { Leaving, Enter };
    bool settleTypedEmployee(SettleBy how = SettleBy::Leaving);

    OrderInput input() const;
    int kind() const;
    // The employee list entry of a main-table record (none when the list does not hold it).
    void selectEmployee(int mainRecord);
    // The employee list entry of an employee code (KOD as stored); false when none has it.
    bool selectEmployeeCode(const std::string &code);
    // The position in the employee list of a main-table record, -1 when none.
    int employeeEntry(int mainRecord) const;

    QLabel *DokumZagolovok = nullptr;
    QLabel *Label1 = nullptr, *Label1b = nullptr;
    QLineEdit *DokumEdit1 = nullptr;
    QDateEdit *DokumData = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *DokumComboTipOper = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *DokumEdit2 = nullptr;

    QWidget *DokumPanelOdin = nullptr;
    QLabel *Label4 = nullptr;
    QComboBox *DokumComboSotr = nullptr;
    QLabel *Label5 = nullptr;
    QDateEdit *DokumDataNach = nullptr;
    QCheckBox *DokumCheckBoxKonca = nullptr;
    QDateEdit *DokumDataKonc = nullptr;
    QLabel *Label12 = nullptr;
    QLineEdit *DokumEdit4 = nullptr;

    QWidget *DokumPanelPriem = nullptr;
    QLabel *Label9 = nullptr, *Label7 = nullptr, *Label8 = nullptr, *Label15 = nullptr, *Label11 = nullptr;
    QComboBox *DokumComboOtdel = nullptr, *DokumComboDolzh = nullptr, *DokumComboGrafRab = nullptr,
              *DokumComboRezTr = nullptr;
    QCheckBox *DokumOsnMestRab = nullptr;
    QLineEdit *DokumEdit3 = nullptr;
    QLabel *Label10 = nullptr, *Label10b = nullptr, *Label27 = nullptr, *Label27b = nullptr;
    QLineEdit *DokumEdit12 = nullptr, *DokumEdit13 = nullptr;
    QDateEdit *DokumDataDog = nullptr, *DokumDataSogl = nullptr;

    QWidget *DokumPanelUvol = nullptr;
    QRadioButton *DokumUvolRadio1 = nullptr, *DokumUvolRadio2 = nullptr;
    QLabel *Label13 = nullptr, *Label13b = nullptr, *Label14 = nullptr, *Label14b = nullptr;
    QLineEdit *DokumEdit5 = nullptr, *DokumEdit6 = nullptr;

    QWidget *DokumPanelOtpusk = nullptr;
    QLabel *Label16 = nullptr, *Label17 = nullptr, *Label18 = nullptr, *Label19 = nullptr, *Label20 = nullptr,
           *Label21 = nullptr, *Label22 = nullptr, *Label23 = nullptr, *Label23b = nullptr;
    QComboBox *DokumComboVidOtp = nullptr, *DokumComboRaschOsn = nullptr, *DokumComboRaschDop = nullptr;
    QLineEdit *DokumEdit7 = nullptr, *DokumEdit8 = nullptr;
    QDateEdit *DokumData1 = nullptr, *DokumData2 = nullptr;

    QWidget *DokumPanelKomand = nullptr;
    QLabel *Label24 = nullptr, *Label25 = nullptr, *Label26 = nullptr;
    QLineEdit *DokumEdit9 = nullptr, *DokumEdit10 = nullptr, *DokumEdit11 = nullptr;

    QPushButton *DokumButOK = nullptr, *DokumButPech = nullptr, *DokumButOtmen = nullptr;
    QStatusBar *StatusBar = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void fillLists();
    void fillEmployees();
    void setUpEmployeeFinder();
    void followVacationEnd();

    AppState &m_state;
    // What the lists showed when filled, so a save stores what the person saw even when
    // another window changes the tables meanwhile.
    std::vector<HrKind> m_kinds;
    std::vector<EmployeeChoice> m_employees;
    std::vector<std::string> m_departmentCodes;
    std::vector<std::string> m_positionCodes;
    bool m_showingStored = false; // a stored order is being shown: its end date stays as stored
};

} // namespace veltor
