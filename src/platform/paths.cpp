#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>

namespace ui {

QString findProgram(const QString& bareName) {
    QString base = bareName;
    base.replace('\\', '/');
    if (base.contains('/')) return {};  // only bare names: nothing outside the program folder
    QStringList candidates{base};
    if (base.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        candidates << base.left(base.size() - 4);
    else
        candidates << base + QStringLiteral(".exe");
    for (const QString& c : candidates) {
        const QFileInfo fi(QDir(programFolder()).filePath(c));
        if (fi.isFile() && fi.isExecutable()) return fi.absoluteFilePath();
    }
    return {};
}

bool startProgramFromFolder(const QString& bareName, WindowStyle style) {
    const QString path = findProgram(bareName);
    if (path.isEmpty()) {
        showError(
            QStringLiteral("Не удалось запустить %1: программа не найдена в папке программы.").arg(bareName),
            shownPath(programFolder()));
        return false;
    }
    if (!services().startProgram(path, style)) {
        showError(QStringLiteral("Не удалось запустить %1.").arg(bareName), shownPath(path));
        return false;
    }
    return true;
}

}  // namespace ui
