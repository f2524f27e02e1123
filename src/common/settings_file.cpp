#include "common/settings_file.h"

#include "common/file_messages.h"
#include "common/text_file.h"
#include "platform/paths.h"

namespace settings {

QStringList readLinesOrReport(const QString& path, bool* unreadable) {
    const textfile::ReadResult r = textfile::readLines(path);
    if (!r.error.isEmpty()) filemsg::reportUnreadable(path, r.error);
    if (unreadable) *unreadable = !r.error.isEmpty();
    return r.lines;
}

QString readLine(const QString& name) {
    return readLinesOrReport(ui::programPath(name)).value(0);
}

}  // namespace settings
