#include "app/WindowSupport.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QScreen>
#include <QWidget>

namespace veltor {
namespace {

const char *const AnnouncedAsWindow = "veltorAnnouncedAsWindow";

QAccessibleInterface *windowAccessible(const QString &, QObject *object)
{
    if (object && object->isWidgetType() && object->property(AnnouncedAsWindow).toBool())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void announceAsWindow(QWidget *window)
{
    static const bool installed = (QAccessible::installFactory(windowAccessible), true);
    Q_UNUSED(installed);
    window->setProperty(AnnouncedAsWindow, true);
}

void centreOnScreen(QWidget *window)
{
    if (QScreen *screen = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

} // namespace veltor
