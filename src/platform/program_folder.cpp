#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ui {

namespace {
QString& overriddenFolder() {
    static QString folder;
    return folder;
}
}  // namespace

QString programFolder() {
    if (!overriddenFolder().isEmpty()) return overriddenFolder();
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString& folder) {
    overriddenFolder() = QDir::cleanPath(folder);
}

QString programPath(const QString& name) {
    QString n = name;
    n.replace('\\', '/');
    if (QDir::isAbsolutePath(n)) return QDir::cleanPath(n);
    return QDir::cleanPath(programFolder() + '/' + n);
}

QString shownPath(const QString& path) {
    const QString file = programPath(path);
    const QString folder = QDir(programFolder()).absolutePath();
    if (file.startsWith(folder + u'/')) return file.mid(folder.size() + 1);
    return QDir::toNativeSeparators(file);
}

}  // namespace ui
