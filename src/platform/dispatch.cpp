#include "platform/dispatch.h"

#include <QSet>
#include <QStringList>
#include <exception>
#include <vector>

#include "platform/error.h"
#include "platform/services.h"

namespace ui {

namespace {
struct Failure {
    QString summary, details;
};

struct Action {
    int depth = 0;                  // dispatches under way, nested
    QSet<QString> shown;            // the messages this action has taken
    std::vector<Failure> gathered;  // those not shown yet, in their order
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

// One failure as a line of the one box's details, or as its line and its own details below.
QString detailsEntry(const Failure& f) {
    if (f.details.isEmpty()) return f.summary;
    if (!f.details.contains(u'\n')) return f.summary + u' ' + f.details;
    QStringList lines{f.summary};
    for (const QString& line : f.details.split(u'\n')) lines << QStringLiteral("  ") + line;
    return lines.join(u'\n');
}
}  // namespace

void dispatchEvent(const std::function<void()>& handler) {
    {
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
    if (action().depth == 0) showGathered();
}

bool gatherInAction(const QString& summary, const QString& details) {
    Action& a = action();
    if (a.depth == 0) return false;
    const QString key = summary + QChar(0) + details;
    if (a.shown.contains(key)) return true;
    a.shown.insert(key);
    a.gathered.push_back({summary, details});
    return true;
}

void showGathered() {
    // Taken first: a dispatch while the box is open is an action of its own.
    const std::vector<Failure> failures = std::move(action().gathered);
    action().gathered.clear();
    if (failures.empty()) return;
    if (failures.size() == 1) {
        services().messageBox(failures.front().summary, kErrorTitle, failures.front().details);
        return;
    }
    QStringList details;
    for (const Failure& f : failures) details << detailsEntry(f);
    services().messageBox(
        QStringLiteral("Не всё удалось сделать, ошибок: %1. Подробности ниже.").arg(failures.size()),
        kErrorTitle, details.join(u'\n'));
}

}  // namespace ui
