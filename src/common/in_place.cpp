#include "common/in_place.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <string_view>

#include "common/disk.h"
#include "platform/plain_file.h"
#include "platform/program_folder.h"

namespace inplace {

namespace {

using namespace disk;

// The mark: the copy's path between these two, past the end of both the old and the new content. No
// text file of the program's holds a NUL byte, and the file's length is not that of either content.
constexpr std::string_view kMarkHead{"\0velmox: old content in ", 24};
constexpr std::string_view kMarkEnd{"\0velmox\0", 8};
// The copy's first line ties it to the one file it was taken from.
constexpr std::string_view kCopyHead{"velmox copy of "};
constexpr qint64 kLongestCopyHead = 64;

QByteArray bytesOf(std::string_view s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

QByteArray markFor(const QByteArray& copy) {
    return bytesOf(kMarkHead) + copy + bytesOf(kMarkEnd);
}

QByteArray copyHeadFor(const struct stat& file) {
    return bytesOf(kCopyHead) + QByteArray::number(quint64(file.st_dev)) + ' ' +
           QByteArray::number(quint64(file.st_ino)) + '\n';
}

// A path as every mark and every clearing names a copy: from the root, through no linked folder.
QByteArray fromRoot(const QByteArray& path) {
    return realFolder(folderOf(path)) + '/' + nameOf(path);
}

struct Mark {
    QByteArray copy;  // the path of the copy it names
    qint64 at = 0;    // where it starts: the old and the new content both end before it
};

// The mark at the end of the open file of `size` bytes, if it bears one.
std::optional<Mark> markOf(int fd, qint64 size) {
    const qint64 longest = qint64(kMarkHead.size() + PATH_MAX + kMarkEnd.size());
    const qint64 from = std::max<qint64>(0, size - longest);
    int error = 0;
    const std::optional<QByteArray> tail = readAt(fd, from, size - from, error);
    if (!tail || !tail->endsWith(bytesOf(kMarkEnd))) return std::nullopt;
    const qsizetype head = tail->lastIndexOf(bytesOf(kMarkHead));
    if (head < 0) return std::nullopt;
    const qsizetype start = head + qsizetype(kMarkHead.size());
    QByteArray copy = tail->mid(start, tail->size() - qsizetype(kMarkEnd.size()) - start);
    if (!copy.startsWith('/')) return std::nullopt;
    return Mark{std::move(copy), from + head};
}

// The copy at `path`, open for reading, if it is a copy of the file `file` (by its device and inode);
// `contentAt` is where its content begins. -1 otherwise.
int openCopyOf(const QByteArray& path, const struct stat& file, qint64& contentAt) {
    int error = 0;
    QString refusal;
    const int fd = ui::openPlainFile(path, O_RDONLY | O_NOFOLLOW, error, refusal);
    if (fd < 0) return -1;
    const QByteArray head = copyHeadFor(file);
    const std::optional<QByteArray> first = readAt(fd, 0, head.size(), error);
    if (!first || *first != head) {
        ::close(fd);
        return -1;
    }
    contentAt = head.size();
    return fd;
}

// The device and inode a copy's first line names.
std::optional<struct stat> fileOfCopy(int copy) {
    int error = 0;
    const std::optional<QByteArray> first = readAt(copy, 0, kLongestCopyHead, error);
    if (!first || !first->startsWith(bytesOf(kCopyHead))) return std::nullopt;
    const qsizetype end = first->indexOf('\n');
    if (end < 0) return std::nullopt;
    const QList<QByteArray> numbers =
        first->mid(qsizetype(kCopyHead.size()), end - qsizetype(kCopyHead.size())).split(' ');
    bool devOk = false, inoOk = false;
    struct stat st {};
    if (numbers.size() == 2) {
        st.st_dev = dev_t(numbers[0].toULongLong(&devOk));
        st.st_ino = ino_t(numbers[1].toULongLong(&inoOk));
    }
    if (!devOk || !inoOk) return std::nullopt;
    return st;
}

std::optional<QByteArray> copyContent(int copy, qint64 contentAt) {
    struct stat st {};
    int error = 0;
    if (::fstat(copy, &st) != 0) return std::nullopt;
    return readAt(copy, contentAt, st.st_size - contentAt, error);
}

// The note of a copy made where no start clears: in the program folder, under the copy's own name.
// "" for a copy in the program folder or in its data folder, which the start clears anyway.
QByteArray noteOf(const QByteArray& copy) {
    const QByteArray program = realFolder(QFile::encodeName(ui::programFolder()));
    const QByteArray folder = folderOf(copy);
    if (folder == program || folder == realFolder(program + "/data")) return {};
    return program + '/' + nameOf(copy);
}

void removeNote(const QByteArray& copy) {
    const QByteArray note = noteOf(copy);
    if (note.isEmpty()) return;
    QByteArray text(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink(note.constData(), text.data(), size_t(text.size()));
    if (n > 0 && text.left(n) == copy) ::unlink(note.constData());
}

// Made once the copy is whole under its name, and on the disk before the file bears its mark. Where
// none can be made (a program folder on a read-only disk) the copy is still found through the mark
// by whoever reads or writes the file next.
void makeNote(const QByteArray& copy) {
    const QByteArray note = noteOf(copy);
    if (note.isEmpty() || ::symlink(copy.constData(), note.constData()) != 0) return;
    (void)flushFolder(folderOf(note));
}

}  // namespace

void dropCopy(const QByteArray& path, const struct stat& file) {
    qint64 contentAt = 0;
    const int copy = openCopyOf(path, file, contentAt);
    if (copy < 0) return;
    if (::flock(copy, LOCK_EX | LOCK_NB) == 0 && stillNamed(path, copy)) {
        ::unlink(path.constData());
        removeNote(path);
    }
    ::close(copy);
}

namespace {

// Copies of the file beside the name it is written through, left by earlier saves that were killed
// or that could not remove them. The caller holds the file's lock.
void dropCopiesBeside(const QByteArray& target, const struct stat& file) {
    const QByteArray folder = realFolder(folderOf(target));
    const QByteArray name = nameOf(target);
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::optional<OwnName> own = ownNameOf(entry->d_name);
        if (own && own->isCopy && own->file == name) dropCopy(folder + '/' + entry->d_name, file);
    }
    ::closedir(dir);
}

void closeAll(Write& w) {
    if (w.copyFile >= 0) ::close(w.copyFile);
    if (w.file >= 0) ::close(w.file);
    w.copyFile = w.file = -1;
}

// Removes this write's own copy; the caller holds its lock and the file's.
void dropOwnCopy(Write& w) {
    ::unlink(w.copy.constData());
    removeNote(w.copy);
}

// The file back to the content `content`, whole, with no mark. 0 or the error number.
int rewrite(int fd, const QByteArray& content) {
    int error = writeAt(fd, content, 0);
    if (!error) error = flush(fd);
    if (!error) error = cut(fd, content.size());
    if (!error) error = flush(fd);
    return error;
}

// The copy whole on the disk under a ".old" name that no file held; then the note.
int keepCopy(Write& w) {
    if (const int error = flush(w.copyFile)) return error;
    QByteArray copy;
    if (const int error = takeOwnName(w.copy, fromRoot(w.target), kOldEnding, copy)) return error;
    w.copy = copy;
    if (const int error = flushFolder(folderOf(copy))) return error;
    makeNote(copy);
    return 0;
}

// Room for the longer content and the mark, taken first where the disk can, so a full disk refuses
// it before a byte of the file changes.
int reserve(int fd, qint64 from, qint64 to) {
    if (to <= from || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, off_t(from), off_t(to - from)) == 0) return 0;
    return errno == EOPNOTSUPP || errno == ENOSYS || errno == EINTR ? 0 : errno;
}

// Every step after the copy: the mark, the new content, the cut that takes the mark away.
QString writeMarked(Write& w) {
    if (const int error = keepCopy(w)) {
        dropOwnCopy(w);
        return writeFailure(error);
    }
    const qint64 before = w.locked.st_size;
    const QByteArray mark = markFor(w.copy);
    const qint64 markAt = std::max<qint64>(before, w.bytes->size());
    int error = reserve(w.file, before, markAt + mark.size());
    if (!error) error = writeAt(w.file, mark, markAt);
    if (!error) error = flush(w.file);
    if (error) {
        // Back to the file as it was found, an earlier mark and all.
        if (cut(w.file, before) == 0 && flush(w.file) == 0) dropOwnCopy(w);
        return writeFailure(error);
    }
    // The new content is on the disk before the cut takes the mark away: a power cut in between
    // leaves the mark, and the file reads as its old content, never as a mix.
    error = writeAt(w.file, *w.bytes, 0);
    if (!error) error = flush(w.file);
    if (!error) error = cut(w.file, w.bytes->size());
    if (!error) error = flush(w.file);
    if (error) {
        // The old content goes back at once; if even that fails, the mark stays and every name
        // reads the old content from the copy until the next save or start.
        if (rewrite(w.file, w.old) == 0) {
            dropOwnCopy(w);
            if (!w.earlierCopy.isEmpty()) dropCopy(w.earlierCopy, w.locked);
        }
        return writeFailure(error);
    }
    // Done: no mark names any copy now, so none left behind (a disk that refuses the removal) can
    // undo this save.
    dropOwnCopy(w);
    if (!w.earlierCopy.isEmpty()) dropCopy(w.earlierCopy, w.locked);
    dropCopiesBeside(w.target, w.locked);
    return {};
}

}  // namespace

std::optional<Write> begin(const QByteArray& target, const QByteArray& bytes, QString& failure) {
    Write w;
    w.target = target;
    w.bytes = &bytes;
    int error = 0;
    QString refusal;
    w.file = ui::openPlainFile(target, O_RDWR | O_NOFOLLOW, error, refusal);
    if (w.file < 0) {
        failure = refusal.isEmpty() ? writeFailure(error) : refusal;
        return std::nullopt;
    }
    // Another save of the same file (through another name, from another program folder) and a
    // clearing putting a copy back wait their turn, and so do readers, so two contents never mix.
    error = lockWithin(w.file, LOCK_EX);
    if (!error && ::fstat(w.file, &w.locked) != 0) error = errno;
    if (error) {
        failure = writeFailure(error);
        closeAll(w);
        return std::nullopt;
    }
    // A file marked by a killed write holds a mix: its content is the copy's.
    std::optional<QByteArray> old;
    const std::optional<Mark> mark = markOf(w.file, w.locked.st_size);
    if (mark) {
        qint64 contentAt = 0;
        if (const int copy = openCopyOf(mark->copy, w.locked, contentAt); copy >= 0) {
            old = copyContent(copy, contentAt);
            ::close(copy);
            w.earlierCopy = mark->copy;
        }
    }
    if (!old) old = readAt(w.file, 0, mark ? mark->at : w.locked.st_size, error);
    if (!old) {
        failure = readFailure(error);
        closeAll(w);
        return std::nullopt;
    }
    w.old = *std::move(old);
    // Whoever may read the file may read its copy, to put it back after a killed save.
    w.copyFile = makeOwnFile(target, kNewEnding, 0600, w.copy);
    if (w.copyFile < 0) {
        failure = folderFailure(QFile::decodeName(target), errno);
        closeAll(w);
        return std::nullopt;
    }
    (void)::fchmod(w.copyFile, w.locked.st_mode & 0666);
    if (const int written = writeAt(w.copyFile, copyHeadFor(w.locked) + w.old, 0)) {
        failure = writeFailure(written);
        dropOwnCopy(w);
        closeAll(w);
        return std::nullopt;
    }
    return w;
}

QString finish(Write& w) {
    const QString failure = writeMarked(w);
    closeAll(w);
    return failure;
}

QByteArray copyMarkedIn(const QByteArray& path, struct stat& file) {
    int error = 0;
    QString refusal;
    const int fd = ui::openPlainFile(path, O_RDONLY | O_NOFOLLOW, error, refusal);
    if (fd < 0) return {};
    QByteArray copy;
    if (::fstat(fd, &file) == 0)
        if (const std::optional<Mark> mark = markOf(fd, file.st_size)) copy = mark->copy;
    ::close(fd);
    return copy;
}

Content contentOf(int fd, const struct stat& st, QString& error) {
    const std::optional<Mark> mark = markOf(fd, st.st_size);
    if (!mark) return {fd, 0, st.st_size, false};
    Content copy;
    copy.fd = openCopyOf(mark->copy, st, copy.offset);
    struct stat copied {};
    if (copy.fd < 0 || ::fstat(copy.fd, &copied) != 0) {
        if (copy.fd >= 0) ::close(copy.fd);
        error = QStringLiteral("файл не дописан: его запись прервана, а копии прежнего содержимого нет");
        return {};
    }
    copy.size = copied.st_size - copy.offset;
    copy.isCopy = true;
    return copy;
}

void settleCopy(const QByteArray& given) {
    const QByteArray path = fromRoot(given);
    const std::optional<OwnName> own = ownNameOf(nameOf(path));
    int error = 0;
    QString refusal;
    const int copy = ui::openPlainFile(path, O_RDONLY | O_NOFOLLOW, error, refusal);
    if (!own || !own->isCopy || copy < 0) {
        if (copy >= 0) ::close(copy);
        return;
    }
    const std::optional<struct stat> from = fileOfCopy(copy);
    const QByteArray target = folderOf(path) + '/' + own->file;
    const int file = from ? ui::openPlainFile(target, O_RDWR | O_NOFOLLOW, error, refusal) : -1;
    struct stat st {};
    // The file's lock before the copy's, as every save takes them; then everything is decided again,
    // for a save that ran while this waited may have outdated the copy or taken it away.
    const bool ours = file >= 0 && ::fstat(file, &st) == 0 && sameFile(st, *from) &&
                      lockWithin(file, LOCK_EX) == 0 && ::flock(copy, LOCK_EX | LOCK_NB) == 0 &&
                      stillNamed(path, copy) && ::fstat(file, &st) == 0;
    if (ours) {
        const std::optional<Mark> mark = markOf(file, st.st_size);
        const qint64 contentAt = copyHeadFor(st).size();
        std::optional<QByteArray> old;
        if (mark && mark->copy == path) old = copyContent(copy, contentAt);
        // Only a copy that no mark names any more may go; one that could not be put back stays.
        if (!mark || mark->copy != path || (old && rewrite(file, *old) == 0)) {
            ::unlink(path.constData());
            removeNote(path);
        }
    }
    if (file >= 0) ::close(file);
    ::close(copy);
}

void settleNote(const QByteArray& notePath) {
    struct stat st {};
    if (::lstat(notePath.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return;
    QByteArray copy(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink(notePath.constData(), copy.data(), size_t(copy.size()));
    if (n <= 0) return;
    copy.resize(n);
    // A note is a link from the program folder to a copy of the same name, made where no start looks.
    const std::optional<OwnName> own = ownNameOf(nameOf(copy));
    if (!copy.startsWith('/') || nameOf(copy) != nameOf(notePath) || !own || !own->isCopy ||
        noteOf(copy) != realFolder(folderOf(notePath)) + '/' + nameOf(notePath))
        return;
    settleCopy(copy);
    if (::lstat(copy.constData(), &st) != 0 && errno == ENOENT) ::unlink(notePath.constData());
}

}  // namespace inplace
