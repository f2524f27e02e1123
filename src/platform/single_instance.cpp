#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <optional>
#include <stdexcept>

namespace ui {

namespace {

// The file a process runs, as the system names it; empty when the process is gone or hidden from us.
// A file replaced while it runs (a rebuild) reads with " (deleted)" after its name.
QByteArray executableOf(const QByteArray& process) {
    char target[4096];
    const ssize_t n = ::readlink(("/proc/" + process + "/exe").constData(), target, sizeof target);
    if (n <= 0 || size_t(n) >= sizeof target) return {};
    QByteArray path(target, n);
    if (path.endsWith(" (deleted)")) path.chop(10);
    return path;
}

// The lock file's lines: the owner's process number, program name and machine name.
struct LockInfo {
    qint64 pid = 0;
    QString host;
};

std::optional<LockInfo> readLockInfo(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QList<QByteArray> lines = file.read(4096).split('\n');
    bool ok = false;
    LockInfo info{lines[0].toLongLong(&ok), lines.size() > 2 ? QString::fromUtf8(lines[2]) : QString()};
    if (!ok || info.pid <= 0) return std::nullopt;
    return info;
}

// A lock counts only while the copy that took it runs: a live process on this machine started from
// this very program file, so from this program folder. Anything else was left by a start that ended
// without its clean-up, and its process number may since belong to any program, even a copy of this
// one in another folder.
bool heldByARunningCopy(const LockInfo& lock) {
    // Another machine's processes cannot be seen from here: its lock stands.
    if (!lock.host.isEmpty() && lock.host != QSysInfo::machineHostName()) return true;
    if (lock.pid == QCoreApplication::applicationPid()) return true;
    const QByteArray holder = executableOf(QByteArray::number(lock.pid));
    return !holder.isEmpty() && holder == executableOf("self");
}

// Creates the lock file if there is none: the descriptor, -1 when one exists, or throws.
int createLockFile(const QByteArray& path, const std::runtime_error& failed) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EEXIST) return -1;
        throw failed;
    }
    // The file lock tells a copy clearing a left-over lock that this one is alive.
    ::flock(fd, LOCK_EX | LOCK_NB);
    const QByteArray info = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                            QCoreApplication::applicationName().toUtf8() + '\n' +
                            QSysInfo::machineHostName().toUtf8() + '\n';
    // Not flushed to the disk: a lock outlives no restart, and waiting for the disk slowed every start.
    if (::write(fd, info.constData(), size_t(info.size())) != info.size()) {
        ::close(fd);
        ::unlink(path.constData());
        throw failed;
    }
    return fd;
}

// Removes a left-over lock file; false when its maker still holds its file lock.
bool removeLeftOverLock(const QByteArray& path, const std::runtime_error& failed) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return true;
        throw failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    // Nobody holds it: a lock that cannot be removed (a read-only folder) is no second copy.
    const bool removed = ::unlink(path.constData()) == 0 || errno == ENOENT;
    ::close(fd);
    if (!removed) throw failed;
    return true;
}

}  // namespace

InstanceLock::InstanceLock(int fd, QString path) : fd_(fd), path_(std::move(path)) {}

InstanceLock::~InstanceLock() {
    ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
}

std::unique_ptr<InstanceLock> acquireInstanceLock(const QString& lockFilePath) {
    const std::runtime_error failed(
        QStringLiteral("Не удалось создать файл %1: папка программы недоступна для записи.")
            .arg(QDir::toNativeSeparators(lockFilePath))
            .toStdString());
    const QByteArray path = QFile::encodeName(lockFilePath);
    int fd = createLockFile(path, failed);
    if (fd < 0) {
        const std::optional<LockInfo> info = readLockInfo(lockFilePath);
        if (info && heldByARunningCopy(*info)) return nullptr;
        if (!removeLeftOverLock(path, failed)) return nullptr;
        fd = createLockFile(path, failed);
        if (fd < 0) return nullptr;
    }
    return std::make_unique<InstanceLock>(fd, lockFilePath);
}

}  // namespace ui
