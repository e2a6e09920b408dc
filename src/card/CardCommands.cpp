#include "card/CardCommands.h"

#include "app/EmployeeList.h"

#include <QMenu>
#include <QProgressBar>
#include <QWidget>

namespace veltor {

void printForCardEmployee(AppState &state, const std::string &code, int tag, const PrintProgress &progress)
{
    const CurrentRecords card = currentRecordsOf(state, code);
    struct Restore {
        AppState &s;
        CurrentRecords saved{s.CurMainRec, s.CurPassportRec, s.CurTrudRec, s.CurDopolnRec};
        ~Restore()
        {
            s.CurMainRec = saved.main;
            s.CurPassportRec = saved.passport;
            s.CurTrudRec = saved.trud;
            s.CurDopolnRec = saved.dopoln;
        }
    } restore{state};
    if (card.main > 0) {
        state.CurMainRec = card.main;
        state.CurPassportRec = card.passport;
        state.CurTrudRec = card.trud;
        state.CurDopolnRec = card.dopoln;
    }
    printPechatTemplate(state, tag, progress);
}

PrintProgress progressOn(QProgressBar *bar)
{
    PrintProgress progress;
    progress.show = [bar] {
        bar->setRange(0, 100);
        bar->show();
    };
    progress.set = [bar](int value) { bar->setValue(value); };
    progress.hide = [bar] { bar->hide(); };
    return progress;
}

void popupBelow(QMenu *menu, const QWidget *button)
{
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

} // namespace veltor
