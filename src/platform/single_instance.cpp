#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

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
Error lockFailure(const QString& path, const char16_t* step, int error, bool creating) {
    return Error(QStringLiteral("не удалось %1 файл «%2»: %3")
                     .arg(QString::fromUtf16(step), shownPath(path), reasonFor(error, creating)));
}

// The lock file, made if there is none. One that this user may not write (a folder shared by
// several users, a folder made read-only) is locked all the same through a reading descriptor.
int openLockFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    const int createError = errno;
    if (createError == EACCES || createError == EPERM || createError == EROFS) {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) return fd;
        if (errno != ENOENT) throw lockFailure(path, u"открыть", errno, false);
    }
    throw lockFailure(path, u"создать", createError, true);
}

}  // namespace

InstanceLock::InstanceLock(int fd) : fd_(fd) {}

// Closing drops the lock. The descriptor is closed on every program start, so no started program
// keeps the lock after this copy has ended.
InstanceLock::~InstanceLock() {
    ::close(fd_);
}

std::unique_ptr<InstanceLock> acquireInstanceLock(const QString& lockFilePath) {
    const int fd = openLockFile(lockFilePath);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return nullptr;
        throw lockFailure(lockFilePath, u"заблокировать", error, false);
    }
    // Whatever the file said (an older copy wrote its owner there) no longer stands; a descriptor
    // opened for reading only leaves it as it is.
    (void)!::ftruncate(fd, 0);
    return std::make_unique<InstanceLock>(fd);
}

}  // namespace ui
