#include "orders/Unit4.h"

namespace veltor {

TForm4::TForm4(AppState &state, TForm1 &mainWindow, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_main(mainWindow)
{
    setObjectName("Form4");
}

} // namespace veltor
