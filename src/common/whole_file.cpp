#include "common/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/error.h"
#include "platform/program_folder.h"

namespace {

QString readFailure(int error) {
    return QStringLiteral("ошибка чтения: %1").arg(ui::systemReason(error));
}

QString writeFailure(int error) {
    return QStringLiteral("ошибка записи: %1").arg(ui::systemReason(error));
}

// A file that cannot be made beside its old one fails for its folder's sake, so the reason names
// the folder as messages name files ("папка «data»", the program folder by that name).
QString folderFailure(const QString& path, int error) {
    const QString folder = QFileInfo(path).absolutePath();
    const QString name = QDir(folder) == QDir(ui::programFolder())
                             ? QStringLiteral("папка программы")
                             : QStringLiteral("папка «%1»").arg(ui::shownPath(folder));
    switch (error) {
        case EACCES:
        case EPERM:
            return name + QStringLiteral(" недоступна для записи");
        case EROFS:
            return name + QStringLiteral(" на диске только для чтения");
        case ENOENT:
        case ENOTDIR:
            return name + QStringLiteral(" не найдена");
        default:
            return QStringLiteral("файл не создаётся в папке: %1").arg(ui::systemReason(error));
    }
}

// A new content on its way: written into its temporary file, not yet in place.
struct Pending {
    int fd = -1;
    QByteArray temporary;
    QByteArray target;
};

void discard(Pending& p) {
    if (p.fd >= 0) ::close(p.fd);
    p.fd = -1;
    ::unlink(p.temporary.constData());
}

// A full disk may accept part of a write and refuse the rest; only the next call tells why.
int writeAll(int fd, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

// A symbolic link is written through: the file it names takes the new content, and the link stays a
// link (a list shared by two program folders stays shared).
QString linkedFile(const QString& path) {
    QString file = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(file);
        if (!info.isSymLink()) break;
        file = info.symLinkTarget();
    }
    return file;
}

// Opens the temporary file beside `target` and writes the new content into it. The new file keeps
// the old one's permissions; a first file gets those the folder's owner would (0666 less the umask).
std::optional<Pending> begin(const QString& given, const QByteArray& bytes, QString& failure) {
    const QString path = linkedFile(given);
    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        failure = QStringLiteral("на месте файла находится папка");
        return std::nullopt;
    }
    // A file marked read-only stays as it is, also for an administrator, whom the rename below
    // would otherwise let replace it.
    if (exists && !(old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) {
        failure = QStringLiteral("файл только для чтения");
        return std::nullopt;
    }
    Pending p;
    p.target = target;
    for (int attempt = 0; p.fd < 0; ++attempt) {
        p.temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".new";
        p.fd = ::open(p.temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (p.fd >= 0) break;
        if (errno == EINTR || (errno == EEXIST && attempt < 16)) continue;
        failure = folderFailure(path, errno);
        return std::nullopt;
    }
    // A disk that keeps no permissions of its own (a memory stick, a network share) may refuse the
    // change; the file is written all the same, with the permissions that disk gives every file.
    if (exists) (void)::fchmod(p.fd, old.st_mode & 07777);
    if (const int error = writeAll(p.fd, bytes)) {
        failure = writeFailure(error);
        discard(p);
        return std::nullopt;
    }
    return p;
}

// Some file systems report a full disk only when the data reaches it: the flush and the close are
// checked too, and only then does the new file take the old one's place.
QString finish(Pending& p) {
    if (::fsync(p.fd) != 0 && errno != EINVAL) {
        const int error = errno;
        discard(p);
        return writeFailure(error);
    }
    const int closed = ::close(p.fd);
    p.fd = -1;
    if (closed != 0 && errno != EINTR) {
        const int error = errno;
        discard(p);
        return writeFailure(error);
    }
    if (::rename(p.temporary.constData(), p.target.constData()) != 0) {
        const int error = errno;
        discard(p);
        return writeFailure(error);
    }
    return {};
}

}  // namespace

FileReader::FileReader(const QString& path) {
    do {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        // A path through a plain file names no file either.
        if (errno == ENOENT || errno == ENOTDIR) {
            exists_ = false;
        } else {
            error_ = ui::systemReason(errno);
        }
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        error_ = readFailure(errno);
    } else if (S_ISDIR(st.st_mode)) {
        error_ = ui::systemReason(EISDIR);
    } else {
        size_ = S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
    }
}

FileReader::~FileReader() {
    if (fd_ >= 0) ::close(fd_);
}

qint64 FileReader::read(char* into, qint64 capacity) {
    if (fd_ < 0 || !error_.isEmpty()) return -1;
    qint64 done = 0;
    while (done < capacity) {
        const ssize_t n = ::read(fd_, into + done, size_t(capacity - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error_ = readFailure(errno);
            return -1;
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

QByteArray readWholeFile(const QString& path, QString* error, bool* exists) {
    FileReader file(path);
    if (exists) *exists = file.exists();
    QByteArray bytes;
    if (file.exists() && file.error().isEmpty()) {
        // The size the system gives, then whatever the file grew by while it was read.
        bytes.resize(file.size());
        const qint64 got = file.read(bytes.data(), bytes.size());
        if (got >= 0 && got < bytes.size()) bytes.resize(got);
        if (got == bytes.size()) {
            char more[64 * 1024];
            for (qint64 n; (n = file.read(more, sizeof more)) > 0;) bytes.append(more, n);
        }
    }
    if (error) *error = file.error();
    if (!file.error().isEmpty()) bytes.clear();
    return bytes;
}

QString writeWholeFile(const QString& path, const QByteArray& bytes) {
    return writeWholeFiles({{path, bytes}}).front();
}

QStringList writeWholeFiles(const std::vector<WholeFile>& files) {
    // One slot for each file: the threads below each write their own.
    std::vector<QString> failures(files.size());
    std::vector<std::optional<Pending>> pending(files.size());
    // Every new content goes into its temporary file first.
    for (std::size_t i = 0; i < files.size(); ++i)
        pending[i] = begin(files[i].path, files[i].bytes, failures[i]);
    // Then each is flushed and put in place of its old file. The flushes are the slow part and need
    // not wait for each other: each file runs on a thread of its own, the first on this one.
    const auto finishOne = [&](std::size_t i) { failures[i] = finish(*pending[i]); };
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < pending.size(); ++i)
        if (pending[i]) open.push_back(i);
    std::vector<std::thread> threads;
    for (std::size_t k = 1; k < open.size(); ++k) {
        try {
            threads.emplace_back(finishOne, open[k]);
        } catch (const std::system_error&) {
            // No thread to be had: this file waits its turn here.
            finishOne(open[k]);
        }
    }
    if (!open.empty()) finishOne(open.front());
    for (std::thread& t : threads) t.join();
    return QStringList(failures.begin(), failures.end());
}

#include <cstdio>  // renameat2

// The content goes whole, through the one routine above, into a temporary file of its own; only
// then is that file given the first free name, by a call that never replaces a file. A disk whose
// system renames only with replacing takes a second name (a hard link) the same way instead.
QString writeNewWholeFile(const std::function<QString(int)>& nameAt, const QByteArray& bytes,
                          QString& written) {
    written = nameAt(0);
    const QByteArray temporary = QFile::encodeName(written) + '.' +
                                 QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".new";
    if (QString failure = writeWholeFile(QFile::decodeName(temporary), bytes); !failure.isEmpty())
        return failure;
    const auto takeName = [&](const QByteArray& name) {
        int result;
        do {
            result =
                ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, name.constData(), RENAME_NOREPLACE);
        } while (result != 0 && errno == EINTR);
        if (result == 0) return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
        do {
            result = ::link(temporary.constData(), name.constData());
        } while (result != 0 && errno == EINTR);
        if (result != 0) return errno;
        ::unlink(temporary.constData());
        return 0;
    };
    // Far more names than any folder holds files, so that a scheme that repeats itself still ends.
    constexpr int kNames = 1 << 20;
    int error = EEXIST;
    for (int n = 0; n < kNames && error == EEXIST; ++n) {
        written = nameAt(n);
        error = takeName(QFile::encodeName(written));
    }
    if (error != 0) {
        ::unlink(temporary.constData());
        return QStringLiteral("ошибка записи: %1").arg(ui::systemReason(error));
    }
    // The new name is an entry of its folder: it is on the disk once the folder is.
    const int folder = ::open(QFile::encodeName(QFileInfo(written).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        int flushed;
        do {
            flushed = ::fsync(folder);
        } while (flushed != 0 && errno == EINTR);
        const int flushError = flushed != 0 && errno != EINVAL ? errno : 0;
        ::close(folder);
        if (flushError) return QStringLiteral("ошибка записи: %1").arg(ui::systemReason(flushError));
    }
    return {};
}
