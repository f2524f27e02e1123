#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <utility>

#include "platform/error.h"
#include "platform/plain_file.h"
#include "platform/program_folder.h"

namespace ui {

namespace {

// The reasons peculiar to a lock, in the operator's words; the rest are the system's. `creating`:
// the file was to be made.
QString reasonFor(int error, bool creating) {
    switch (error) {
        case EACCES:
        case EPERM:
            return creating ? QStringLiteral("папка программы недоступна для записи")
                            : QStringLiteral("нет доступа к файлу");
        case EROFS:
            return QStringLiteral("папка программы на диске только для чтения");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("папка программы не найдена");
        case ENOLCK:
            return QStringLiteral("сетевая папка не даёт заблокировать файл");
        case EBADF:
            // A network folder locks a file for one copy alone only when it is open for writing.
            return QStringLiteral(
                "файл не открывается для записи, а без этого сетевая папка не даёт его "
                "заблокировать");
        case EOPNOTSUPP:
        case EINVAL:
            return QStringLiteral("файловая система папки не поддерживает блокировку файлов");
        default:
            // A full disk, a quota, an input/output error: the system's own reason.
            return systemReason(error);
    }
}

// What could not be done with the lock file, and why, as the one reason: "не удалось создать файл
// «Velmox.lock»: папка программы недоступна для записи". The step is part of what the operator is
// told, and the file is named in it as every message names a file.
Error lockFailure(const QString& path, const char16_t* step, const QString& reason) {
    return Error(
        QStringLiteral("не удалось %1 файл «%2»: %3").arg(QString::fromUtf16(step), shownPath(path), reason));
}

Error lockFailure(const QString& path, const char16_t* step, int error, bool creating) {
    return lockFailure(path, step, reasonFor(error, creating));
}

// An open that failed on what stands in the lock file's place says what that is: a link (never
// followed, for it could lead to any file the operator may write), a folder, a socket.
void refuseWhatIsNoFile(const QString& path, const QByteArray& name) {
    struct stat place {};
    if (::lstat(name.constData(), &place) != 0) return;
    const QString reason = notAPlainFile(place.st_mode);
    if (!reason.isEmpty()) throw lockFailure(path, u"открыть", reason);
}

// The lock file, made if there is none. It is opened for writing where it can be, though nothing is
// ever written to it: a network folder locks a file for one copy alone only then. One that this
// user may not write (a folder shared by several users, a folder made read-only) is locked all the
// same through a reading descriptor. Never through a link, and never blocking, so that a pipe in its
// place is opened and then refused like anything else that is no plain file.
int openLockFile(const QString& path) {
    constexpr int kFlags = O_NOFOLLOW | O_NOCTTY;
    const QByteArray name = QFile::encodeName(path);
    int error = 0;
    QString refusal;
    int fd = openPlainFile(name, O_RDWR | O_CREAT | kFlags, error, refusal, 0666);
    if (fd < 0 && refusal.isEmpty()) {
        const int createError = error;
        refuseWhatIsNoFile(path, name);
        if (createError == EACCES || createError == EPERM || createError == EROFS) {
            fd = openPlainFile(name, O_RDONLY | kFlags, error, refusal);
            if (fd < 0 && refusal.isEmpty() && error != ENOENT) {
                refuseWhatIsNoFile(path, name);
                throw lockFailure(path, u"открыть", error, false);
            }
        }
        if (fd < 0 && refusal.isEmpty()) throw lockFailure(path, u"создать", createError, true);
    }
    if (fd < 0) throw lockFailure(path, u"открыть", refusal);
    return fd;
}

// The program folder, locked; -1 with `busy` false where it cannot be locked (a network folder locks
// only what is open for writing, which a folder never is; a folder this user may not list), and
// then the file lock alone stands, with its own messages. -1 with `busy` true: another copy holds it.
int lockProgramFolder(const QString& folder, bool& busy) {
    busy = false;
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    busy = errno == EWOULDBLOCK;
    ::close(fd);
    return -1;
}

// Whether the lock file's path still names the file `fd` has locked: one removed or replaced between
// the open and the lock is a file no other copy finds.
bool stillNamedBy(const QString& path, int fd) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::lstat(QFile::encodeName(path).constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

InstanceLock::InstanceLock(int folderFd, int fileFd) : folderFd_(folderFd), fileFd_(fileFd) {}

// Closing drops the locks. The descriptors are closed on every program start, so no started program
// keeps a lock after this copy has ended.
InstanceLock::~InstanceLock() {
    ::close(fileFd_);
    if (folderFd_ >= 0) ::close(folderFd_);
}

std::unique_ptr<InstanceLock> acquireInstanceLock(const QString& lockFilePath) {
    // The folder first: a running copy holds it whatever became of its lock file, so a second copy
    // ends here, touching nothing.
    bool busy = false;
    Descriptor folder(lockProgramFolder(QFileInfo(lockFilePath).absolutePath(), busy));
    if (busy) return nullptr;
    // A file removed or replaced while it was being locked is opened and locked again; one that
    // keeps changing under the lock is somebody's doing, not a copy that runs.
    constexpr int kAttempts = 10;
    for (int attempt = 1;; ++attempt) {
        const int fd = openLockFile(lockFilePath);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) return nullptr;
            throw lockFailure(lockFilePath, u"заблокировать", error, false);
        }
        if (stillNamedBy(lockFilePath, fd)) return std::make_unique<InstanceLock>(folder.release(), fd);
        ::close(fd);
        if (attempt == kAttempts)
            throw lockFailure(lockFilePath, u"заблокировать",
                              QStringLiteral("файл удаляют или заменяют, пока его блокируют"));
    }
}

}  // namespace ui
