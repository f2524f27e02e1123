#include "platform/dispatch.h"

#include <QString>
#include <exception>

#include "platform/services.h"

namespace ui {

void dispatchEvent(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    } catch (...) {
        showError(QStringLiteral("Непредвиденная ошибка."));
    }
}

}  // namespace ui
