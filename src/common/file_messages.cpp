#include "common/file_messages.h"

#include <QStringList>

#include "platform/program_folder.h"
#include "platform/services.h"

namespace filemsg {

namespace {
void report(const QString& what, const QString& path, const QString& reason, const QString& consequence) {
    QString summary = QStringLiteral("Не удалось %1 файл «%2».").arg(what, ui::shownPath(path));
    if (!consequence.isEmpty()) summary += u' ' + consequence;
    ui::showError(summary, reason.isEmpty() ? QString() : QStringLiteral("Причина: %1").arg(reason));
}
}  // namespace

QString notANumber(qsizetype line, const QString& text) {
    constexpr qsizetype kLongest = 20;
    const QString quoted = text.size() <= kLongest ? text : text.left(kLongest) + QStringLiteral("…");
    return QStringLiteral("в строке %1 не число: «%2»").arg(line).arg(quoted);
}

QString failureLine(const QString& path, const QString& reason) {
    return QStringLiteral("%1: %2").arg(ui::shownPath(path), reason);
}

void reportUnreadable(const QString& path, const QString& reason, const QString& consequence) {
    report(QStringLiteral("прочитать"), path, reason, consequence);
}

void reportUnwritable(const QString& path, const QString& reason, const QString& consequence) {
    report(QStringLiteral("записать"), path, reason, consequence);
}

void reportSetAside(const QString& path, const QString& backup, const QStringList& copies) {
    QString details = QStringLiteral(
        "Причина: запись файла прервана, а копии его прежнего содержимого нет: "
        "её удалили или изменили.");
    if (!copies.isEmpty()) {
        QStringList shown;
        for (const QString& copy : copies) shown << QStringLiteral("«%1»").arg(ui::shownPath(copy));
        details += QStringLiteral(
                       "\nРядом остались копии прежнего содержимого, которые программа не "
                       "смогла взять (обрезанные или изменённые); в них может быть прежний "
                       "текст: %1.")
                       .arg(shown.join(QStringLiteral(", ")));
    }
    ui::showError(QStringLiteral("Файл «%1» не дописан и отложен рядом под именем «%2»; при сохранении "
                                 "программа запишет его заново.")
                      .arg(ui::shownPath(path), ui::shownPath(backup)),
                  details);
}

void reportUnsaved(const std::vector<ui::Error>& failures) {
    if (failures.empty()) return;
    if (failures.size() == 1 && !failures.front().file().isEmpty()) {
        reportUnwritable(failures.front().file(), failures.front().reason());
        return;
    }
    // The summary points to no details: inside an action's combined box it stands as one of its
    // lines, with these below it.
    QStringList lines;
    for (const ui::Error& e : failures) lines << QString::fromUtf8(e.what());
    ui::showError(failures.size() == 1
                      ? QStringLiteral("Не всё удалось сохранить.")
                      : QStringLiteral("Не всё удалось сохранить, ошибок: %1.").arg(failures.size()),
                  lines.join(u'\n'));
}

}  // namespace filemsg
