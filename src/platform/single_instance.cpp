#include "platform/single_instance.h"

#include <QDir>
#include <QLockFile>
#include <stdexcept>

namespace ui {

InstanceLock::InstanceLock(std::unique_ptr<QLockFile> lock) : lock_(std::move(lock)) {}
InstanceLock::~InstanceLock() = default;

std::unique_ptr<InstanceLock> acquireInstanceLock(const QString& lockFilePath) {
    auto lock = std::make_unique<QLockFile>(lockFilePath);
    // A lock whose process is gone counts as stale whatever its age.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError) return nullptr;
        throw std::runtime_error(
            QStringLiteral("Не удалось создать файл %1: папка программы недоступна для записи.")
                .arg(QDir::toNativeSeparators(lockFilePath))
                .toStdString());
    }
    return std::make_unique<InstanceLock>(std::move(lock));
}

}  // namespace ui
