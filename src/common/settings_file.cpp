#include "common/settings_file.h"

#include <QHash>

#include "common/file_messages.h"
#include "platform/error.h"
#include "platform/paths.h"

namespace settings {

namespace {
// The files the operator has been told of in this run, with the reason told.
QHash<QString, QString>& toldFailures() {
    static QHash<QString, QString> told;
    return told;
}
}  // namespace

QStringList readLinesOrReport(const QString& path, bool* unreadable, textfile::LoneLf lf, bool* busy,
                              const QString& consequence) {
    const textfile::ReadResult r = textfile::readLines(path, lf);
    if (unreadable) *unreadable = !r.error.isEmpty();
    if (busy) *busy = ui::isBusy(r.error);
    if (r.error.isEmpty()) {
        // A good read, or a missing file: the next failure is news again.
        toldFailures().remove(path);
        return r.lines;
    }
    // A file another program held is told each time: it is no lasting state of the file.
    if (ui::isBusy(r.error)) {
        const QString again = QStringLiteral("Он будет прочитан снова, когда понадобится.");
        filemsg::reportUnreadable(path, r.error, consequence.isEmpty() ? again : consequence + u' ' + again);
        return r.lines;
    }
    const auto told = toldFailures().constFind(path);
    if (told == toldFailures().cend() || *told != r.error) {
        toldFailures().insert(path, r.error);
        filemsg::reportUnreadable(path, r.error, consequence);
    }
    return r.lines;
}

QString readLine(const QString& name, bool* unreadable, const QString& consequence) {
    return readLinesOrReport(ui::programPath(name), unreadable, textfile::LoneLf::EndsLine, nullptr,
                             consequence)
        .value(0);
}

void forgetTold() {
    toldFailures().clear();
}

}  // namespace settings
