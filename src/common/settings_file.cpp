#include "common/settings_file.h"

#include "common/file_messages.h"
#include "platform/paths.h"

namespace settings {

QStringList readLinesOrReport(const QString& path, bool* unreadable, textfile::LoneLf lf) {
    const textfile::ReadResult r = textfile::readLines(path, lf);
    if (!r.error.isEmpty()) filemsg::reportUnreadable(path, r.error);
    if (unreadable) *unreadable = !r.error.isEmpty();
    return r.lines;
}

QString readLine(const QString& name) {
    return readLinesOrReport(ui::programPath(name), nullptr, textfile::LoneLf::EndsLine).value(0);
}

}  // namespace settings
