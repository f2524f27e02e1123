#include "platform/single_instance.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QSysInfo>
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

// A lock counts only while the copy that took it runs: a live process on this machine started from
// this very program file, so from this program folder. Anything else was left by a start that ended
// without its clean-up, and its process number may since belong to any program, even a copy of this
// one in another folder.
bool heldByARunningCopy(const QLockFile& lock) {
    qint64 pid = 0;
    QString host, application;
    if (!lock.getLockInfo(&pid, &host, &application)) return false;
    // Another machine's processes cannot be seen from here: its lock stands.
    if (!host.isEmpty() && host != QSysInfo::machineHostName()) return true;
    if (pid == QCoreApplication::applicationPid()) return true;
    const QByteArray holder = executableOf(QByteArray::number(pid));
    return !holder.isEmpty() && holder == executableOf("self");
}

}  // namespace

InstanceLock::InstanceLock(std::unique_ptr<QLockFile> lock) : lock_(std::move(lock)) {}
InstanceLock::~InstanceLock() = default;

std::unique_ptr<InstanceLock> acquireInstanceLock(const QString& lockFilePath) {
    auto lock = std::make_unique<QLockFile>(lockFilePath);
    // A lock whose process is gone counts as stale whatever its age.
    lock->setStaleLockTime(0);
    const auto failed = [&] {
        return std::runtime_error(
            QStringLiteral("Не удалось создать файл %1: папка программы недоступна для записи.")
                .arg(QDir::toNativeSeparators(lockFilePath))
                .toStdString());
    };
    if (lock->tryLock(0)) return std::make_unique<InstanceLock>(std::move(lock));
    if (lock->error() != QLockFile::LockFailedError) throw failed();
    if (heldByARunningCopy(*lock)) return nullptr;
    // A left-over lock is cleared. The copy that really holds a lock keeps a file lock on it, which
    // makes the removal fail: then it counts after all.
    if (!lock->removeStaleLockFile()) return nullptr;
    if (lock->tryLock(0)) return std::make_unique<InstanceLock>(std::move(lock));
    if (lock->error() != QLockFile::LockFailedError) throw failed();
    return nullptr;
}

}  // namespace ui
