#include "common/whole_file.h"

#include <QFileInfo>
#include <QSaveFile>

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
    const QFileInfo info(path);
    if (info.isDir()) return QStringLiteral("на месте файла находится папка");
    // A file marked read-only stays as it is, also for an administrator, whom the rename below would
    // otherwise let replace it.
    constexpr QFileDevice::Permissions kAnyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.exists() && !(info.permissions() & kAnyWrite)) return QStringLiteral("файл только для чтения");

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QStringLiteral("файл не открывается для записи: %1").arg(systemReason(file.errorString()));
    if (!writeAll(file, bytes)) {
        const QString reason = QStringLiteral("ошибка записи: %1").arg(systemReason(file.errorString()));
        file.cancelWriting();
        return reason;
    }
    if (const QString reason = syncFailure(file); !reason.isEmpty()) {
        file.cancelWriting();
        return QStringLiteral("ошибка записи: %1").arg(reason);
    }
    if (!file.commit()) return QStringLiteral("ошибка записи: %1").arg(systemReason(file.errorString()));
    return {};
}
