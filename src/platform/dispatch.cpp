#include "platform/dispatch.h"

#include <QString>
#include <exception>

#include "platform/services.h"

namespace ui {

void dispatchEvent(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        services().messageBox(QString::fromUtf8(e.what()), QStringLiteral("Ошибка"));
    } catch (...) {
        services().messageBox(QStringLiteral("Непредвиденная ошибка."), QStringLiteral("Ошибка"));
    }
}

}  // namespace ui
