#pragma once
#include <QWidget>

#include "app/AppState.h"

namespace veltor {

class TForm1;

// The HR-orders window: the journal and the order form.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    TForm4(AppState &state, TForm1 &mainWindow, QWidget *parent = nullptr);

private:
    AppState &m_state;
    TForm1 &m_main;
};

} // namespace veltor
