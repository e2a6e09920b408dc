#pragma once
#include <QWidget>

#include "app/AppState.h"

namespace veltor {

class TForm1;

// The employee card.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2(AppState &state, TForm1 &mainWindow, QWidget *parent = nullptr);

private:
    AppState &m_state;
    TForm1 &m_main;
};

} // namespace veltor
