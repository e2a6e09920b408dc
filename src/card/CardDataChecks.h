#pragma once
#include <string>
#include <vector>

#include "card/CardLogic.h"

class QWidget;

// The card's values checked before a save. The checks only warn; the clerk decides.
namespace veltor {

// The faults of the values about to be saved for that employee code. The hiring date is that
// of the employee's first history record, or the card's own when the card shows the first.
std::vector<std::string> cardDataFaults(const AppState &state, const std::string &code,
                                        const CardValues &values, const Date &today);

// Lists the faults in one question, "Проверьте данные: …" with a line for each, and asks
// whether to save anyway.
// True when there is nothing to report or the user chose to save.
bool confirmCardData(const AppState &state, const std::string &code, const CardValues &values,
                     QWidget *parent);

} // namespace veltor
