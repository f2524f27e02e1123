#pragma once
// A file that another program holds: an exclusive lock on an open description of its own, which
// conflicts with the program's locks on that file even inside the test's own process, until released.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <stdexcept>

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
