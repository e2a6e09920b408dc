#pragma once
#include <QWidget>

#include "app/AppState.h"

namespace veltor {

class TForm1;

// The tools dialog: search, sort, filters, settings, reference lists, columns, streaming entry.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3(AppState &state, TForm1 &mainWindow, QWidget *parent = nullptr);

private:
    AppState &m_state;
    TForm1 &m_main;
};

} // namespace veltor
