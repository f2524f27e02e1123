#pragma once
// Where an operator's event enters the program. An exception that escapes a handler stops here:
// it is reported in an "Ошибка" message box and the program goes on with what was entered.
#include <QString>
#include <functional>

namespace ui {

// Runs a handler as one operator action, or as part of the action already under way when it is
// dispatched from inside another handler.
void dispatchEvent(const std::function<void()>& handler);

// One action tells each failure once: the settings window's load, for one, loads every other
// window, and each reads the same settings file. False when this very message (summary and
// details) was already shown in the action under way; outside any action every message is new.
bool firstInAction(const QString& summary, const QString& details);

// Runs a handler if one is bound. Writes from code call this: a failure goes on to the caller.
template <class F, class... Args>
void fire(const F& handler, Args&&... args) {
    if (handler) handler(std::forward<Args>(args)...);
}

}  // namespace ui
