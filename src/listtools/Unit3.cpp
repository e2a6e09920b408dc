#include "listtools/Unit3.h"

namespace veltor {

TForm3::TForm3(AppState &state, TForm1 &mainWindow, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_main(mainWindow)
{
    setObjectName("Form3");
}

} // namespace veltor
