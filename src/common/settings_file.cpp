#include "common/settings_file.h"

#include <QHash>
#include <optional>
#include <utility>
#include <vector>

#include "common/file_messages.h"
#include "platform/dispatch.h"
#include "platform/error.h"
#include "platform/file_waits.h"
#include "platform/paths.h"

namespace settings {

namespace {
// The files the operator has been told of in this run, with the reason told.
QHash<QString, QString>& toldFailures() {
    static QHash<QString, QString> told;
    return told;
}

// The lines of a read, with its failure told as readLinesOrReport tells it.
QStringList reported(const QString& path, const textfile::ReadResult& r, const QString& consequence) {
    if (r.error.isEmpty()) {
        // A good read, or a missing file: the next failure is news again.
        toldFailures().remove(path);
        return r.lines;
    }
    // A file another program held is told each time: it is no lasting state of the file.
    if (r.busy) {
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

// A box that a busy setting did not reach, and the text the read left in it.
struct Missed {
    QString name;
    SettingBox box;
    QString left;
};

std::vector<Missed>& missed() {
    static std::vector<Missed> m;
    return m;
}

// At an action's start: every busy setting is tried once more, each file read once, and goes into the
// boxes it missed, in the order they missed it. One still held stays for the next action, unsaid: the
// box of its read said that it would be read again.
void readMissedAgain() {
    if (missed().empty()) return;
    std::vector<Missed> pending = std::exchange(missed(), {});
    std::vector<Missed> still;
    QHash<QString, std::optional<QString>> lines;  // by file; nothing: still held
    {
        const ui::FileTriesOnly tries;
        for (const Missed& m : pending) {
            if (lines.contains(m.name)) continue;
            const QString path = ui::programPath(m.name);
            const textfile::ReadResult r = textfile::readLines(path, textfile::LoneLf::EndsLine);
            if (r.busy) {
                lines.insert(m.name, std::nullopt);
                continue;
            }
            // Read now, or unreadable in a way of its own, which is told as at any read.
            lines.insert(m.name, reported(path, r, {}).value(0));
        }
    }
    for (const Missed& m : pending) {
        const std::optional<QString>& line = lines.value(m.name);
        if (!line) {
            still.push_back(m);
            continue;
        }
        ui::TextBox* box = m.box();
        if (box && box->text() == m.left) box->setText(*line);
    }
    // Boxes that missed a setting while these were written wait behind those that missed it before.
    still.insert(still.end(), missed().begin(), missed().end());
    missed() = std::move(still);
}
}  // namespace

QStringList readLinesOrReport(const QString& path, bool* unreadable, textfile::LoneLf lf, bool* busy,
                              const QString& consequence) {
    const textfile::ReadResult r = textfile::readLines(path, lf);
    if (unreadable) *unreadable = !r.error.isEmpty();
    if (busy) *busy = r.busy;
    return reported(path, r, consequence);
}

QString readLine(const QString& name, bool* unreadable, const QString& consequence) {
    return readLinesOrReport(ui::programPath(name), unreadable, textfile::LoneLf::EndsLine, nullptr,
                             consequence)
        .value(0);
}

void readLineInto(const QString& name, const SettingBox& box) {
    bool busy = false;
    const QString line =
        readLinesOrReport(ui::programPath(name), nullptr, textfile::LoneLf::EndsLine, &busy).value(0);
    ui::TextBox* b = box();
    b->setText(line);
    if (!busy) return;
    static const bool registered = [] {
        ui::atEachActionStart(readMissedAgain);
        return true;
    }();
    (void)registered;
    missed().push_back({name, box, b->text()});
}

void forgetTold() {
    toldFailures().clear();
    // The boxes of an earlier run's windows are no concern of this one.
    missed().clear();
}

}  // namespace settings
