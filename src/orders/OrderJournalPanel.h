#pragma once
#include <QWidget>

#include "records/AppState.h"

namespace veltor {

class TStringGrid;

// The journal of HR orders (ZhurPanel): one row per ZhurDok.dbf record, kinds and employees
// shown by name.
class TOrderJournalPanel : public QWidget {
    Q_OBJECT
public:
    TOrderJournalPanel(const AppState &state, QWidget *parent = nullptr);

    // Fills the grid from the journal in memory.
    void zapolnenieZhurKadrDok(const LoadedTable &zhurDok);

    TStringGrid *ZhurGrid = nullptr;

private:
    const AppState &m_state;
};

} // namespace veltor
