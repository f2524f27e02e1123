#include "support/shown_boxes.h"

#include <QApplication>
#include <QDialog>

namespace ui {

void ShownBoxes::messageBox(const QString& text, const QString& title, const QString& details) {
    ScriptedServices::messageBox(text, title, details);
    // Runs inside the box's own event loop, once the box is up.
    QMetaObject::invokeMethod(
        qApp,
        [this] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            shown.push_back({box ? box->parentWidget() : nullptr, box != nullptr});
            if (box) box->accept();
        },
        Qt::QueuedConnection);
    runMessageBox(text, title, details);
}

}  // namespace ui
