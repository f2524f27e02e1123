#pragma once
// One running copy per program folder: a file lock on the lock file there. The system drops the
// lock with the process that holds it, however that process ends, so no lock outlives its copy: a
// lock file left by a killed copy, or brought along with a folder copied from another computer, holds
// nothing, and what it says is never read. On a network folder the lock is the server's, so a copy
// started from the same folder on another computer is seen as well.
#include <QString>
#include <memory>

#include "platform/error.h"

namespace ui {

// The held lock: the lock file stays open and locked until this is destroyed. The file itself stays
// in the folder: removing it would let a copy that has just opened it lock a file no other copy finds.
class InstanceLock {
public:
    explicit InstanceLock(int fd);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    int fd_;
};

// The lock, or null when another running copy holds it. Throws ui::Error when the lock cannot
// be taken for any other reason: that is no second copy. Its reason says what could not be done
// with the file and why: "не удалось создать файл «Velmox.lock»: папка программы недоступна для
// записи".
std::unique_ptr<InstanceLock> acquireInstanceLock(const QString& lockFilePath);

}  // namespace ui
