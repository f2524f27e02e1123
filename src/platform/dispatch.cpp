#include "platform/dispatch.h"

#include <QApplication>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QWidget>
#include <exception>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/file_waits.h"
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
    QPointer<QWidget> opened;       // the window it brought up last
};

Action& action() {
    static Action a;
    return a;
}

std::vector<std::function<void()>>& startSteps() {
    static std::vector<std::function<void()>> steps;
    return steps;
}

// Runs one handler or step; what escapes it is reported and goes no further.
void runReported(const std::function<void()>& handler) {
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

// The outermost dispatch opens the action, and its end closes it.
// It also shares one budget of waiting for busy files among all the files the action touches.
class ActionScope {
public:
    ActionScope() { ++action().depth; }
    ~ActionScope() { --action().depth; }
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

private:
    FileWaitScope waits_;
};

// One failure as a line of the one box's details, or as its line and its own details below.
QString detailsEntry(const Failure& f) {
    if (f.details.isEmpty()) return f.summary;
    if (!f.details.contains(u'\n')) return f.summary + u' ' + f.details;
    QStringList lines{f.summary};
    for (const QString& line : f.details.split(u'\n')) lines << QStringLiteral("  ") + line;
    return lines.join(u'\n');
}

// The window of the action whose box is up, for as long as the box is.
QPointer<QWidget>& boxWindow() {
    static QPointer<QWidget> w;
    return w;
}

class BoxFor {
public:
    explicit BoxFor(QWidget* owner) : previous_(boxWindow()) { boxWindow() = owner; }
    ~BoxFor() { boxWindow() = previous_; }
    BoxFor(const BoxFor&) = delete;
    BoxFor& operator=(const BoxFor&) = delete;

private:
    QPointer<QWidget> previous_;
};

// Shows, in one box, what an action has gathered, for the window it brought up.
void showGathered(const std::vector<Failure>& failures, QWidget* owner) {
    if (failures.empty()) return;
    const BoxFor box(owner);
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

bool onScreen(const QWidget* w) {
    return w && w->isVisible() && !w->isMinimized();
}
}  // namespace

void dispatchEvent(const std::function<void()>& handler) {
    {
        const ActionScope scope;
        if (action().depth == 1) {
            // A step may add steps: those run from the next action on.
            const std::vector<std::function<void()>> steps = startSteps();
            for (const std::function<void()>& step : steps) runReported(step);
        }
        runReported(handler);
    }
    if (action().depth > 0) return;
    // The action's end, however its handler left. It is over before its box shows: a dispatch while
    // the box is open is an action of its own.
    Action& a = action();
    const std::vector<Failure> failures = std::exchange(a.gathered, {});
    const QPointer<QWidget> opened = std::exchange(a.opened, nullptr);
    a.shown.clear();
    showGathered(failures, opened);
}

void atEachActionStart(const std::function<void()>& step) {
    startSteps().push_back(step);
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

void endProgram(int exitCode) {
    showGathered(std::exchange(action().gathered, {}), action().opened);
    services().endProgram(exitCode);
}

void noteWindowShown(QWidget* window) {
    if (action().depth > 0) action().opened = window;
}

QWidget* boxOwner() {
    if (action().depth > 0 && onScreen(action().opened)) return action().opened;
    if (onScreen(boxWindow())) return boxWindow();
    // A box under a minimised window could go unseen with it, and hold the program.
    QWidget* active = QApplication::activeWindow();
    return onScreen(active) ? active : nullptr;
}

}  // namespace ui
