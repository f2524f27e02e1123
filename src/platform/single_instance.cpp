#include "platform/single_instance.h"

#include <QLockFile>

namespace ui {

InstanceLock::InstanceLock(std::unique_ptr<QLockFile> lock) : lock_(std::move(lock)) {}
InstanceLock::~InstanceLock() = default;

std::unique_ptr<InstanceLock> acquireInstanceLock(const QString& lockFilePath) {
    auto lock = std::make_unique<QLockFile>(lockFilePath);
    // A lock whose process is gone counts as stale whatever its age.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) return nullptr;
    return std::make_unique<InstanceLock>(std::move(lock));
}

}  // namespace ui
