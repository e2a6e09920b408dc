#include "card/Unit2.h"

#include "app/Unit1.h"

namespace veltor {

TForm2::TForm2(AppState &state, TForm1 &mainWindow, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_main(mainWindow)
{
    setObjectName("Form2");
    setWindowTitle(QString::fromUtf8("Карточка сотрудника"));
}

} // namespace veltor
