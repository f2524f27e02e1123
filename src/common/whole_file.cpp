#include "common/whole_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>  // renameat2
#include <cstdlib>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/error.h"
#include "platform/program_folder.h"

namespace {

// The endings of the writer's own files beside a file: the new content before it takes the file's
// place, and the copy of a file's old content while the file is written in its own place. Between
// the file's name and the ending stands ".~" and a random number of seven base-36 digits, a form no
// file of the operator's is likely to have ("1.txt.~0k3f9a2.new").
constexpr char kNewEnding[] = ".new";
constexpr char kOldEnding[] = ".old";
constexpr int kRandomDigits = 7;
constexpr char kAccessList[] = "system.posix_acl_access";

QString readFailure(int error) {
    return QStringLiteral("ошибка чтения: %1").arg(ui::systemReason(error));
}

QString writeFailure(int error) {
    return QStringLiteral("ошибка записи: %1").arg(ui::systemReason(error));
}

QString notAPlainFile() {
    return QStringLiteral("не обычный файл");
}

// A file that cannot be made beside its old one fails for its folder's sake, so the reason names
// the folder as messages name files ("папка «data»", the program folder by that name).
QString folderFailure(const QString& path, int error) {
    const QString folder = QFileInfo(path).absolutePath();
    const QString name = QDir(folder) == QDir(ui::programFolder())
                             ? QStringLiteral("папка программы")
                             : QStringLiteral("папка «%1»").arg(ui::shownPath(folder));
    switch (error) {
        case EACCES:
        case EPERM:
            return name + QStringLiteral(" недоступна для записи");
        case EROFS:
            return name + QStringLiteral(" на диске только для чтения");
        case ENOENT:
        case ENOTDIR:
            return name + QStringLiteral(" не найдена");
        default:
            return QStringLiteral("файл не создаётся в папке: %1").arg(ui::systemReason(error));
    }
}

int openRetried(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

std::atomic<int (*)(int)> flushCall{&::fsync};

// 0 or the error number. A disk that cannot flush (EINVAL) has nothing to flush.
int flush(int fd) {
    while (flushCall.load()(fd) != 0) {
        if (errno == EINTR) continue;
        return errno == EINVAL ? 0 : errno;
    }
    return 0;
}

// The folder's names reach the disk: a rename or a removal in it is then kept through a power cut.
// A folder the user may not open for reading cannot be flushed and is left to the system.
int flushFolder(const QByteArray& folder) {
    const int fd = openRetried(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return errno == EACCES ? 0 : errno;
    const int error = flush(fd);
    ::close(fd);
    return error;
}

QByteArray folderOf(const QByteArray& file) {
    const qsizetype slash = file.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : file.left(slash);
}

// The folder as the system reaches it, through every linked folder on its way; as it is where that
// cannot be told.
QByteArray realFolder(const QByteArray& folder) {
    char* real = ::realpath(folder.constData(), nullptr);
    if (!real) return folder;
    QByteArray result(real);
    std::free(real);
    return result;
}

// A full disk may accept part of a write and refuse the rest; only the next call tells why.
int writeAt(int fd, const QByteArray& bytes, off_t offset) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), offset + done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

// The whole content of an open file from its start, or nullopt with `error` set.
std::optional<QByteArray> readAt(int fd, qint64 size, int& error) {
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size_t(size - done), done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            return std::nullopt;
        }
        if (n == 0) break;
        done += n;
    }
    bytes.resize(done);
    return bytes;
}

// A symbolic link is written through: the file it leads to takes the new content, and the link stays
// a link (a list shared by two program folders stays shared). Its text is read as the system reads
// it: from the folder the link really lies in, so ".." after a linked folder leads where the system
// goes. A link that leads nowhere names the file to be made. 0, or ELOOP for links in a circle.
int resolveLinks(QByteArray& file) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(file.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            // The new file is made in the folder where the file really lies.
            if (hops > 0) file = realFolder(folderOf(file)) + '/' + file.mid(file.lastIndexOf('/') + 1);
            return 0;
        }
        QByteArray text(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(file.constData(), text.data(), size_t(text.size()));
        if (n < 0) return 0;
        text.resize(n);
        if (text.startsWith('/')) {
            file = text;
            continue;
        }
        file = realFolder(folderOf(file)) + '/' + text;
    }
    return ELOOP;
}

// Makes a file of the writer's own beside `target`, locked for as long as it is open: a start that
// clears what killed saves left, running meanwhile, sees from the lock that this one is running and
// leaves it. A file the clearing removed between its making and its locking is given up for another
// name. The descriptor, or -1 with errno set.
int makeOwnFile(const QByteArray& target, const char* ending, mode_t mode, QByteArray& name) {
    for (int attempt = 0;; ++attempt) {
        name = target + ".~" +
               QByteArray::number(QRandomGenerator::global()->generate(), 36)
                   .rightJustified(kRandomDigits, '0') +
               ending;
        const int fd = openRetried(name.constData(), O_WRONLY | O_CREAT | O_EXCL, mode);
        if (fd < 0) {
            if (errno == EEXIST && attempt < 16) continue;
            return -1;
        }
        // A disk without locks keeps the file unlocked; a clearing there takes only unlockable files.
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_nlink > 0) return fd;
        ::close(fd);
        if (attempt >= 16) {
            errno = ENOENT;
            return -1;
        }
    }
}

// The old file's owner where the system lets it be kept, else at least its group; then its mode
// and its access list, in that order, for the mode's group bits are the list's mask. A disk that
// keeps no permissions of its own (a memory stick, a network share) may refuse all of it: the file
// is written all the same, with the permissions that disk gives every file.
// Returns whether the new file has the old one's owner and group.
bool keepOwnerAndPermissions(int fd, const QByteArray& target, const struct stat& old) {
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, uid_t(-1), old.st_gid);
    (void)::fchmod(fd, old.st_mode & 07777);
    // A new file may inherit a default list from its folder that the old file did not have.
    const ssize_t size = ::getxattr(target.constData(), kAccessList, nullptr, 0);
    if (size > 0) {
        QByteArray list(size, Qt::Uninitialized);
        const ssize_t n = ::getxattr(target.constData(), kAccessList, list.data(), size_t(list.size()));
        if (n > 0) (void)::fsetxattr(fd, kAccessList, list.constData(), size_t(n), 0);
    } else if (size < 0 && errno == ENODATA) {
        (void)::fremovexattr(fd, kAccessList);
    }
    struct stat now {};
    return ::fstat(fd, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid;
}

// A new content on its way: written into a file beside the old one, not yet in place.
struct Pending {
    QByteArray target;
    QByteArray temporary;  // the new content; in place: the copy of the old content
    int fd = -1;           // the temporary file, locked
    // A file with several names is written in its own place, so that every name keeps it.
    int inPlace = -1;  // the file itself, open for writing
    QByteArray old;
    const QByteArray* bytes = nullptr;
};

void discard(Pending& p) {
    // Removed while still locked, so no clearing takes it for a leftover of its own.
    ::unlink(p.temporary.constData());
    if (p.fd >= 0) ::close(p.fd);
    if (p.inPlace >= 0) ::close(p.inPlace);
    p.fd = p.inPlace = -1;
}

// Why a file in the way is not replaced, or "" when it may be.
QString refusal(const QByteArray& target, const struct stat& old) {
    if (S_ISDIR(old.st_mode)) return QStringLiteral("на месте файла находится папка");
    if (!S_ISREG(old.st_mode)) return notAPlainFile();
    // A file marked read-only stays as it is, also for an administrator, whom the rename would
    // otherwise let replace it; so does a file of someone else's that this user may not write,
    // though the folder would let the rename replace it.
    if (!(old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) return QStringLiteral("файл только для чтения");
    if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM))
        return ui::systemReason(EACCES);
    return {};
}

void dropStaleCopies(const QByteArray& target);

// Takes the lock of a file to be written in its own place. A lock held elsewhere for longer than
// any save takes means the file is busy: 0 or EBUSY.
int lockToRewrite(int fd) {
    for (int tries = 0; tries < 500; ++tries) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
        if (errno != EWOULDBLOCK && errno != EINTR) return 0;  // a disk without locks
        ::usleep(10 * 1000);
    }
    return EBUSY;
}

// Opens a file with several names, or one whose owner a new file could not keep, for writing in
// place and puts a complete copy of its old content beside it. Nothing of the file changes here.
std::optional<Pending> beginInPlace(const QByteArray& target, const struct stat& old, QString& failure) {
    Pending p;
    p.target = target;
    p.inPlace = openRetried(target.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK);
    struct stat st {};
    if (p.inPlace < 0 || ::fstat(p.inPlace, &st) != 0) {
        failure = writeFailure(errno);
        if (p.inPlace >= 0) ::close(p.inPlace);
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode) || st.st_ino != old.st_ino || st.st_dev != old.st_dev) {
        failure = notAPlainFile();
        ::close(p.inPlace);
        return std::nullopt;
    }
    // Another save of the same file (another name of it, another program folder sharing it) waits
    // its turn, so two contents never mix; the lock goes with the descriptor.
    if (const int busy = lockToRewrite(p.inPlace)) {
        failure = writeFailure(busy);
        ::close(p.inPlace);
        return std::nullopt;
    }
    int error = 0;
    std::optional<QByteArray> content = readAt(p.inPlace, st.st_size, error);
    if (!content) {
        failure = readFailure(error);
        ::close(p.inPlace);
        return std::nullopt;
    }
    p.old = *std::move(content);
    // Whoever may read the file may read its copy, to put it back after a killed save. It is made
    // under a name the clearing only ever removes, and takes the copy's name once it is whole on
    // the disk: a copy cut short by a kill or a power cut is never put back over the file.
    p.fd = makeOwnFile(target, kNewEnding, 0600, p.temporary);
    if (p.fd < 0) {
        failure = folderFailure(QFile::decodeName(target), errno);
        ::close(p.inPlace);
        return std::nullopt;
    }
    (void)::fchmod(p.fd, old.st_mode & 0666);
    if (const int written = writeAt(p.fd, p.old, 0)) {
        failure = writeFailure(written);
        discard(p);
        return std::nullopt;
    }
    return p;
}

// Opens the temporary file beside the file `given` leads to and writes the new content into it. A
// first file gets the permissions the folder's owner would give it (0666 less the umask).
std::optional<Pending> begin(const QString& given, const QByteArray& bytes, QString& failure) {
    QByteArray target = QFile::encodeName(given);
    if (const int error = resolveLinks(target)) {
        failure = ui::systemReason(error);
        return std::nullopt;
    }
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists) {
        failure = refusal(target, old);
        if (!failure.isEmpty()) return std::nullopt;
    }
    const auto inPlace = [&] {
        std::optional<Pending> p = beginInPlace(target, old, failure);
        if (p) p->bytes = &bytes;
        return p;
    };
    if (exists && old.st_nlink > 1) return inPlace();
    Pending p;
    p.target = target;
    p.fd = makeOwnFile(target, kNewEnding, 0666, p.temporary);
    if (p.fd < 0) {
        failure = folderFailure(QFile::decodeName(target), errno);
        return std::nullopt;
    }
    // Only an administrator may give a file to another user: a file of someone else's (or of a group
    // this user is not in) that the user may write is written in its own place, as a file with
    // several names is, so it stays theirs and everyone who could reach it still can.
    if (exists && !keepOwnerAndPermissions(p.fd, target, old)) {
        discard(p);
        return inPlace();
    }
    if (const int error = writeAt(p.fd, bytes, 0)) {
        failure = writeFailure(error);
        discard(p);
        return std::nullopt;
    }
    return p;
}

// Writes `bytes` as the whole content of the open file `fd` and flushes it. 0 or the error number.
int rewriteInPlace(int fd, const QByteArray& bytes) {
    if (int error = writeAt(fd, bytes, 0)) return error;
    while (::ftruncate(fd, off_t(bytes.size())) != 0)
        if (errno != EINTR) return errno;
    return flush(fd);
}

// The copy of the old content and its name are on the disk before the file is touched: a power cut
// while the file is written leaves the copy, which the next start puts back. When the write fails,
// the old content goes back at once; only if that fails too does the copy stay for the next start.
QString finishInPlace(Pending& p) {
    int error = flush(p.fd);
    if (!error) {
        const QByteArray copy = p.temporary.chopped(int(sizeof kNewEnding) - 1) + kOldEnding;
        if (::rename(p.temporary.constData(), copy.constData()) == 0) {
            p.temporary = copy;
            error = flushFolder(folderOf(p.target));
        } else {
            error = errno;
        }
    }
    if (error) {
        discard(p);
        return writeFailure(error);
    }
    // Room for a longer content is taken first where the disk can, so a full disk refuses it before
    // a byte of the file changes.
    const qint64 grow = p.bytes->size() - p.old.size();
    if (grow > 0 && ::fallocate(p.inPlace, FALLOC_FL_KEEP_SIZE, off_t(p.old.size()), off_t(grow)) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINTR) {
        error = errno;
        discard(p);
        return writeFailure(error);
    }
    error = rewriteInPlace(p.inPlace, *p.bytes);
    if (error && rewriteInPlace(p.inPlace, p.old) != 0) {
        ::close(p.inPlace);
        ::close(p.fd);
        p.fd = p.inPlace = -1;
        return writeFailure(error);
    }
    discard(p);
    if (!error) dropStaleCopies(p.target);
    return error ? writeFailure(error) : QString();
}

// Some file systems report a full disk only when the data reaches it: the flush and the close are
// checked too, and only then does the new file take the old one's place. Its lock stays on a second
// descriptor until then.
QString finish(Pending& p) {
    if (p.inPlace >= 0) return finishInPlace(p);
    if (const int error = flush(p.fd)) {
        discard(p);
        return writeFailure(error);
    }
    const int locked = ::dup(p.fd);
    if (locked < 0) {
        const int error = errno;
        discard(p);
        return writeFailure(error);
    }
    const int closed = ::close(p.fd);
    p.fd = locked;
    if (closed != 0 && errno != EINTR) {
        const int error = errno;
        discard(p);
        return writeFailure(error);
    }
    if (::rename(p.temporary.constData(), p.target.constData()) != 0) {
        const int error = errno;
        discard(p);
        return writeFailure(error);
    }
    ::close(p.fd);
    p.fd = -1;
    dropStaleCopies(p.target);
    return {};
}

// Each folder that took a new file is flushed once, after all its renames. A flush that fails fails
// every file of that folder: its new content may not outlive a power cut.
void flushFolders(const std::vector<std::optional<Pending>>& pending, std::vector<QString>& failures) {
    std::vector<QByteArray> folders;
    for (std::size_t i = 0; i < pending.size(); ++i)
        if (pending[i] && failures[i].isEmpty()) {
            const QByteArray folder = folderOf(pending[i]->target);
            if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
        }
    for (const QByteArray& folder : folders) {
        const int error = flushFolder(folder);
        if (!error) continue;
        for (std::size_t i = 0; i < pending.size(); ++i)
            if (pending[i] && failures[i].isEmpty() && folderOf(pending[i]->target) == folder)
                failures[i] = writeFailure(error);
    }
}

struct OwnFile {
    QByteArray file;  // the name of the file it belongs to
    bool isCopy;      // the copy of the file's old content, not a new content
    bool older;       // of the form of earlier versions ("1.txt.k3f9a2.new")
};

// "1.txt.~0k3f9a2.new" → "1.txt", a new content; nullopt for every name the writer does not make.
// Earlier versions named their new contents "1.txt.k3f9a2.new" and made no copies.
std::optional<OwnFile> ownFileOf(const QByteArray& name) {
    const bool isCopy = name.endsWith(kOldEnding);
    if (!isCopy && !name.endsWith(kNewEnding)) return std::nullopt;
    const QByteArray stem = name.chopped(int(sizeof kNewEnding) - 1);
    const qsizetype dot = stem.lastIndexOf('.');
    if (dot <= 0) return std::nullopt;
    QByteArray digits = stem.mid(dot + 1);
    const bool older = !digits.startsWith('~');
    if (!older) digits.remove(0, 1);
    // A 32-bit number takes at most 7 digits of base 36.
    if (digits.isEmpty() || digits.size() > kRandomDigits || (!older && digits.size() != kRandomDigits))
        return std::nullopt;
    bool anyDigit = false;
    for (const char c : digits) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return std::nullopt;
        anyDigit = anyDigit || (c >= '0' && c <= '9');
    }
    // An older name passes only with a digit in its number: "1.txt.backup.new" is the operator's.
    if (older && (isCopy || !anyDigit)) return std::nullopt;
    return OwnFile{stem.left(dot), isCopy, older};
}

// A killed save's copy of a file's old content goes back into the file, in its place, so all its
// names hold it again. A file that is gone, not a plain file or being written keeps its copy.
bool putBack(int copy, const QByteArray& file) {
    struct stat st {};
    if (::fstat(copy, &st) != 0) return false;
    int error = 0;
    const std::optional<QByteArray> old = readAt(copy, st.st_size, error);
    if (!old) return false;
    const int fd = openRetried(file.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    const bool done = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && lockToRewrite(fd) == 0 &&
                      rewriteInPlace(fd, *old) == 0;
    ::close(fd);
    return done;
}

enum class Copies { PutBack, Drop };

// Clears one file of the writer's own, unless a running save holds its lock. Whether it was one.
bool clearOne(const QByteArray& folder, const QByteArray& name, const OwnFile& own, Copies copies) {
    const QByteArray path = folder + '/' + name;
    const int fd = openRetried(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {
    }, now{};
    const bool leftover = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                          ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.constData(), &now) == 0 &&
                          now.st_ino == st.st_ino && now.st_dev == st.st_dev;
    const bool cleared =
        leftover && (!own.isCopy || copies == Copies::Drop || putBack(fd, folder + '/' + own.file));
    if (cleared) ::unlink(path.constData());
    ::close(fd);
    return cleared;
}

// What killed saves left in `folder`, of `onlyFile` alone or of every file. Of every file, the
// files that are links have what their saves left beside the file they lead to, cleared there too.
void clear(const QByteArray& folder, const QByteArray& onlyFile, Copies copies) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    bool any = false;
    std::vector<QByteArray> linked;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        const std::optional<OwnFile> own = ownFileOf(name);
        struct stat st {};
        if (!own) {
            if (onlyFile.isEmpty() && (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                ::lstat((folder + '/' + name).constData(), &st) == 0 && S_ISLNK(st.st_mode))
                linked.push_back(folder + '/' + name);
            continue;
        }
        if (!onlyFile.isEmpty() && own->file != onlyFile) continue;
        // An older name is the writer's only beside the file it names.
        if (own->older && ::lstat((folder + '/' + own->file).constData(), &st) != 0) continue;
        any = clearOne(folder, name, *own, copies) || any;
    }
    ::closedir(dir);
    if (any) (void)flushFolder(folder);
    const QByteArray here = realFolder(folder);
    for (QByteArray file : linked)
        if (resolveLinks(file) == 0 && realFolder(folderOf(file)) != here)
            clear(folderOf(file), file.mid(file.lastIndexOf('/') + 1), copies);
}

// After a save of `target`, no copy of an older content of it may be put back over the new one.
void dropStaleCopies(const QByteArray& target) {
    clear(folderOf(target), target.mid(target.lastIndexOf('/') + 1), Copies::Drop);
}

}  // namespace

FileReader::FileReader(const QString& path) {
    // Without blocking: a named pipe in a file's place would otherwise wait for a writer for ever.
    fd_ = openRetried(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd_ < 0) {
        // A path through a plain file names no file either.
        if (errno == ENOENT || errno == ENOTDIR) {
            exists_ = false;
        } else {
            error_ = ui::systemReason(errno);
        }
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        error_ = readFailure(errno);
    } else if (S_ISDIR(st.st_mode)) {
        error_ = ui::systemReason(EISDIR);
    } else if (!S_ISREG(st.st_mode)) {
        error_ = notAPlainFile();
    } else {
        size_ = qint64(st.st_size);
    }
}

FileReader::~FileReader() {
    if (fd_ >= 0) ::close(fd_);
}

qint64 FileReader::read(char* into, qint64 capacity) {
    if (fd_ < 0 || !error_.isEmpty()) return -1;
    qint64 done = 0;
    while (done < capacity) {
        const ssize_t n = ::read(fd_, into + done, size_t(capacity - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error_ = readFailure(errno);
            return -1;
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

QByteArray readWholeFile(const QString& path, QString* error, bool* exists) {
    FileReader file(path);
    if (exists) *exists = file.exists();
    QByteArray bytes;
    if (file.exists() && file.error().isEmpty()) {
        // The size the system gives, then whatever the file grew by while it was read.
        bytes.resize(file.size());
        const qint64 got = file.read(bytes.data(), bytes.size());
        if (got >= 0 && got < bytes.size()) bytes.resize(got);
        if (got == bytes.size()) {
            char more[64 * 1024];
            for (qint64 n; (n = file.read(more, sizeof more)) > 0;) bytes.append(more, n);
        }
    }
    if (error) *error = file.error();
    if (!file.error().isEmpty()) bytes.clear();
    return bytes;
}

QString writeWholeFile(const QString& path, const QByteArray& bytes) {
    return writeWholeFiles({{path, bytes}}).front();
}

QStringList writeWholeFiles(const std::vector<WholeFile>& files) {
    // One slot for each file: the threads below each write their own.
    std::vector<QString> failures(files.size());
    std::vector<std::optional<Pending>> pending(files.size());
    // Every new content goes into its temporary file first.
    for (std::size_t i = 0; i < files.size(); ++i)
        pending[i] = begin(files[i].path, files[i].bytes, failures[i]);
    // Then each is flushed and put in place of its old file. The flushes are the slow part and need
    // not wait for each other: each file runs on a thread of its own, the first on this one.
    const auto finishOne = [&](std::size_t i) { failures[i] = finish(*pending[i]); };
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < pending.size(); ++i)
        if (pending[i]) open.push_back(i);
    std::vector<std::thread> threads;
    for (std::size_t k = 1; k < open.size(); ++k) {
        try {
            threads.emplace_back(finishOne, open[k]);
        } catch (const std::system_error&) {
            // No thread to be had: this file waits its turn here.
            finishOne(open[k]);
        }
    }
    if (!open.empty()) finishOne(open.front());
    for (std::thread& t : threads) t.join();
    flushFolders(pending, failures);
    return QStringList(failures.begin(), failures.end());
}

void clearLeftovers(const QString& folder) {
    clear(QFile::encodeName(folder), {}, Copies::PutBack);
}

void clearLeftoversOf(const QString& path) {
    QByteArray file = QFile::encodeName(path);
    if (resolveLinks(file) != 0) return;
    clear(folderOf(file), file.mid(file.lastIndexOf('/') + 1), Copies::PutBack);
}

void setFlushForTests(int (*flush)(int fd)) {
    flushCall = flush ? flush : &::fsync;
}

// The content goes whole into a temporary file of the writer's own, locked and flushed; only then
// is that file given the first free name, by a call that never replaces a file. A disk whose system
// renames only with replacing takes a second name (a hard link) the same way instead.
QString writeNewWholeFile(const std::function<QString(int)>& nameAt, const QByteArray& bytes,
                          QString& written) {
    written = nameAt(0);
    QByteArray temporary;
    const int fd = makeOwnFile(QFile::encodeName(written), kNewEnding, 0666, temporary);
    if (fd < 0) return folderFailure(written, errno);
    int failed = writeAt(fd, bytes, 0);
    if (!failed) failed = flush(fd);
    if (failed) {
        ::unlink(temporary.constData());
        ::close(fd);
        return writeFailure(failed);
    }
    const auto takeName = [&](const QByteArray& name) {
        int result;
        do {
            result =
                ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, name.constData(), RENAME_NOREPLACE);
        } while (result != 0 && errno == EINTR);
        if (result == 0) return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
        do {
            result = ::link(temporary.constData(), name.constData());
        } while (result != 0 && errno == EINTR);
        if (result != 0) return errno;
        ::unlink(temporary.constData());
        return 0;
    };
    // Far more names than any folder holds files, so that a scheme that repeats itself still ends.
    constexpr int kNames = 1 << 20;
    int error = EEXIST;
    for (int n = 0; n < kNames && error == EEXIST; ++n) {
        written = nameAt(n);
        error = takeName(QFile::encodeName(written));
    }
    // Locked until it has its name, so that no clearing takes it for a killed save's file.
    if (error != 0) ::unlink(temporary.constData());
    ::close(fd);
    if (error != 0) return writeFailure(error);
    // The new name is an entry of its folder: it is on the disk once the folder is.
    if (const int flushError = flushFolder(folderOf(QFile::encodeName(written))))
        return writeFailure(flushError);
    return {};
}
