#pragma once
#include <string>

#include "records/AppState.h"
#include "documents/TemplatePrinting.h"

class QMenu;
class QProgressBar;
class QWidget;

namespace veltor {

// Prints Pechat template `tag` for the employee the card shows (code as stored). The list's
// current row may have moved while the card stayed open: the document is filled for the card's
// employee all the same, and the current records are put back afterwards.
void printForCardEmployee(AppState &state, const std::string &code, int tag, const PrintProgress &progress);

// The card's progress bar as the printing progress: shown while a document is filled.
PrintProgress progressOn(QProgressBar *bar);

// Pops a menu up at the lower left corner of its button.
void popupBelow(QMenu *menu, const QWidget *button);

} // namespace veltor
