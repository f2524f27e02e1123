#include "common/whole_file.h"

#include <QFileInfo>
#include <QSaveFile>

#include <memory>
#include <system_error>
#include <thread>

#include "common/system_reason.h"

#ifdef Q_OS_UNIX
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

// A full disk may accept part of a write and refuse the rest; only the next call tells why.
// The save file is unbuffered, so each refusal reaches us here instead of being dropped by the
// flush inside the commit, which would then rename a cut-off file over the old one.
bool writeAll(QSaveFile& file, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// Some file systems report a full disk only when the data reaches it; the commit syncs too but
// ignores the result.
QString syncFailure(QSaveFile& file) {
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) != 0 && errno != EINVAL)
        return systemReason(QString::fromLocal8Bit(std::strerror(errno)));
#endif
    return {};
}

}  // namespace

QString writeWholeFile(const QString& path, const QByteArray& bytes) {
    return writeWholeFiles({{path, bytes}}).front();
}

QStringList writeWholeFiles(const std::vector<WholeFile>& files) {
    // One slot for each file: the threads below each write their own.
    std::vector<QString> failures(files.size());
    std::vector<std::unique_ptr<QSaveFile>> saves(files.size());
    // Every new content goes into its temporary file first.
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString& path = files[i].path;
        const QFileInfo info(path);
        if (info.isDir()) {
            failures[i] = QStringLiteral("на месте файла находится папка");
            continue;
        }
        // A file marked read-only stays as it is, also for an administrator, whom the rename below
        // would otherwise let replace it.
        constexpr QFileDevice::Permissions kAnyWrite =
            QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (info.exists() && !(info.permissions() & kAnyWrite)) {
            failures[i] = QStringLiteral("файл только для чтения");
            continue;
        }
        auto file = std::make_unique<QSaveFile>(path);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            failures[i] =
                QStringLiteral("файл не открывается для записи: %1").arg(systemReason(file->errorString()));
            continue;
        }
        if (!writeAll(*file, files[i].bytes)) {
            failures[i] = QStringLiteral("ошибка записи: %1").arg(systemReason(file->errorString()));
            file->cancelWriting();
            continue;
        }
        saves[i] = std::move(file);
    }
    // Then each is flushed and put in place of its old file. The flushes are the slow part and need
    // not wait for each other: each file runs on a thread of its own, the first on this one.
    const auto finish = [&](std::size_t i) {
        QSaveFile& file = *saves[i];
        if (const QString reason = syncFailure(file); !reason.isEmpty()) {
            file.cancelWriting();
            failures[i] = QStringLiteral("ошибка записи: %1").arg(reason);
        } else if (!file.commit()) {
            failures[i] = QStringLiteral("ошибка записи: %1").arg(systemReason(file.errorString()));
        }
    };
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < saves.size(); ++i)
        if (saves[i]) open.push_back(i);
    std::vector<std::thread> threads;
    for (std::size_t k = 1; k < open.size(); ++k) {
        try {
            threads.emplace_back(finish, open[k]);
        } catch (const std::system_error&) {
            // No thread to be had: this file waits its turn here.
            finish(open[k]);
        }
    }
    if (!open.empty()) finish(open.front());
    for (std::thread& t : threads) t.join();
    return QStringList(failures.begin(), failures.end());
}
