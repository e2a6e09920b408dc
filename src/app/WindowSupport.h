#pragma once
#include <string>

class QString;
class QWidget;

// What the card, the tools window and the orders window share as top-level, modeless windows.
namespace veltor {

// A plain top-level QWidget is announced to assistive technology as a bare client area (or a
// "filler"); after this call the window is announced as a window, named by its caption.
void announceAsWindow(QWidget *window);

// Places the window in the middle of its screen, as each of them opens.
void centreOnScreen(QWidget *window);

// Places the window where the clerk left it last time (the user's settings, by the window's
// object name), or in the middle of its screen the first time; either way wholly inside the
// screen's available area, so its bottom row of buttons is never below the screen. With
// `centreFirstTime` false a window never placed before keeps the place it was given.
void placeOnScreen(QWidget *window, bool centreFirstTime = true);
// Remembers the window's place (and size, for a window that can be resized) for the next run.
void rememberPlace(const QWidget *window);
// Moves the window back inside the screen's available area when it grew past it.
void keepOnScreen(QWidget *window);

// What the main window asks of the employee card, which lives in a library above it.
class EmployeeCard {
public:
    virtual ~EmployeeCard() = default;
    // Shows the employee with that code (KOD as stored); a card holding unsaved edits of
    // someone else asks "Сохранить изменения?" first. False when the clerk cancelled: the card
    // then stays on its employee.
    virtual bool openFor(const std::string &code, bool asNewEmployee) = 0;
    // Asks about unsaved edits (save, drop or cancel); false when the clerk cancelled or the
    // save failed. True at once when there are none.
    virtual bool settleUnsavedEdits() = 0;
    // The employee the card shows, empty when it shows none or is closed.
    virtual std::string openCode() const = 0;
};

// What the main window and the card ask of the HR-orders window, which lives in a library
// above them. Each opener shows its own failure.
class OrdersWindow {
public:
    virtual ~OrdersWindow() = default;
    // A new order for the list's current employee ("На одного сотрудника").
    virtual void openNewOrder() = 0;
    // The journal of orders ("Журнал документов").
    virtual void openJournal() = 0;
    // A new order of the HR kind at `tag` - 1 for the employee with that code (KOD as stored).
    virtual void openOrderFor(int tag, const std::string &code) = 0;
};

// What the other windows ask of the employee list (the main window): the shown list as rows of
// codes and cell texts, refilling it, its title and the current employee.
class EmployeeListWindow {
public:
    virtual ~EmployeeListWindow() = default;
    // Fills the list from a code list ("-1": everyone); the current employee stays current where
    // he is still listed. A list hidden while the database had nobody shows again.
    virtual void refill(const std::string &codeList) = 0;
    // False while the list is hidden because the database has nobody.
    virtual bool listShown() const = 0;
    // The title tells what the list shows: a note such as "Применен фильтр" is added to it;
    // the plain title again once the list shows everyone.
    virtual void addTitleNote(const QString &note) = 0;
    virtual void plainTitle() = 0;
    // Rows 1..rowCount()-1 are employees, row 0 the headings; column 0 is the marker column.
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual const std::string &cellText(int col, int row) const = 0; // CP1251
    virtual int currentRow() const = 0;
    // Makes the row current as the clerk's click does.
    virtual void selectRow(int row) = 0;
    virtual const std::string &currentCode() const = 0;
    virtual void showStatus(const QString &text) = 0;
    virtual bool previewVisible() const = 0;
    // Shows or hides the preview panel beside the list.
    virtual void showPreview(bool shown) = 0;
    // Before the tables are read anew: every window's unsaved edits and a confirmed deletion are
    // settled as the clerk says. False when the clerk cancelled.
    virtual bool settleBeforeReading() = 0;
};

} // namespace veltor
