#pragma once
// One running copy per program folder: a lock file there. A lock counts only while a process started
// from this same program file holds it; one left by a copy that ended any other way is taken over.
#include <QString>
#include <memory>

class QLockFile;

namespace ui {

class InstanceLock {
public:
    explicit InstanceLock(std::unique_ptr<QLockFile> lock);
    ~InstanceLock();

private:
    std::unique_ptr<QLockFile> lock_;
};

// Null when another running copy holds the lock. A lock that cannot be taken for another reason
// (a folder that cannot be written) throws std::runtime_error with the reason: that is no second copy.
std::unique_ptr<InstanceLock> acquireInstanceLock(const QString& lockFilePath);

}  // namespace ui
