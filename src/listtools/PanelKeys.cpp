#include "listtools/PanelKeys.h"

#include <QComboBox>
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QWidget>

namespace veltor {

PanelKeys::PanelKeys(QObject *parent, std::function<void()> onEnter, std::function<void()> onEscape)
    : QObject(parent), m_onEnter(std::move(onEnter)), m_onEscape(std::move(onEscape))
{
}

void PanelKeys::watch(QWidget *control)
{
    control->installEventFilter(this);
}

bool PanelKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    // An open drop-down takes Enter and Esc itself: they pick or dismiss the item.
    if (auto *combo = qobject_cast<QComboBox *>(watched); combo && combo->view()->isVisible())
        return false;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (m_onEnter)
            m_onEnter();
        return true;
    }
    if (key == Qt::Key_Escape) {
        if (m_onEscape)
            m_onEscape();
        return true;
    }
    return false;
}

} // namespace veltor
