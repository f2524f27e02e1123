#include "platform/dispatch.h"

#include <QSet>
#include <exception>

#include "platform/error.h"
#include "platform/services.h"

namespace ui {

namespace {
struct Action {
    int depth = 0;        // dispatches under way, nested
    QSet<QString> shown;  // the messages this action has shown
};

Action& action() {
    static Action a;
    return a;
}

// The outermost dispatch opens the action, and its end closes it.
class ActionScope {
public:
    ActionScope() { ++action().depth; }
    ~ActionScope() {
        if (--action().depth == 0) action().shown.clear();
    }
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;
};
}  // namespace

void dispatchEvent(const std::function<void()>& handler) {
    const ActionScope scope;
    try {
        handler();
    } catch (const Error& e) {
        showError(QString::fromUtf8(e.what()));
    } catch (const std::exception& e) {
        // A fault of the program itself: the operator is told, and goes on with what was entered.
        showError(QStringLiteral("Непредвиденная ошибка в программе."), QString::fromUtf8(e.what()));
    } catch (...) {
        showError(QStringLiteral("Непредвиденная ошибка в программе."));
    }
}

bool firstInAction(const QString& summary, const QString& details) {
    Action& a = action();
    if (a.depth == 0) return true;
    const QString key = summary + QChar(0) + details;
    if (a.shown.contains(key)) return false;
    a.shown.insert(key);
    return true;
}

}  // namespace ui
