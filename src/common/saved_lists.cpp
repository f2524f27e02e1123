#include "common/saved_lists.h"

#include <QHash>
#include <algorithm>
#include <cstdlib>

#include "common/case_fold.h"
#include "common/file_messages.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/services.h"

namespace savedlists {

namespace {

// The read failures the operator has been told of, by file, with their reason.
QHash<QString, QString>& toldFailures() {
    static QHash<QString, QString> failures;
    return failures;
}

// The list a file belongs to, by its number; 0 for a file that is no list's.
int listNumber(const QString& path) {
    for (int n = 1; n <= kListCount; ++n)
        if (fileName(n) == path) return n;
    return 0;
}

}  // namespace

QString fileName(int n) {
    return ui::programPath(QStringLiteral("data\\%1.txt").arg(n));
}

textfile::ReadResult read(const QString& path, const textfile::ReadResult& known) {
    textfile::ReadResult r = textfile::readLines(path, known);
    if (r.error.isEmpty()) toldFailures().remove(path);
    return r;
}

QByteArray encode(const QStringList& entries, bool utf8) {
    // A byte-order mark alone would be a file of three bytes for a list of none.
    if (entries.isEmpty()) return {};
    return textfile::encodeLines(entries, utf8);
}

QStringList withoutDuplicates(const QStringList& entries, bool distinctButLast) {
    // This is the outcome of the old list box's exact search walked down the list, found in one pass.
    if (entries.isEmpty()) return entries;
    if (distinctButLast) {
        const qsizetype last = entries.size() - 1;
        const QString key = caseFolded(entries[last]);
        if (last > 0 && caseFolded(entries.front()) == key) return entries.first(last);
        for (qsizetype i = 1; i < last; ++i) {
            if (caseFolded(entries[i]) != key) continue;
            QStringList out = entries;
            out.removeAt(i);
            return out;
        }
        return entries;
    }
    // Folding is the dear part: each entry is folded once.
    QStringList keys;
    keys.reserve(entries.size());
    QHash<QString, qsizetype> lastOf;
    lastOf.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        keys << caseFolded(entries[i]);
        lastOf.insert(keys.back(), i);
    }
    QStringList out;
    out.reserve(entries.size());
    out << entries.first();
    for (qsizetype i = 1; i < entries.size(); ++i)
        if (keys[i] != keys.front() && lastOf.value(keys[i]) == i) out << entries[i];
    return out;
}

// The editor shows the list as it was when last read; the file may have changed since (a save in the
// main window appends an entry or moves one to the end). The entry meant is the shown one: the line at
// the shown index if it still holds exactly that text, else the line holding it nearest to that index
// (of two as near, the earlier), else none, for the entry has left the file already. Letter case
// counts: another spelling is another entry, which the operator has not seen.
std::optional<qsizetype> lineToRemove(const QStringList& lines, int shownIndex, const QString& shownEntry) {
    if (shownIndex < 0) return std::nullopt;
    if (shownIndex < lines.size() && lines[shownIndex] == shownEntry) return shownIndex;
    std::optional<qsizetype> nearest;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] != shownEntry) continue;
        if (!nearest || std::abs(i - shownIndex) < std::abs(*nearest - shownIndex)) nearest = i;
    }
    return nearest;
}

Change removeEntry(const QString& path, int shownIndex, const QString& shownEntry) {
    Change c{.path = path};
    const textfile::ReadResult current = read(path);
    if (!current.error.isEmpty()) {
        c.error = current.error;
        c.busy = current.busy;
        return c;
    }
    c.before = current.lines;
    c.after = current.lines;
    c.removed = lineToRemove(current.lines, shownIndex, shownEntry);
    if (c.removed) c.after.removeAt(*c.removed);
    QByteArray bytes = encode(c.after, current.utf8);
    // A delete that changes no byte leaves the file alone; a missing file is created, empty.
    if (!current.exists || bytes != current.bytes)
        c.write = textfile::EncodedFile{path, std::move(bytes), {.createFolder = false}};
    return c;
}

std::optional<ui::Error> write(const Change& change) {
    if (!change.write) return std::nullopt;
    return textfile::writeEncodedFiles({*change.write}).front();
}

QStringList writtenEntries(const Change& change) {
    if (!change.write) return change.after;
    return textfile::readEncoded(change.after, change.write->bytes).lines;
}

Change ListFile::merge(const QString& text) {
    Change m{.path = path_, .merged = text};
    const textfile::ReadResult current = read(path_, read_);
    if (!current.error.isEmpty()) {
        read_ = {};
        m.error = current.error;
        m.busy = current.busy;
        return m;
    }
    m.before = current.lines;
    m.after = current.lines;
    const bool sameFile = current.exists && current.bytes == read_.bytes;
    if (sameFile && settledText_ == text) return m;
    const bool distinct = sameFile && distinct_;
    QStringList merged = withoutDuplicates(current.lines + QStringList{text}, distinct);
    // A file with a byte-order mark keeps it, so the entries already there keep their bytes. A merge
    // that changes no byte leaves the file alone, and the lines just read are what it holds.
    QByteArray bytes = encode(merged, current.utf8);
    if (current.exists && bytes == current.bytes) {
        read_ = current;
        distinct_ = distinct;
        settledText_ = text;
        return m;
    }
    read_ = {};
    distinct_ = false;
    settledText_.reset();
    m.after = std::move(merged);
    m.write = textfile::EncodedFile{path_, std::move(bytes), {}};
    return m;
}

QStringList ListFile::written(const Change& change) {
    if (!change.write) return change.after;
    read_ = textfile::readEncoded(change.after, change.write->bytes);
    // The survivors are their own merge with the same text: the next one changes nothing.
    if (read_.error.isEmpty() && read_.lines == change.after) {
        distinct_ = true;
        settledText_ = change.merged;
    }
    return read_.lines;
}

void ListFile::shareEntries(const QStringList& same) {
    if (read_.lines == same) read_.lines = same;
}

bool told(const Unreadable& failure) {
    const auto at = toldFailures().constFind(failure.path);
    return at != toldFailures().cend() && *at == failure.reason;
}

void markTold(const Unreadable& failure) {
    toldFailures().insert(failure.path, failure.reason);
}

void reportUnreadable(const std::vector<Unreadable>& failures, ReadAgain readAgain) {
    // Each window reads the lists in an order of its own; the operator finds them in the lists' order.
    std::vector<Unreadable> ordered = failures;
    std::stable_sort(ordered.begin(), ordered.end(), [](const Unreadable& a, const Unreadable& b) {
        return listNumber(a.path) < listNumber(b.path);
    });
    std::vector<Unreadable> news, busy;
    for (const Unreadable& f : ordered)
        if (f.busy)
            busy.push_back(f);
        else if (!told(f))
            news.push_back(f);
    // One box for each kind: the one file named, several counted, each in the details.
    const auto show = [](const std::vector<Unreadable>& files, const QString& one, const QString& several) {
        if (files.empty()) return;
        QStringList details;
        for (const Unreadable& f : files) details << filemsg::failureLine(f.path, f.reason);
        ui::showError(
            files.size() == 1 ? one.arg(ui::shownPath(files.front().path)) : several.arg(files.size()),
            details.join(u'\n'));
    };
    for (const Unreadable& f : news) markTold(f);
    show(news,
         QStringLiteral("Не удалось прочитать файл списка «%1». Список показан пустым, а его файл программа "
                        "не изменит."),
         QStringLiteral("Не удалось прочитать файлы списков: %1. Эти списки показаны пустыми, а их файлы "
                        "программа не изменит."));
    // A file another program holds for the moment is read again at the next save (the editor has
    // none: at its next opening), and named again if it is still held then.
    const QString when = readAgain == ReadAgain::AtTheNextSave
                             ? QStringLiteral("при сохранении")
                             : QStringLiteral("при следующем открытии редактора");
    show(busy,
         QStringLiteral("Файл списка «%1» занят другой программой. Список показан пустым; файл будет "
                        "прочитан снова ") +
             when + u'.',
         QStringLiteral("Файлы списков заняты другой программой: %1. Эти списки показаны пустыми; файлы "
                        "будут прочитаны снова ") +
             when + u'.');
}

void forgetTold() {
    toldFailures().clear();
}

}  // namespace savedlists
