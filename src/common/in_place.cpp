#include "common/in_place.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
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
#include "platform/error.h"
#include "platform/program_folder.h"

namespace inplace {

namespace {

using namespace disk;
using ui::Descriptor;

// The mark, past the end of both the old and the new content: the copy's path and the token that
// the copy's head holds too. No text file of the program's holds a NUL byte.
constexpr std::string_view kMarkHead{"\0velmox: old content in ", 24};
constexpr std::string_view kMarkEnd{"\0velmox\0", 8};
// The copy's first line: "velmox copy <token> <device> <inode> <length> <checksum>". The token ties
// it to the mark, and holds wherever the folder is moved or copied to; the device and inode tell
// which file it was taken of; the length and checksum of the content that follows tell a whole copy
// from one that was cut or changed, which is never put back.
constexpr std::string_view kCopyHead{"velmox copy "};
constexpr qint64 kLongestCopyHead = 256;

QByteArray bytesOf(std::string_view s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

QByteArray newToken() {
    return QByteArray::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0');
}

QByteArray checksum(const QByteArray& content) {
    return QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
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
    struct stat file {};  // the device and inode of the file it was taken of
    qint64 length = 0;    // the content's length and checksum
    QByteArray checksum;
    qint64 size = 0;  // the head's own length: the content follows
};

QByteArray headFor(const QByteArray& token, const struct stat& file, const QByteArray& content) {
    return bytesOf(kCopyHead) + token + ' ' + QByteArray::number(quint64(file.st_dev)) + ' ' +
           QByteArray::number(quint64(file.st_ino)) + ' ' + QByteArray::number(content.size()) + ' ' +
           checksum(content) + '\n';
}

std::optional<Head> headOf(int copy, int& error) {
    const std::optional<QByteArray> first = readAt(copy, 0, kLongestCopyHead, error);
    if (!first || !first->startsWith(bytesOf(kCopyHead))) return std::nullopt;
    const qsizetype end = first->indexOf('\n');
    if (end < 0) return std::nullopt;
    const QList<QByteArray> fields =
        first->mid(qsizetype(kCopyHead.size()), end - qsizetype(kCopyHead.size())).split(' ');
    // A head of three fields is an earlier version's, without length and checksum: its copy is taken
    // as whole, as that version took it.
    if ((fields.size() != 5 && fields.size() != 3) || fields[0].isEmpty() || fields.back().isEmpty())
        return std::nullopt;
    Head head;
    bool devOk = false, inoOk = false, lengthOk = fields.size() == 3;
    head.token = fields[0];
    head.file.st_dev = dev_t(fields[1].toULongLong(&devOk));
    head.file.st_ino = ino_t(fields[2].toULongLong(&inoOk));
    if (fields.size() == 5) {
        head.length = fields[3].toLongLong(&lengthOk);
        head.checksum = fields[4];
    }
    head.size = end + 1;
    if (!devOk || !inoOk || !lengthOk) return std::nullopt;
    return head;
}

// A copy of the routine's own, open for reading; not open when what lies at the path is none.
struct Copy {
    Descriptor fd;
    QByteArray path;
    Head head;

    // The whole content, as its head says it was written; nullopt where it is not (cut, changed), or
    // where it could not be read (`error` set).
    std::optional<QByteArray> content(int& error) const {
        error = 0;
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) {
            error = errno;
            return std::nullopt;
        }
        std::optional<QByteArray> bytes = readAt(fd.get(), head.size, st.st_size - head.size, error);
        if (!bytes) return std::nullopt;
        if (head.checksum.isEmpty()) return bytes;  // an earlier version's copy
        if (bytes->size() != head.length || checksum(*bytes) != head.checksum) return std::nullopt;
        return bytes;
    }
};

// `error` gets why what lies at the path could not be opened or its head read, where something lies
// there: such a copy may still be the only whole old content, and is neither taken as gone nor read.
Copy openCopy(const QByteArray& path, int* error = nullptr) {
    Copy copy;
    int failure = 0;
    QString refusal;
    copy.fd.reset(ui::openPlainFile(path, O_RDONLY | O_NOFOLLOW, failure, refusal));
    if (!copy.fd.isOpen()) {
        // A copy is never a link: a link of its name (a note, in the program folder) is none.
        if (error && failure != ENOENT && failure != ENOTDIR && failure != ELOOP) *error = failure;
        return copy;
    }
    int readError = 0;
    if (std::optional<Head> head = headOf(copy.fd.get(), readError)) {
        copy.path = path;
        copy.head = *std::move(head);
    } else {
        if (error) *error = readError;
        copy.fd.reset();
    }
    return copy;
}

// The file named `name` through no link, as marks and copies name it.
QByteArray realName(const QByteArray& name) {
    QByteArray file = name;
    (void)resolveLinks(file);
    return fromRoot(file);
}

// The copy a mark names, with its whole content: under its name beside the file read through `name`
// (where it lies, or where it came with its folder when that was moved or copied), else where the
// mark says.
struct Found {
    Copy copy;  // open: the copy, whole
    QByteArray content;
    int error = 0;         // a copy holding the token could not be read
    QByteArray errorPath;  // what lies where it could not be read
};

// Why the content of a file is not to be had: the copy that holds it cannot be read. The copy is
// named, for it is the one file whose repair or removal ends this.
QString unreadableCopy(const Found& found) {
    return QStringLiteral("его прежнее содержимое хранит копия «%1», а она не читается: %2")
        .arg(ui::shownPath(QFile::decodeName(found.errorPath)), ui::systemReason(found.error));
}

Found copyNamedBy(const Mark& mark, const QByteArray& name) {
    Found found;
    for (const QByteArray& path : {folderOf(realName(name)) + '/' + nameOf(mark.copy), mark.copy}) {
        int error = 0;
        Copy copy = openCopy(path, &error);
        // What lies under the copy's name but could not be looked into may be it.
        if (error) {
            found.error = error;
            found.errorPath = path;
        }
        if (!copy.fd.isOpen() || copy.head.token != mark.token) continue;
        std::optional<QByteArray> content = copy.content(error);
        // A copy taken of a file that itself bore a mark whose copy was gone holds no whole content.
        if (content && !markOf(copy.fd.get(), content->size() + copy.head.size)) {
            copy.head.length = content->size();
            found.copy = std::move(copy);
            found.content = *std::move(content);
            found.error = 0;
            found.errorPath.clear();
            return found;
        }
        if (error) {
            found.error = error;
            found.errorPath = path;
        }
    }
    return found;
}

// Whether a copy is the file's own, which a save or a clearing of the file may put back or remove:
// taken of this very file, or lying beside the name it is written through, under that name (its
// folder moved or copied since). Any other copy with the mark's token, such as the one a file copied
// to another folder still names, may be read, and is left to the file it is the own copy of.
bool isOwnCopy(const Copy& copy, const QByteArray& name, const struct stat& file) {
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

// A copy goes with its note: the one step every removal of a copy takes, once its caller has checked
// that it may go.
void unlinkCopy(const QByteArray& path) {
    ::unlink(path.constData());
    const QByteArray note = noteOf(path);
    if (note.isEmpty()) return;
    QByteArray text(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink(note.constData(), text.data(), size_t(text.size()));
    if (n > 0 && text.left(n) == path) ::unlink(note.constData());
}

// Made once the copy is whole under its name, and on the disk before the file bears its mark. Where
// none can be made (a program folder on a read-only disk) the copy is still found through the mark
// by whoever writes the file next, and meanwhile every reader reads it.
void makeNote(const QByteArray& copy) {
    const QByteArray note = noteOf(copy);
    if (note.isEmpty() || ::symlink(copy.constData(), note.constData()) != 0) return;
    (void)flushFolder(folderOf(note));
}

// Removes the copy at `path` if `stale` says so of its head, unless a running save or clearing holds
// it. The caller holds the file's lock, or the file is replaced and no one can put anything back into
// it.
void removeUnheldCopyIf(const QByteArray& path, const std::function<bool(const Head&)>& stale) {
    const Copy copy = openCopy(path);
    if (copy.fd.isOpen() && stale(copy.head) && lockNow(copy.fd.get(), LOCK_EX) == 0 &&
        stillNamed(path, copy.fd.get()))
        unlinkCopy(path);
}

// Copies taken of the file `file` beside the name it is written through, left by earlier saves that
// were killed or that could not remove them. The caller holds the file's lock and the file bears no
// mark.
void removeCopiesTakenOf(const QByteArray& target, const struct stat& file) {
    for (const QByteArray& copy : copiesBeside(target))
        removeUnheldCopyIf(copy, [&](const Head& head) { return sameFile(head.file, file); });
}

// Removes this write's own copy, and the one that a killed write's mark named; the caller holds the
// file's lock, and the file bears no mark now.
void removeWritesCopies(Write& w) {
    unlinkCopy(w.copy);
    if (!w.earlierCopy.isEmpty()) removeCopyWithToken(w.earlierCopy, w.earlierToken);
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
    if (const int error = flush(w.copyFile.get())) return error;
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
    const int file = w.file.get();
    if (const int error = keepCopy(w)) {
        unlinkCopy(w.copy);
        return writeFailure(error);
    }
    const qint64 before = w.locked.st_size;
    const QByteArray mark = markFor(w.copy, w.token);
    const qint64 markAt = std::max<qint64>(before, w.bytes->size());
    int error = reserve(file, before, markAt + mark.size());
    if (!error) error = writeAt(file, mark, markAt);
    if (!error) error = flush(file);
    if (error) {
        // Back to the file as it was found, an earlier mark and all.
        if (cut(file, before) == 0 && flush(file) == 0) unlinkCopy(w.copy);
        return writeFailure(error);
    }
    // The new content is on the disk before the cut takes the mark away: a power cut in between
    // leaves the mark, and the file reads as its old content, never as a mix.
    error = writeAt(file, *w.bytes, 0);
    if (!error) error = flush(file);
    if (!error) error = cut(file, w.bytes->size());
    if (error) {
        // The file still bears the mark: the old content goes back at once; if even that fails, the
        // mark stays and every name reads the old content from the copy until a save or a start.
        if (rewrite(file, w.old) == 0) removeWritesCopies(w);
        return writeFailure(error);
    }
    // The new content is whole and flushed; only the cut may not be on the disk. The copy stays for
    // the start, which puts it back if the mark outlived a power cut, and removes it otherwise: until
    // then every name reads the new content.
    if ((error = flush(file))) return writeFailure(error);
    // Done: no mark names any copy now, so none left behind (a disk that refuses the removal) can
    // undo this save.
    removeWritesCopies(w);
    removeCopiesTakenOf(w.target, w.locked);
    return {};
}

}  // namespace

std::optional<Write> copyOldContent(const QByteArray& target, int locked, const QByteArray& bytes,
                                    QString& failure) {
    Write w;
    w.target = target;
    w.bytes = &bytes;
    int error = 0;
    // Written through a descriptor of its own; the lock the caller holds keeps out every other save of
    // the file (through another name, from another program folder), a clearing putting a copy back,
    // and readers, so two contents never mix.
    QString refusal;
    w.file.reset(ui::openPlainFile(target, O_RDWR | O_NOFOLLOW, error, refusal));
    if (!w.file.isOpen()) {
        failure = refusal.isEmpty() ? writeFailure(error) : refusal;
        return std::nullopt;
    }
    struct stat held {};
    if (::fstat(w.file.get(), &w.locked) != 0 || ::fstat(locked, &held) != 0) {
        failure = writeFailure(errno);
        return std::nullopt;
    }
    // Only a hand that ignores the lock renames a file meanwhile; its save is the next one.
    if (!sameFile(w.locked, held)) {
        failure = ui::busyReason();
        return std::nullopt;
    }
    // A file marked by a killed write holds a mix: its content is the copy's. A copy that cannot be
    // read fails the save and stays; where it is gone, the file is taken as it lies, mark and all, so
    // that a failed save leaves it as found.
    std::optional<QByteArray> old;
    if (const std::optional<Mark> mark = markOf(w.file.get(), w.locked.st_size)) {
        Found found = copyNamedBy(*mark, target);
        if (found.error) {
            failure = unreadableCopy(found);
            return std::nullopt;
        }
        if (found.copy.fd.isOpen()) {
            old = std::move(found.content);
            if (isOwnCopy(found.copy, target, w.locked)) {
                w.earlierCopy = found.copy.path;
                w.earlierToken = found.copy.head.token;
            }
        }
    }
    if (!old) old = readAt(w.file.get(), 0, w.locked.st_size, error);
    if (!old) {
        failure = readFailure(error);
        return std::nullopt;
    }
    w.old = *std::move(old);
    // Whoever may read the file may read its copy, to read through it or put it back after a kill.
    w.copyFile.reset(makeOwnFile(target, kNewEnding, w.copy));
    if (!w.copyFile.isOpen()) {
        failure = folderFailure(QFile::decodeName(target), errno);
        return std::nullopt;
    }
    (void)keepOwnerAndPermissions(w.copyFile.get(), target, w.locked);
    w.token = newToken();
    if (const int written = writeAt(w.copyFile.get(), headFor(w.token, w.locked, w.old) + w.old, 0)) {
        failure = writeFailure(written);
        ::unlink(w.copy.constData());
        return std::nullopt;
    }
    return w;
}

QString writeNewContent(Write& w) {
    const QString failure = writeMarked(w);
    w.copyFile.reset();
    w.file.reset();
    return failure;
}

std::optional<MarkedCopy> copyMarkedIn(int fd, const struct stat& st, const QByteArray& path) {
    const std::optional<Mark> mark = markOf(fd, st.st_size);
    if (!mark) return std::nullopt;
    const Found found = copyNamedBy(*mark, path);
    if (!found.copy.fd.isOpen() || !isOwnCopy(found.copy, path, st)) return std::nullopt;
    return MarkedCopy{found.copy.path, found.copy.head.token};
}

void removeCopyWithToken(const QByteArray& copyPath, const QByteArray& token) {
    removeUnheldCopyIf(copyPath, [&](const Head& head) { return head.token == token; });
}

Content contentOf(int fd, const struct stat& st, const QByteArray& name, QString& error) {
    const std::optional<Mark> mark = markOf(fd, st.st_size);
    if (!mark) return {fd, 0, st.st_size};
    Found found = copyNamedBy(*mark, name);
    if (found.error) {
        error = unreadableCopy(found);
        return {};
    }
    if (!found.copy.fd.isOpen()) {
        error = QStringLiteral("файл не дописан: его запись прервана, а копии прежнего содержимого нет");
        return {};
    }
    return {found.copy.fd.release(), found.copy.head.size, found.copy.head.length};
}

namespace {

// The copy back into its file, or removed, or left, as settleCopy tells. The caller holds the file,
// open for writing and locked; `st` is it.
void putBackOrRemove(int file, const struct stat& st, const QByteArray& name, const Copy& copy) {
    // Its maker still runs where it holds the copy.
    if (lockNow(copy.fd.get(), LOCK_EX) != 0 || !stillNamed(copy.path, copy.fd.get()) ||
        !isOwnCopy(copy, name, st))
        return;
    const std::optional<Mark> mark = markOf(file, st.st_size);
    if (mark && mark->token == copy.head.token) {
        // Back into the file that bears its mark, wherever the folder went, if it is whole.
        int error = 0;
        if (const std::optional<QByteArray> old = copy.content(error); old && rewrite(file, *old) == 0)
            unlinkCopy(copy.path);
        return;
    }
    // A copy that a mark still names, its head changed since, stays with the file's only old content;
    // so does one outdated by a later mark whose own copy is not whole, which leaves this one the only
    // old content there is.
    if (mark && (nameOf(mark->copy) == nameOf(copy.path) || !copyNamedBy(*mark, name).copy.fd.isOpen()))
        return;
    // Once no mark names it, it goes. A copy of a file since replaced stays: the file's other names may
    // still need it.
    if (sameFile(st, copy.head.file)) unlinkCopy(copy.path);
}

}  // namespace

Descriptor lockForClearing(const QByteArray& name, struct stat& st) {
    Descriptor file = ui::openPlain(name, O_RDWR | O_NOFOLLOW);
    if (!file.isOpen() || lockNow(file.get(), LOCK_EX) != 0 || ::fstat(file.get(), &st) != 0) return {};
    return file;
}

void settleCopy(const QByteArray& given) {
    const QByteArray path = fromRoot(given);
    const std::optional<OwnName> own = ownNameOf(nameOf(path));
    if (!own || !own->isCopy) return;
    const Copy copy = openCopy(path);
    if (!copy.fd.isOpen()) return;  // none of this routine's making: left alone
    struct stat st {};
    const Descriptor file = lockForClearing(folderOf(path) + '/' + own->file, st);
    if (file.isOpen()) putBackOrRemove(file.get(), st, folderOf(path) + '/' + own->file, copy);
}

bool markLeavesNoContent(int file, const struct stat& st, const QByteArray& name) {
    const std::optional<Mark> mark = markOf(file, st.st_size);
    if (!mark) return false;
    const Found found = copyNamedBy(*mark, name);
    if (found.copy.fd.isOpen()) {
        putBackOrRemove(file, st, name, found.copy);
        return false;
    }
    // A copy that could not be read may read at the next try: the file waits for it.
    return !found.error;
}

std::vector<QByteArray> copiesBeside(const QByteArray& name) {
    const QByteArray folder = realFolder(folderOf(name));
    const QByteArray file = nameOf(name);
    std::vector<QByteArray> copies;
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return copies;
    while (const dirent* entry = ::readdir(dir)) {
        const std::optional<OwnName> own = ownNameOf(entry->d_name);
        if (own && own->isCopy && own->file == file) copies.push_back(folder + '/' + entry->d_name);
    }
    ::closedir(dir);
    return copies;
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
    // The copy is gone from beside its file, which is there: settled. A folder that is away (a memory
    // stick, a network share), or the empty mount point it leaves, holds no such file, and the note
    // waits for the start that finds the folder again.
    const QByteArray file = folderOf(copy) + '/' + own->file;
    if (::lstat(copy.constData(), &st) != 0 && errno == ENOENT && ::lstat(file.constData(), &st) == 0)
        ::unlink(notePath.constData());
}

}  // namespace inplace
