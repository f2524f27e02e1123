#include "common/whole_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <variant>

#include "common/disk.h"
#include "common/in_place.h"
#include "platform/error.h"
#include "platform/plain_file.h"

namespace {

using namespace disk;

// Why a file in the way is not replaced, or "" when it may be.
QString refusal(const QByteArray& target, const struct stat& old) {
    if (QString what = ui::notAPlainFile(old.st_mode); !what.isEmpty()) return what;
    // A file marked read-only stays as it is, also for an administrator, whom the rename would
    // otherwise let replace it; so does a file of someone else's that this user may not write,
    // though the folder would let the rename replace it.
    if (!(old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) return QStringLiteral("файл только для чтения");
    if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM))
        return ui::systemReason(EACCES);
    return {};
}

// A file locked (exclusive) by this program for a save. Every hold, read and write of the file that
// the same thread makes meanwhile shares it: a second flock of the same file, even in the same
// process, would wait for this one. Another thread waits for it as another program does.
class HeldLock {
public:
    HeldLock(ui::Descriptor fd, const struct stat& st)
        : fd_(std::move(fd)), key_(st.st_dev, st.st_ino), thread_(std::this_thread::get_id()) {}
    ~HeldLock();
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    int fd() const { return fd_.get(); }
    bool heldByThisThread() const { return thread_ == std::this_thread::get_id(); }

private:
    ui::Descriptor fd_;
    std::pair<dev_t, ino_t> key_;
    std::thread::id thread_;
};

std::mutex heldMutex;
std::map<std::pair<dev_t, ino_t>, std::weak_ptr<HeldLock>>& heldLocks() {
    static std::map<std::pair<dev_t, ino_t>, std::weak_ptr<HeldLock>> held;
    return held;
}

HeldLock::~HeldLock() {
    const std::lock_guard guard(heldMutex);
    const auto at = heldLocks().find(key_);
    if (at != heldLocks().end() && at->second.expired()) heldLocks().erase(at);
}

std::shared_ptr<HeldLock> heldHere(const struct stat& st) {
    const std::lock_guard guard(heldMutex);
    const auto at = heldLocks().find({st.st_dev, st.st_ino});
    std::shared_ptr<HeldLock> held = at == heldLocks().end() ? nullptr : at->second.lock();
    return held && held->heldByThisThread() ? held : nullptr;
}

// Locks the file `target` (no link) names for a save, waiting within the action's budget, or shares
// the lock this program already holds of it. A name that leads to another file once the lock is had
// (the file replaced, or put aside by a start) is opened again: the save is for the file the name
// leads to now, and a name that leads nowhere any more is a file to make anew. nullptr for a file
// that is not there, or with `failure` set.
std::shared_ptr<HeldLock> lockForSave(const QByteArray& target, QString& failure) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        int error = 0;
        QString refusal;
        ui::Descriptor fd(ui::openPlainFile(target, O_RDONLY | O_NOFOLLOW, error, refusal));
        // A file the user may write but not read is locked all the same.
        if (!fd.isOpen() && error == EACCES)
            fd.reset(ui::openPlainFile(target, O_WRONLY | O_NOFOLLOW, error, refusal));
        if (!fd.isOpen()) {
            if (error == ENOENT || error == ENOTDIR) return nullptr;
            failure = refusal.isEmpty() ? writeFailure(error) : refusal;
            return nullptr;
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) {
            failure = writeFailure(errno);
            return nullptr;
        }
        if (std::shared_ptr<HeldLock> held = heldHere(st)) return held;
        if (lockWithin(fd.get(), LOCK_EX) != 0) {
            failure = ui::busyReason();
            return nullptr;
        }
        if (!stillNamed(target, fd.get())) continue;
        auto held = std::make_shared<HeldLock>(std::move(fd), st);
        const std::lock_guard guard(heldMutex);
        heldLocks()[{st.st_dev, st.st_ino}] = held;
        return held;
    }
    // A name that keeps changing: another program is at it.
    failure = ui::busyReason();
    return nullptr;
}

// A new content that replaces the file: written into a file beside it, not yet in its place.
struct Replacement {
    QByteArray target;     // the file, as the system names it
    QByteArray temporary;  // the new content's file
    ui::Descriptor fd;     // open and locked
    // The copy that the mark of a killed write in place names, on the file this one replaces.
    std::optional<inplace::MarkedCopy> replacedCopy;
};

// A save's file between its write aside and the end of its write.
struct Pending {
    // The lock of the file the name led to, from before the write aside until after its rename or
    // write in place (none for a file not there yet).
    std::shared_ptr<HeldLock> lock;
    std::variant<Replacement, inplace::Write> write;
};

void discard(Replacement& r) {
    // Removed while still locked, so no clearing takes it for a leftover of its own.
    ::unlink(r.temporary.constData());
    r.fd.reset();
}

// Writes aside what a save needs before it touches the file `given` leads to, once it holds that
// file's lock: the new content into a temporary file beside it, or, for a file written in its own
// place, a copy of its old content. The temporary file gets the old file's owner, group, mode and
// access list, or a first file's permissions, before its first byte.
std::optional<Pending> writeAside(const QString& given, const QByteArray& bytes, QString& failure) {
    QByteArray target = QFile::encodeName(given);
    if (const int error = resolveLinks(target)) {
        failure = ui::systemReason(error);
        return std::nullopt;
    }
    Pending p;
    p.lock = lockForSave(target, failure);
    if (!failure.isEmpty()) return std::nullopt;
    struct stat old {};
    const bool exists = p.lock != nullptr;
    if (exists) {
        if (::fstat(p.lock->fd(), &old) != 0) {
            failure = writeFailure(errno);
            return std::nullopt;
        }
        failure = refusal(target, old);
        if (!failure.isEmpty()) return std::nullopt;
    }
    const auto inPlace = [&]() -> std::optional<Pending> {
        std::optional<inplace::Write> w = inplace::copyOldContent(target, p.lock->fd(), bytes, failure);
        if (!w) return std::nullopt;
        p.write = *std::move(w);
        return std::move(p);
    };
    // A file with several names is written in its own place, so that every name keeps it.
    if (exists && old.st_nlink > 1) return inPlace();
    Replacement r;
    r.target = target;
    r.fd.reset(makeOwnFile(target, kNewEnding, r.temporary));
    if (!r.fd.isOpen()) {
        failure = folderFailure(QFile::decodeName(target), errno);
        return std::nullopt;
    }
    // Only an administrator may give a file to another user: a file of someone else's (or of a group
    // this user is not in) that the user may write is written in its own place, so it stays theirs
    // and everyone who could reach it still can.
    if (exists && !keepOwnerAndPermissions(r.fd.get(), target, old)) {
        discard(r);
        return inPlace();
    }
    if (!exists) (void)::fchmod(r.fd.get(), firstFileMode());
    if (const int error = writeAt(r.fd.get(), bytes, 0)) {
        failure = writeFailure(error);
        discard(r);
        return std::nullopt;
    }
    if (exists) r.replacedCopy = inplace::copyMarkedIn(p.lock->fd(), old, target);
    p.write = std::move(r);
    return p;
}

// Some file systems report a full disk only when the data reaches it: the flush and the close are
// checked too, and only then does the new file take the old one's place by a rename. Its lock stays
// on a second descriptor until then.
QString putInPlace(Replacement& r) {
    int error = flush(r.fd.get());
    if (!error) {
        const int locked = ::fcntl(r.fd.get(), F_DUPFD_CLOEXEC, 0);
        if (locked < 0) {
            error = errno;
        } else {
            const int closed = ::close(r.fd.release());
            r.fd.reset(locked);
            if (closed != 0 && errno != EINTR) error = errno;
        }
    }
    while (!error && ::rename(r.temporary.constData(), r.target.constData()) != 0)
        if (errno != EINTR) error = errno;
    if (error) {
        discard(r);
        return writeFailure(error);
    }
    r.fd.reset();
    return {};
}

QString putInPlace(Pending& p) {
    if (auto* w = std::get_if<inplace::Write>(&p.write)) return inplace::writeNewContent(*w);
    return putInPlace(std::get<Replacement>(p.write));
}

// Each folder that took a new file by a rename is flushed once, after all its renames. A flush that
// fails fails every file of that folder: its new content may not outlive a power cut. A file written
// in its own place was flushed whole where it lies.
void flushFolders(const std::vector<std::optional<Pending>>& pending, std::vector<QString>& failures) {
    std::vector<std::pair<std::size_t, QByteArray>> renamed;
    std::vector<QByteArray> folders;
    for (std::size_t i = 0; i < pending.size(); ++i) {
        const auto* r = pending[i] ? std::get_if<Replacement>(&pending[i]->write) : nullptr;
        if (!r || !failures[i].isEmpty()) continue;
        renamed.emplace_back(i, folderOf(r->target));
        if (std::find(folders.begin(), folders.end(), renamed.back().second) == folders.end())
            folders.push_back(renamed.back().second);
    }
    for (const QByteArray& folder : folders) {
        const int error = flushFolder(folder);
        if (!error) continue;
        for (const auto& [i, itsFolder] : renamed)
            if (itsFolder == folder) failures[i] = writeFailure(error);
    }
}

}  // namespace

FileReader::FileReader(const QString& path, Marked marked) {
    const QByteArray name = QFile::encodeName(path);
    // A file replaced whole while it was being opened, its old self marked and its copy gone with
    // it, is opened again under its name; a few times at most, for names that keep changing.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) {
            source_.reset();
            fd_.reset();
            error_.clear();
            busy_ = false;
        }
        if (!open(name, marked) || !fd_.isOpen() || error_.isEmpty() || stillLeadsTo(name, fd_.get())) return;
    }
}

bool FileReader::open(const QByteArray& name, Marked marked) {
    int error = 0;
    fd_.reset(ui::openPlainFile(name, O_RDONLY, error, error_));
    if (!fd_.isOpen()) {
        // A path through a plain file names no file either.
        if (error == ENOENT || error == ENOTDIR)
            exists_ = false;
        else if (error)
            error_ = ui::systemReason(error);
        return false;
    }
    // A save holds the file from the read its content is built from to the end of its write; this
    // program's own save shares its lock with its reads. The file is looked at again once locked: a
    // write in place that the lock waited for changed its length.
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) {
        error_ = readFailure(errno);
    } else if (!heldHere(st) && lockWithin(fd_.get(), LOCK_SH) != 0) {
        error_ = ui::busyReason();
        busy_ = true;
    } else if (::fstat(fd_.get(), &st) != 0) {
        error_ = readFailure(errno);
    } else {
        inplace::Content content = inplace::contentOf(fd_.get(), st, name, error_);
        if (content.fd < 0 && marked == Marked::AsItLiesWithoutCopy) {
            error_.clear();
            content = {fd_.get(), 0, st.st_size};
        }
        // The copy is the reader's own to close; the file is read through fd_ itself.
        if (content.fd != fd_.get()) source_.reset(content.fd);
        at_ = content.offset;
        size_ = content.size;
    }
    return true;
}

FileReader::~FileReader() = default;

int FileReader::sourceFd() const {
    return source_.isOpen() ? source_.get() : fd_.get();
}

qint64 FileReader::read(char* into, qint64 capacity) {
    if (!fd_.isOpen() || !error_.isEmpty()) return -1;
    qint64 done = 0;
    while (done < capacity) {
        const ssize_t n = ::pread(sourceFd(), into + done, size_t(capacity - done), off_t(at_));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error_ = readFailure(errno);
            return -1;
        }
        if (n == 0) break;
        done += n;
        at_ += n;
    }
    return done;
}

namespace {
QByteArray readWhole(FileReader& file, QString* error, bool* exists, bool* busy = nullptr) {
    if (exists) *exists = file.exists();
    if (busy) *busy = file.busy();
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
}  // namespace

QByteArray readWholeFile(const QString& path, QString* error, bool* exists, bool* busy) {
    FileReader file(path);
    return readWhole(file, error, exists, busy);
}

FileHold::FileHold(const QStringList& paths) {
    std::vector<std::pair<std::pair<dev_t, ino_t>, QByteArray>> files;
    for (const QString& path : paths) {
        QByteArray target = QFile::encodeName(path);
        struct stat st {};
        if (resolveLinks(target) == 0 && ::stat(target.constData(), &st) == 0)
            files.push_back({{st.st_dev, st.st_ino}, target});
    }
    // In one order for every program, so that two saves of the same files never each hold one the
    // other waits for.
    std::sort(files.begin(), files.end());
    for (const auto& [id, target] : files) {
        QString failure;
        if (std::shared_ptr<HeldLock> lock = lockForSave(target, failure)) locks_.push_back(std::move(lock));
    }
}

FileHold::~FileHold() = default;

QByteArray readFileToKeep(const QString& path, QString* error) {
    FileReader file(path, FileReader::Marked::AsItLiesWithoutCopy);
    return readWhole(file, error, nullptr);
}

QString writeWholeFile(const QString& path, const QByteArray& bytes) {
    return writeWholeFiles({{path, bytes}}).front();
}

namespace {

// The device and inode of the file a name leads to, or nullopt for one that is not there yet.
using Identity = std::optional<std::pair<dev_t, ino_t>>;

Identity fileOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
    return std::pair(st.st_dev, st.st_ino);
}

// One batch of files, each a different file (`identity` gives each one's): written side by side.
// Their locks are taken in the order of the files' devices and inodes, so that two programs saving
// the same files through other names (lists joined crosswise by hard links) never each hold one the
// other waits for.
void writeBatch(const std::vector<const WholeFile*>& files, const std::vector<Identity>& identity,
                std::vector<QString>& failures) {
    std::vector<std::optional<Pending>> pending(files.size());
    std::vector<std::size_t> order(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) order[i] = i;
    // Files not there yet, which nobody can hold, come last.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (identity[a].has_value() != identity[b].has_value()) return identity[a].has_value();
        return identity[a] && *identity[a] < *identity[b];
    });
    // Every new content goes into its temporary file (or the old one into its copy) first.
    for (const std::size_t i : order) pending[i] = writeAside(files[i]->path, files[i]->bytes, failures[i]);
    // Then each is flushed and put in place of its old file. The flushes are the slow part and need
    // not wait for each other: each file runs on a thread of its own, the first on this one.
    const auto putOne = [&](std::size_t i) { failures[i] = putInPlace(*pending[i]); };
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < pending.size(); ++i)
        if (pending[i]) open.push_back(i);
    std::vector<std::thread> threads;
    for (std::size_t k = 1; k < open.size(); ++k) {
        try {
            threads.emplace_back(putOne, open[k]);
        } catch (const std::system_error&) {
            // No thread to be had: this file waits its turn here.
            putOne(open[k]);
        }
    }
    if (!open.empty()) putOne(open.front());
    for (std::thread& t : threads) t.join();
    flushFolders(pending, failures);
    // A replaced file's copy goes only once the rename is on the disk.
    for (std::size_t i = 0; i < pending.size(); ++i)
        if (auto* r = pending[i] ? std::get_if<Replacement>(&pending[i]->write) : nullptr;
            r && r->replacedCopy)
            if (failures[i].isEmpty())
                inplace::removeCopyWithToken(r->replacedCopy->path, r->replacedCopy->token);
    // Each file's lock goes with its pending write, now that the write is done.
}

}  // namespace

QStringList writeWholeFiles(const std::vector<WholeFile>& files) {
    // One slot for each file: the threads of a batch each write their own.
    std::vector<QString> failures(files.size());
    // Two names of one file (lists joined by a hard link) are written one after the other, the later
    // last, never side by side: the second would wait for the lock the first holds.
    std::vector<std::vector<std::size_t>> batches;
    std::vector<std::vector<std::pair<dev_t, ino_t>>> batchFiles;
    std::vector<Identity> identity(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const Identity& file = identity[i] = fileOf(files[i].path);
        std::size_t b = 0;
        if (file)
            while (b < batches.size() &&
                   std::find(batchFiles[b].begin(), batchFiles[b].end(), *file) != batchFiles[b].end())
                ++b;
        if (b == batches.size()) {
            batches.emplace_back();
            batchFiles.emplace_back();
        }
        batches[b].push_back(i);
        if (file) batchFiles[b].push_back(*file);
    }
    for (const std::vector<std::size_t>& batch : batches) {
        std::vector<const WholeFile*> inBatch;
        std::vector<Identity> identities;
        for (const std::size_t i : batch) {
            inBatch.push_back(&files[i]);
            identities.push_back(identity[i]);
        }
        std::vector<QString> batchFailures(batch.size());
        writeBatch(inBatch, identities, batchFailures);
        for (std::size_t k = 0; k < batch.size(); ++k) failures[batch[k]] = batchFailures[k];
    }
    return QStringList(failures.begin(), failures.end());
}

void setFlushForTests(int (*flush)(int fd)) {
    setFlushCall(flush);
}

QString backupName(const QString& path, int n) {
    return n == 0 ? path + QStringLiteral(".bak") : QStringLiteral("%1.%2.bak").arg(path).arg(n);
}

// The content goes whole into a temporary file of the writer's own, locked and flushed; only then
// is that file given the first free name, by a call that never replaces a file.
QString writeNewWholeFile(const std::function<QString(int)>& nameAt, const QByteArray& bytes,
                          QString& written, const QString& like) {
    written = nameAt(0);
    QByteArray temporary;
    const ui::Descriptor fd(makeOwnFile(QFile::encodeName(written), kNewEnding, temporary));
    if (!fd.isOpen()) return folderFailure(written, errno);
    // A file kept for another keeps who may read it, before it holds a byte: a backup of the student
    // base is as private as the base was.
    if (struct stat original{};
        !like.isEmpty() && ::stat(QFile::encodeName(like).constData(), &original) == 0)
        (void)keepOwnerAndPermissions(fd.get(), QFile::encodeName(like), original);
    else
        (void)::fchmod(fd.get(), firstFileMode());
    int failed = writeAt(fd.get(), bytes, 0);
    if (!failed) failed = flush(fd.get());
    if (failed) {
        ::unlink(temporary.constData());
        return writeFailure(failed);
    }
    int error = renameToFirstFree(temporary, nameAt, written);
    // Locked until it has its name, so that no clearing takes it for a killed save's file.
    if (error != 0) {
        ::unlink(temporary.constData());
        return writeFailure(error);
    }
    // The new name is an entry of its folder: it is on the disk once the folder is. One that may not
    // be goes again, so that the next try takes the same name instead of making a second copy.
    error = flushFolder(folderOf(QFile::encodeName(written)));
    if (error && stillNamed(QFile::encodeName(written), fd.get()))
        ::unlink(QFile::encodeName(written).constData());
    return error ? writeFailure(error) : QString();
}
