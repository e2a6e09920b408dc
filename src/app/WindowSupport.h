#pragma once

class QWidget;

// What the card, the tools window and the orders window share as top-level, modeless windows.
namespace veltor {

// A plain top-level QWidget is announced to assistive technology as a bare client area (or a
// "filler"); after this call the window is announced as a window, named by its caption.
void announceAsWindow(QWidget *window);

// Places the window in the middle of its screen, as each of them opens.
void centreOnScreen(QWidget *window);

} // namespace veltor
