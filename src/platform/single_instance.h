#pragma once
// One running copy per program folder: a lock file there. A lock counts only while a process started
// from this same program file holds it; one left by a copy that ended any other way is taken over.
#include <QString>
#include <memory>

namespace ui {

// The held lock: the file stays open with a file lock on it until this is destroyed, which removes it.
class InstanceLock {
public:
    InstanceLock(int fd, QString path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    int fd_;
    QString path_;
};

// Null when another running copy holds the lock. A lock that cannot be taken for another reason
// (a folder that cannot be written) throws std::runtime_error with the reason: that is no second copy.
std::unique_ptr<InstanceLock> acquireInstanceLock(const QString& lockFilePath);

}  // namespace ui
