#include "app/WindowSupport.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace veltor {
namespace {

const char *const AnnouncedAsWindow = "veltorAnnouncedAsWindow";

QAccessibleInterface *windowAccessible(const QString &, QObject *object)
{
    if (object && object->isWidgetType() && object->property(AnnouncedAsWindow).toBool())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

QSettings userSettings()
{
    return QSettings(QSettings::UserScope, QStringLiteral("veltor"), QStringLiteral("veltor"));
}

QString placeKey(const QWidget *window) { return QStringLiteral("windows/") + window->objectName(); }

bool resizable(const QWidget *window) { return window->minimumSize() != window->maximumSize(); }

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

void keepOnScreen(QWidget *window)
{
    QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = window->frameGeometry();
    const QSize decoration = frame.size() - window->geometry().size();
    // A window that can be resized is made to fit; a fixed one is only moved.
    if (resizable(window) && (frame.width() > area.width() || frame.height() > area.height())) {
        window->resize(std::min(window->width(), area.width() - decoration.width()),
                       std::min(window->height(), area.height() - decoration.height()));
        frame = window->frameGeometry();
    }
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() - frame.width() + 1)));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() - frame.height() + 1)));
    window->move(frame.topLeft());
}

void placeOnScreen(QWidget *window, bool centreFirstTime)
{
    QSettings settings = userSettings();
    const QString key = placeKey(window);
    if (resizable(window) && settings.contains(key + "/size"))
        window->resize(settings.value(key + "/size").toSize());
    if (settings.contains(key + "/pos"))
        window->move(settings.value(key + "/pos").toPoint());
    else if (centreFirstTime)
        centreOnScreen(window);
    keepOnScreen(window);
}

void rememberPlace(const QWidget *window)
{
    QSettings settings = userSettings();
    const QString key = placeKey(window);
    settings.setValue(key + "/pos", window->pos());
    if (resizable(window))
        settings.setValue(key + "/size", window->size());
}

} // namespace veltor
