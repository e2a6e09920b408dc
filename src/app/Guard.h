#pragma once
#include <QObject>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

class QWidget;

// Handlers that Qt calls run through guarded(): an exception abandons the user's action and
// is shown in a message box with its text; nothing escapes into the event loop.
namespace veltor {

void showException(QWidget *parent, const std::exception_ptr &error);

// What "Да" does when a save was refused because another program changed a table since it
// was read: the main window re-reads the tables. Empty until set.
void setRereadTables(std::function<void()> reread);

// Runs fn; on an exception shows it and returns false.
bool runGuarded(QWidget *parent, const std::function<void()> &fn);

// Wraps a slot: connect(button, &QPushButton::clicked, this, guarded(this, [this] { ... })).
template <typename Fn>
auto guarded(QWidget *parent, Fn fn)
{
    // Signal arguments the handler does not take (clicked's bool) are dropped.
    return [parent, fn = std::move(fn)](auto &&...args) {
        runGuarded(parent, [&] {
            if constexpr (std::is_invocable_v<const Fn &, decltype(args)...>)
                fn(std::forward<decltype(args)>(args)...);
            else
                fn();
        });
    };
}

} // namespace veltor
