#pragma once
// A file that another program holds: an exclusive lock on an open description of its own, which
// conflicts with the program's locks on that file even inside the test's own process, until released.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <chrono>
#include <stdexcept>

#include "platform/file_waits.h"

class HeldFile {
public:
    explicit HeldFile(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            release();
            throw std::runtime_error("cannot hold " + path.toStdString());
        }
    }
    ~HeldFile() { release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    void release() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// While one lives, another program's hold on a file costs a test a fifth of a second, not the
// operator's five.
class ShortFileWaits {
public:
    ShortFileWaits() { ui::setFileWaitBudgetForTests(std::chrono::milliseconds(200)); }
    ~ShortFileWaits() { ui::setFileWaitBudgetForTests(std::chrono::milliseconds(0)); }
    ShortFileWaits(const ShortFileWaits&) = delete;
    ShortFileWaits& operator=(const ShortFileWaits&) = delete;
};
