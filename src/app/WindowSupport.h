#pragma once
#include <string>

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

} // namespace veltor
