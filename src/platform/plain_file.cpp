#include "platform/plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"

namespace ui {

QString notAPlainFile(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISLNK(mode)) return QStringLiteral("на месте файла находится ссылка");
    if (S_ISDIR(mode)) return systemReason(EISDIR);
    return QStringLiteral("не обычный файл");
}

int openPlainFile(const QByteArray& path, int flags, int& error, QString& refusal, mode_t mode) {
    error = 0;
    refusal.clear();
    int fd;
    do {
        fd = ::open(path.constData(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = errno;
        // A folder opened for writing fails as one: it is named as what stands there.
        if (error == EISDIR) {
            error = 0;
            refusal = systemReason(EISDIR);
        }
        errno = error;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    refusal = notAPlainFile(st.st_mode);
    // O_NONBLOCK means nothing to a plain file's reads and writes: it may stay.
    if (refusal.isEmpty()) return fd;
    ::close(fd);
    return -1;
}

void Descriptor::reset(int fd) {
    if (fd_ >= 0 && fd_ != fd) ::close(fd_);
    fd_ = fd;
}

Descriptor openPlain(const QByteArray& path, int flags) {
    int error = 0;
    QString refusal;
    return Descriptor(openPlainFile(path, flags, error, refusal));
}

}  // namespace ui
