#pragma once
// One running copy per program folder: a lock on the program folder itself and a file lock on the
// lock file there. Removing or replacing the lock file cannot take the folder's lock away; the file
// lock stands where a folder cannot be locked (a network folder locks only files open for writing)
// and against an older copy that locks the file alone. The system drops both locks with the process
// that holds them, however that process ends, so no lock outlives its copy: a lock file left by a
// killed copy, or brought along with a folder copied from another computer, holds nothing, and what
// it says is never read or written. On a network folder the lock is the server's, so a copy started
// from the same folder on another computer is seen as well.
#include <QString>
#include <memory>

#include "platform/error.h"

namespace ui {

// The held lock: the folder and the lock file stay open and locked until this is destroyed. The file
// itself stays in the folder: removing it would let a copy that has just opened it lock a file no
// other copy finds.
class InstanceLock {
public:
    // `folderFd` is -1 where the folder could not be locked.
    InstanceLock(int folderFd, int fileFd);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    int folderFd_;
    int fileFd_;
};

// The lock, or null when another running copy holds it. Throws ui::Error when the lock cannot
// be taken for any other reason: that is no second copy. Its reason says what could not be done
// with the file and why: "не удалось создать файл «Velmox.lock»: папка программы недоступна для
// записи", "не удалось открыть файл «Velmox.lock»: на месте файла находится ссылка". The lock file
// is never followed through a link, and nothing but a regular file is taken for it.
std::unique_ptr<InstanceLock> acquireInstanceLock(const QString& lockFilePath);

}  // namespace ui
