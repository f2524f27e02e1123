#include "support/flushes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cstdio>

#include "common/whole_file.h"
#include "support/child_process.h"

namespace {
std::atomic<int> flushesLeft{0};

int flushOrEnd(int fd) {
    if (--flushesLeft == 0) {
        std::fflush(nullptr);
        ::_exit(0);
    }
    return ::fsync(fd);
}
}  // namespace

void killSaveAtFlush(const QString& path, const QByteArray& bytes, int flush) {
    runInChild([&] {
        flushesLeft = flush;
        setFlushForTests(&flushOrEnd);
        (void)writeWholeFile(path, bytes);
        std::fflush(nullptr);
        ::_exit(0);
    });
}

QString flushedName(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    const QString path = QFile::decodeName(QByteArray(target, n > 0 ? n : 0));
    struct stat st {};
    ::fstat(fd, &st);
    return S_ISDIR(st.st_mode) ? path + "/" : QFileInfo(path).fileName();
}
