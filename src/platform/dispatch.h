#pragma once
// Where an operator's event enters the program. An exception that escapes a handler stops here:
// it is reported in an "Ошибка" message box and the program goes on with what was entered.
#include <QString>
#include <functional>

class QWidget;

namespace ui {

// Runs a handler as one operator action, or as part of the action already under way when it is
// dispatched from inside another handler. The failures the action reports are gathered and shown
// when it ends, in one box.
void dispatchEvent(const std::function<void()>& handler);

// Runs `step` at the start of every operator action from now on, as part of the action and before its
// handler: for what waits for the operator's next action. A failure of a step is reported as a
// handler's is, and the handler runs all the same.
void atEachActionStart(const std::function<void()>& step);

// One action, one box: the failure messages of an action are shown together once it ends. True when
// the action under way took this one (this very message, summary and details, is taken once: the
// settings window's load, for one, loads every other window, and each reads the same settings file);
// false outside any action, where the caller shows it at once.
bool gatherInAction(const QString& summary, const QString& details);

// Ends the program through the services. The end comes before the action's own end, so what the
// action has gathered is shown first, while the program still holds whatever it holds. Callers
// return right after.
void endProgram(int exitCode);

// A window that the action under way has brought up: a box of the action belongs to it, since the
// action was the opening of that window.
void noteWindowShown(QWidget* window);

// The window a box or dialog shown now belongs to: the one the action under way brought up last,
// else the active window, either only while it is on the screen and not minimised; null: none, the
// box stands alone.
QWidget* boxOwner();

// Runs a handler if one is bound. Writes from code call this: a failure goes on to the caller.
template <class F, class... Args>
void fire(const F& handler, Args&&... args) {
    if (handler) handler(std::forward<Args>(args)...);
}

}  // namespace ui
