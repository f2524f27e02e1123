#pragma once
// Drives the platform's controls as an operator would, and puts scripted services in place so
// every message box a test causes can be asserted.
#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <memory>
#include <ostream>

#include "platform/services.h"
#include "support/qt_print.h"
#include "support/scripted_services.h"

// Scripted services for the length of one test; the previous ones come back after it.
class ScriptedScope {
public:
    ScriptedScope() : previous_(ui::setServices(std::make_unique<ui::ScriptedServices>())) {}
    ~ScriptedScope() { ui::setServices(std::move(previous_)); }
    ScriptedScope(const ScriptedScope&) = delete;
    ScriptedScope& operator=(const ScriptedScope&) = delete;
    ui::ScriptedServices* operator->() const { return &static_cast<ui::ScriptedServices&>(ui::services()); }

private:
    std::unique_ptr<ui::Services> previous_;
};

// Types `text` key by key. QTest::keyClicks takes Latin-1 only, and the operator types Cyrillic
// and Kazakh letters too.
inline void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

// Shows a window and waits until the platform has put it on the screen, so mouse events sent to
// it are routed as the window system would route them.
inline bool showAndExpose(QWidget* window) {
    window->show();
    return QTest::qWaitForWindowExposed(window);
}

// Runs the queued calls, among them the deletion of closed windows.
inline void runQueuedCalls() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
