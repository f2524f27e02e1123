#include "support/killed_save.h"

#include <unistd.h>

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
