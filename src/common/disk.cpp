#include "common/disk.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>  // renameat2
#include <cstdlib>
#include <thread>

#include "platform/error.h"
#include "platform/file_waits.h"
#include "platform/program_folder.h"

namespace disk {

namespace {
constexpr int kRandomDigits = 7;  // a 32-bit number in base 36
constexpr char kAccessList[] = "system.posix_acl_access";
std::atomic<int (*)(int)> flushCall{&::fsync};
}  // namespace

QString readFailure(int error) {
    return QStringLiteral("ошибка чтения: %1").arg(ui::systemReason(error));
}

QString writeFailure(int error) {
    return QStringLiteral("ошибка записи: %1").arg(ui::systemReason(error));
}

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

int openRetried(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int flush(int fd) {
    while (flushCall.load()(fd) != 0) {
        if (errno == EINTR) continue;
        return errno == EINVAL ? 0 : errno;
    }
    return 0;
}

void setFlushCall(int (*call)(int fd)) {
    flushCall = call ? call : &::fsync;
}

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

QByteArray nameOf(const QByteArray& file) {
    return file.mid(file.lastIndexOf('/') + 1);
}

QByteArray realFolder(const QByteArray& folder) {
    char* real = ::realpath(folder.constData(), nullptr);
    if (!real) return folder;
    QByteArray result(real);
    std::free(real);
    return result;
}

// Its text is read as the system reads it: from the folder the link really lies in, so ".." after a
// linked folder leads where the system goes. A link that leads nowhere names the file to be made.
int resolveLinks(QByteArray& file) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(file.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            // The new file is made in the folder where the file really lies.
            if (hops > 0) file = realFolder(folderOf(file)) + '/' + nameOf(file);
            return 0;
        }
        QByteArray text(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(file.constData(), text.data(), size_t(text.size()));
        if (n < 0) return 0;
        text.resize(n);
        file = text.startsWith('/') ? text : realFolder(folderOf(file)) + '/' + text;
    }
    return ELOOP;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool stillNamed(const QByteArray& path, int fd) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && open.st_nlink > 0 && ::lstat(path.constData(), &named) == 0 &&
           sameFile(open, named);
}

bool stillLeadsTo(const QByteArray& path, int fd) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::stat(path.constData(), &named) == 0 && sameFile(open, named);
}

int writeAt(int fd, const QByteArray& bytes, qint64 offset) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

std::optional<QByteArray> readAt(int fd, qint64 offset, qint64 size, int& error) {
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size_t(size - done), off_t(offset + done));
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

int cut(int fd, qint64 size) {
    while (::ftruncate(fd, off_t(size)) != 0)
        if (errno != EINTR) return errno;
    return 0;
}

int lockWithin(int fd, int operation) {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const auto giveUp = start + ui::fileWaitLeft();
    auto pause = microseconds(200);
    int result = 0;
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) break;  // a disk without locks
        if (steady_clock::now() >= giveUp) {
            result = EBUSY;
            break;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, duration_cast<microseconds>(milliseconds(10)));
    }
    ui::fileWaited(steady_clock::now() - start);
    return result;
}

int lockNow(int fd, int operation) {
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        return errno == EWOULDBLOCK ? EBUSY : 0;  // a disk without locks
    }
    return 0;
}

// A disk whose system renames only with replacing takes a second name (a hard link) the same way.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
    int result;
    do {
        result = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
    do {
        result = ::link(from.constData(), to.constData());
    } while (result != 0 && errno == EINTR);
    if (result != 0) return errno;
    ::unlink(from.constData());
    return 0;
}

int renameToFirstFree(const QByteArray& from, const std::function<QString(int)>& nameAt, QString& taken) {
    // Far more names than any folder holds files, so that a scheme that repeats itself still ends.
    constexpr int kNames = 1 << 20;
    int error = EEXIST;
    for (int n = 0; n < kNames && error == EEXIST; ++n) {
        taken = nameAt(n);
        error = renameNoReplace(from, QFile::encodeName(taken));
    }
    return error;
}

namespace {
// From the system's source each time, so that a process and the copy of it that a fork made never
// pick the same names.
QByteArray freshOwnName(const QByteArray& target, const char* ending) {
    return target + ".~" +
           QByteArray::number(QRandomGenerator::system()->generate(), 36).rightJustified(kRandomDigits, '0') +
           ending;
}
}  // namespace

// A file the clearing removed between its making and its locking is given up for another name.
int makeOwnFile(const QByteArray& target, const char* ending, QByteArray& name) {
    for (int attempt = 0;; ++attempt) {
        name = freshOwnName(target, ending);
        const int fd = openRetried(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
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

mode_t firstFileMode() {
    // Read where the system tells it without changing it (Linux 4.7 on); else set and set back.
    mode_t mask = 022;
    QFile status(QStringLiteral("/proc/self/status"));
    bool found = false;
    if (status.open(QIODevice::ReadOnly))
        for (QByteArray line; !found && !(line = status.readLine()).isEmpty();)
            if (line.startsWith("Umask:")) mask = mode_t(line.mid(6).trimmed().toUInt(&found, 8));
    if (!found) {
        mask = ::umask(022);
        ::umask(mask);
    }
    return 0666 & ~mask;
}

int takeOwnName(const QByteArray& from, const QByteArray& target, const char* ending, QByteArray& name) {
    int error = EEXIST;
    for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
        name = freshOwnName(target, ending);
        error = renameNoReplace(from, name);
    }
    return error;
}

std::optional<OwnName> ownNameOf(const QByteArray& name) {
    const bool isCopy = name.endsWith(kOldEnding);
    if (!isCopy && !name.endsWith(kNewEnding)) return std::nullopt;
    const QByteArray stem = name.chopped(int(sizeof kNewEnding) - 1);
    // ".~" and the digits, after a name of at least one character.
    const qsizetype mark = stem.size() - kRandomDigits - 2;
    if (mark < 1 || stem[mark] != '.' || stem[mark + 1] != '~') return std::nullopt;
    for (qsizetype i = mark + 2; i < stem.size(); ++i) {
        const char c = stem[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return std::nullopt;
    }
    return OwnName{stem.left(mark), isCopy};
}

}  // namespace disk
