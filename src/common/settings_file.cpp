#include "common/settings_file.h"

#include <QDir>

#include "common/text_file.h"
#include "platform/paths.h"
#include "platform/services.h"

namespace settings {

QStringList readLinesOrReport(const QString& path, bool* unreadable) {
    const textfile::ReadResult r = textfile::readLines(path);
    if (!r.error.isEmpty())
        ui::services().messageBox(
            QStringLiteral("Не удалось прочитать файл %1: %2").arg(QDir::toNativeSeparators(path), r.error),
            QStringLiteral("Ошибка"));
    if (unreadable) *unreadable = !r.error.isEmpty();
    return r.lines;
}

QString readLine(const QString& name) {
    return readLinesOrReport(ui::programPath(name)).value(0);
}

}  // namespace settings
