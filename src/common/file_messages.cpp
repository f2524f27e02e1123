#include "common/file_messages.h"

#include <QDir>
#include <QFileInfo>

#include "platform/paths.h"
#include "platform/services.h"

namespace filemsg {

namespace {
void report(const QString& what, const QString& path, const QString& reason, const QString& consequence) {
    QString summary = QStringLiteral("Не удалось %1 файл «%2».").arg(what, shownName(path));
    if (!consequence.isEmpty()) summary += u' ' + consequence;
    ui::showError(summary, details(path, reason));
}
}  // namespace

QString shownName(const QString& path) {
    const QString folder = QDir(ui::programFolder()).absolutePath();
    const QString file = QFileInfo(path).absoluteFilePath();
    if (file.startsWith(folder + u'/')) return file.mid(folder.size() + 1).replace(u'/', u'\\');
    return QDir::toNativeSeparators(path);
}

QString details(const QString& path, const QString& reason) {
    QString text =
        QStringLiteral("Файл: %1").arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    if (!reason.isEmpty()) text += QStringLiteral("\nПричина: %1").arg(reason);
    return text;
}

void reportUnreadable(const QString& path, const QString& reason, const QString& consequence) {
    report(QStringLiteral("прочитать"), path, reason, consequence);
}

void reportUnwritable(const QString& path, const QString& reason, const QString& consequence) {
    report(QStringLiteral("записать"), path, reason, consequence);
}

}  // namespace filemsg
