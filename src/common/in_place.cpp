#include "common/in_place.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

#include "common/disk.h"
#include "platform/plain_file.h"
#include "platform/program_folder.h"

namespace inplace {

namespace {

using namespace disk;

// The mark, past the end of both the old and the new content: the copy's path and the token that
// the copy's head holds too. No text file of the program's holds a NUL byte.
constexpr std::string_view kMarkHead{"\0velmox: old content in ", 24};
constexpr std::string_view kMarkEnd{"\0velmox\0", 8};
// The copy's first line: "velmox copy <token> <device> <inode>". The token ties it to the mark, and
// holds wherever the folder is moved or copied to; the device and inode tell which file it was taken
// from.
constexpr std::string_view kCopyHead{"velmox copy "};
constexpr qint64 kLongestCopyHead = 80;

QByteArray bytesOf(std::string_view s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

QByteArray newToken() {
    return QByteArray::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0');
}

// A path as every mark and every clearing names a copy: from the root, through no linked folder.
QByteArray fromRoot(const QByteArray& path) {
    return realFolder(folderOf(path)) + '/' + nameOf(path);
}

struct Mark {
    QByteArray copy;   // the path of the copy it names
    QByteArray token;  // the token of that copy
};

QByteArray markFor(const QByteArray& copy, const QByteArray& token) {
    return bytesOf(kMarkHead) + copy + '\0' + token + bytesOf(kMarkEnd);
}

// The mark at the end of the open file of `size` bytes, if it bears one.
std::optional<Mark> markOf(int fd, qint64 size) {
    const qint64 longest = qint64(kMarkHead.size() + PATH_MAX + 32 + kMarkEnd.size());
    const qint64 from = std::max<qint64>(0, size - longest);
    int error = 0;
    const std::optional<QByteArray> tail = readAt(fd, from, size - from, error);
    if (!tail || !tail->endsWith(bytesOf(kMarkEnd))) return std::nullopt;
    const qsizetype head = tail->lastIndexOf(bytesOf(kMarkHead));
    if (head < 0) return std::nullopt;
    const qsizetype start = head + qsizetype(kMarkHead.size());
    const QList<QByteArray> parts =
        tail->mid(start, tail->size() - qsizetype(kMarkEnd.size()) - start).split('\0');
    if (parts.size() != 2 || !parts[0].startsWith('/') || parts[1].isEmpty()) return std::nullopt;
    return Mark{parts[0], parts[1]};
}

struct Head {
    QByteArray token;
    struct stat file {};  // the device and inode of the file it was taken from
    qint64 size = 0;      // its length: the content follows
};

QByteArray headFor(const QByteArray& token, const struct stat& file) {
    return bytesOf(kCopyHead) + token + ' ' + QByteArray::number(quint64(file.st_dev)) + ' ' +
           QByteArray::number(quint64(file.st_ino)) + '\n';
}

std::optional<Head> headOf(int copy) {
    int error = 0;
    const std::optional<QByteArray> first = readAt(copy, 0, kLongestCopyHead, error);
    if (!first || !first->startsWith(bytesOf(kCopyHead))) return std::nullopt;
    const qsizetype end = first->indexOf('\n');
    if (end < 0) return std::nullopt;
    const QList<QByteArray> fields =
        first->mid(qsizetype(kCopyHead.size()), end - qsizetype(kCopyHead.size())).split(' ');
    if (fields.size() != 3 || fields[0].isEmpty()) return std::nullopt;
    Head head;
    bool devOk = false, inoOk = false;
    head.token = fields[0];
    head.file.st_dev = dev_t(fields[1].toULongLong(&devOk));
    head.file.st_ino = ino_t(fields[2].toULongLong(&inoOk));
    head.size = end + 1;
    if (!devOk || !inoOk) return std::nullopt;
    return head;
}

// A copy of the routine's own, open for reading; fd -1 when what lies at the path is none.
struct Copy {
    int fd = -1;
    QByteArray path;
    Head head;

    Copy() = default;
    Copy(const Copy&) = delete;
    Copy& operator=(const Copy&) = delete;
    Copy(Copy&& other) noexcept : fd(std::exchange(other.fd, -1)), path(other.path), head(other.head) {}
    ~Copy() {
        if (fd >= 0) ::close(fd);
    }

    std::optional<QByteArray> content() const {
        struct stat st {};
        int error = 0;
        if (::fstat(fd, &st) != 0) return std::nullopt;
        return readAt(fd, head.size, st.st_size - head.size, error);
    }
    // A copy taken of a file that itself bore a mark whose copy was gone: it holds no whole content.
    bool holdsAMix() const {
        struct stat st {};
        return ::fstat(fd, &st) != 0 || markOf(fd, st.st_size).has_value();
    }
};

Copy openCopy(const QByteArray& path) {
    Copy copy;
    int error = 0;
    QString refusal;
    copy.fd = ui::openPlainFile(path, O_RDONLY | O_NOFOLLOW, error, refusal);
    if (copy.fd < 0) return copy;
    if (std::optional<Head> head = headOf(copy.fd)) {
        copy.path = path;
        copy.head = *std::move(head);
    } else {
        ::close(copy.fd);
        copy.fd = -1;
    }
    return copy;
}

// The file named `name` through no link, as marks and copies name it.
QByteArray realName(const QByteArray& name) {
    QByteArray file = name;
    (void)resolveLinks(file);
    return fromRoot(file);
}

// The copy a mark names, holding a whole content: under its name beside the file read through
// `name` (where it lies, or where it came with its folder when that was moved or copied), else where
// the mark says.
Copy copyNamedBy(const Mark& mark, const QByteArray& name) {
    for (const QByteArray& path : {folderOf(realName(name)) + '/' + nameOf(mark.copy), mark.copy}) {
        Copy copy = openCopy(path);
        if (copy.fd >= 0 && copy.head.token == mark.token && !copy.holdsAMix()) return copy;
    }
    return {};
}

// Whether a copy is the file's own, which a save or a clearing of the file may put back or remove:
// taken of this very file, or lying beside the name it is written through, under that name (its
// folder moved or copied since). Any other copy with the mark's token, such as the one a file copied
// to another folder still names, may be read, and is left to the file it belongs to.
bool belongsTo(const Copy& copy, const QByteArray& name, const struct stat& file) {
    if (sameFile(copy.head.file, file)) return true;
    const QByteArray real = realName(name);
    const std::optional<OwnName> own = ownNameOf(nameOf(copy.path));
    return own && folderOf(copy.path) == folderOf(real) && own->file == nameOf(real);
}

// The note of a copy made where no start clears: in the program folder, under the copy's own name.
// "" for a copy in the program folder or in its data folder, whose every copy the start settles.
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
// by whoever writes the file next, and meanwhile every reader reads it.
void makeNote(const QByteArray& copy) {
    const QByteArray note = noteOf(copy);
    if (note.isEmpty() || ::symlink(copy.constData(), note.constData()) != 0) return;
    (void)flushFolder(folderOf(note));
}

// Removes the copy at `path` if `stale` says so of it, unless a running save or clearing holds it.
// The caller holds the file's lock, or the file is replaced and no one can put anything back into it.
void dropIf(const QByteArray& path, const std::function<bool(const Head&)>& stale) {
    const Copy copy = openCopy(path);
    if (copy.fd >= 0 && stale(copy.head) && ::flock(copy.fd, LOCK_EX | LOCK_NB) == 0 &&
        stillNamed(path, copy.fd)) {
        ::unlink(path.constData());
        removeNote(path);
    }
}

// Copies of the file beside the name it is written through, left by earlier saves that were killed
// or that could not remove them. The caller holds the file's lock and the file bears no mark.
void dropCopiesBeside(const QByteArray& target, const struct stat& file) {
    const QByteArray folder = realFolder(folderOf(target));
    const QByteArray name = nameOf(target);
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::optional<OwnName> own = ownNameOf(entry->d_name);
        if (own && own->isCopy && own->file == name)
            dropIf(folder + '/' + entry->d_name, [&](const Head& head) { return sameFile(head.file, file); });
    }
    ::closedir(dir);
}

void closeAll(Write& w) {
    if (w.copyFile >= 0) ::close(w.copyFile);
    if (w.file >= 0) ::close(w.file);
    w.copyFile = w.file = -1;
}

// Removes this write's own copy, and the one that a killed write's mark named; the caller holds the
// file's lock, and the file bears no mark now.
void dropCopies(Write& w) {
    ::unlink(w.copy.constData());
    removeNote(w.copy);
    if (!w.earlierCopy.isEmpty()) dropCopy(w.earlierCopy, w.earlierToken);
}

// The file back to the content `content`, whole: written and flushed, then cut to its length. 0 or
// the error number.
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
        ::unlink(w.copy.constData());
        removeNote(w.copy);
        return writeFailure(error);
    }
    const qint64 before = w.locked.st_size;
    const QByteArray mark = markFor(w.copy, w.token);
    const qint64 markAt = std::max<qint64>(before, w.bytes->size());
    int error = reserve(w.file, before, markAt + mark.size());
    if (!error) error = writeAt(w.file, mark, markAt);
    if (!error) error = flush(w.file);
    if (error) {
        // Back to the file as it was found, an earlier mark and all.
        if (cut(w.file, before) == 0 && flush(w.file) == 0) {
            ::unlink(w.copy.constData());
            removeNote(w.copy);
        }
        return writeFailure(error);
    }
    // The new content is on the disk before the cut takes the mark away: a power cut in between
    // leaves the mark, and the file reads as its old content, never as a mix.
    error = writeAt(w.file, *w.bytes, 0);
    if (!error) error = flush(w.file);
    if (!error) error = cut(w.file, w.bytes->size());
    if (error) {
        // The file still bears the mark: the old content goes back at once; if even that fails, the
        // mark stays and every name reads the old content from the copy until a save or a start.
        if (rewrite(w.file, w.old) == 0) dropCopies(w);
        return writeFailure(error);
    }
    // The new content is whole and flushed; only the cut may not be on the disk. The copy stays for
    // the start, which puts it back if the mark outlived a power cut, and removes it otherwise.
    if ((error = flush(w.file))) return writeFailure(error);
    // Done: no mark names any copy now, so none left behind (a disk that refuses the removal) can
    // undo this save.
    dropCopies(w);
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
    // A file marked by a killed write holds a mix: its content is the copy's. Where that copy is
    // gone, the file is taken as it lies, mark and all, so that a failed save leaves it as found.
    std::optional<QByteArray> old;
    if (const std::optional<Mark> mark = markOf(w.file, w.locked.st_size)) {
        if (const Copy copy = copyNamedBy(*mark, target); copy.fd >= 0) {
            old = copy.content();
            if (belongsTo(copy, target, w.locked)) {
                w.earlierCopy = copy.path;
                w.earlierToken = copy.head.token;
            }
        }
    }
    if (!old) old = readAt(w.file, 0, w.locked.st_size, error);
    if (!old) {
        failure = readFailure(error);
        closeAll(w);
        return std::nullopt;
    }
    w.old = *std::move(old);
    // Whoever may read the file may read its copy, to read through it or put it back after a kill.
    w.copyFile = makeOwnFile(target, kNewEnding, 0600, w.copy);
    if (w.copyFile < 0) {
        failure = folderFailure(QFile::decodeName(target), errno);
        closeAll(w);
        return std::nullopt;
    }
    (void)keepOwnerAndPermissions(w.copyFile, target, w.locked);
    w.token = newToken();
    if (const int written = writeAt(w.copyFile, headFor(w.token, w.locked) + w.old, 0)) {
        failure = writeFailure(written);
        ::unlink(w.copy.constData());
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

MarkedCopy::~MarkedCopy() {
    if (file >= 0) ::close(file);
}

std::unique_ptr<MarkedCopy> copyMarkedIn(const QByteArray& path) {
    int error = 0;
    QString refusal;
    auto marked = std::make_unique<MarkedCopy>();
    marked->file = ui::openPlainFile(path, O_RDONLY | O_NOFOLLOW, error, refusal);
    struct stat st {};
    if (marked->file < 0 || ::fstat(marked->file, &st) != 0) return nullptr;
    const std::optional<Mark> mark = markOf(marked->file, st.st_size);
    if (!mark) return nullptr;
    // Held until the copy is gone, so that a reader that has the file open reads the copy first.
    if (lockWithin(marked->file, LOCK_EX) != 0) return nullptr;
    const Copy copy = copyNamedBy(*mark, path);
    if (copy.fd < 0 || !belongsTo(copy, path, st)) return nullptr;
    marked->path = copy.path;
    marked->token = copy.head.token;
    return marked;
}

void dropCopy(const QByteArray& copyPath, const QByteArray& token) {
    dropIf(copyPath, [&](const Head& head) { return head.token == token; });
}

Content contentOf(int fd, const struct stat& st, const QByteArray& name, QString& error) {
    const std::optional<Mark> mark = markOf(fd, st.st_size);
    if (!mark) return {fd, 0, st.st_size};
    Copy copy = copyNamedBy(*mark, name);
    struct stat copied {};
    if (copy.fd < 0 || ::fstat(copy.fd, &copied) != 0) {
        error = QStringLiteral("файл не дописан: его запись прервана, а копии прежнего содержимого нет");
        return {};
    }
    return {std::exchange(copy.fd, -1), copy.head.size, copied.st_size - copy.head.size};
}

namespace {

// Puts the copy at `copyPath` back into the file `name`, or removes it, or leaves it, as settleCopy
// tells.
void settle(const QByteArray& name, const QByteArray& copyPath) {
    const Copy copy = openCopy(copyPath);
    if (copy.fd < 0) return;  // none of this routine's making: left alone
    int error = 0;
    QString refusal;
    const int file = ui::openPlainFile(name, O_RDWR | O_NOFOLLOW, error, refusal);
    struct stat st {};
    // The file's lock before the copy's, as every save takes them; then everything is decided again,
    // for a save that ran while this waited may have outdated the copy or taken it away.
    if (file >= 0 && lockWithin(file, LOCK_EX) == 0 && ::flock(copy.fd, LOCK_EX | LOCK_NB) == 0 &&
        stillNamed(copy.path, copy.fd) && ::fstat(file, &st) == 0 && belongsTo(copy, name, st)) {
        const std::optional<Mark> mark = markOf(file, st.st_size);
        const bool marked = mark && mark->token == copy.head.token;
        const std::optional<QByteArray> old = marked ? copy.content() : std::nullopt;
        // Back into the file that bears its mark, wherever the folder went; removed once no mark
        // names it. A copy of a file since replaced stays: the file's other names may still need it.
        if ((old && rewrite(file, *old) == 0) || (!marked && sameFile(st, copy.head.file))) {
            ::unlink(copy.path.constData());
            removeNote(copy.path);
        }
    }
    if (file >= 0) ::close(file);
}

}  // namespace

void settleCopy(const QByteArray& given) {
    const QByteArray path = fromRoot(given);
    const std::optional<OwnName> own = ownNameOf(nameOf(path));
    if (own && own->isCopy) settle(folderOf(path) + '/' + own->file, path);
}

void settleMark(const QByteArray& name) {
    int error = 0;
    QString refusal;
    const int fd = ui::openPlainFile(name, O_RDONLY | O_NOFOLLOW, error, refusal);
    struct stat st {};
    std::optional<Mark> mark;
    if (fd >= 0 && ::fstat(fd, &st) == 0) mark = markOf(fd, st.st_size);
    if (fd >= 0) ::close(fd);
    if (!mark) return;
    const Copy copy = copyNamedBy(*mark, name);
    if (copy.fd >= 0) settle(name, copy.path);
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
    // A copy gone from a folder that is there is settled; a folder that is away (a memory stick, a
    // network share) keeps its note for the start that finds it again.
    if (::lstat(copy.constData(), &st) != 0 && errno == ENOENT &&
        ::stat(folderOf(copy).constData(), &st) == 0)
        ::unlink(notePath.constData());
}

}  // namespace inplace
