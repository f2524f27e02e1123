#include "student_base/window_look.h"

#include <QDir>

#include "common/text_file.h"
#include "platform/paths.h"
#include "platform/services.h"

namespace velmox::look {

QString readSettingLine(const QString& name) {
    const QString path = ui::programPath(name);
    QString error;
    const QString line = textfile::readFirstLine(path, &error);
    if (!error.isEmpty())
        ui::services().messageBox(
            QStringLiteral("Не удалось прочитать файл %1: %2").arg(QDir::toNativeSeparators(path), error),
            QStringLiteral("Ошибка"));
    return line;
}

}  // namespace velmox::look
