#pragma once
// Where an operator's event enters the program. An exception that escapes a handler stops here:
// it is reported in an "Ошибка" message box and the program goes on with what was entered.
#include <functional>

namespace ui {

void dispatchEvent(const std::function<void()>& handler);

// Runs a handler if one is bound. Writes from code call this: a failure goes on to the caller.
template <class F, class... Args>
void fire(const F& handler, Args&&... args) {
    if (handler) handler(std::forward<Args>(args)...);
}

}  // namespace ui
