#pragma once
// The system's file calls as the file routine uses them: retried when a signal cuts them short, each
// failure told by its error number (ui::systemReason), and the names of the routine's own files.
// Shared by the reader and the writers (whole_file), the write in place (in_place) and the clearing
// of killed saves (leftovers), and by their tests; nothing else includes it. The layers go one way:
// disk, then in_place, then whole_file, then leftovers.
#include <sys/stat.h>
#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace disk {

// The endings of the routine's own files beside a file: an unfinished file (a new content before it
// takes the file's place, or a copy not yet whole), and a whole copy of a file's old content while
// the file is written in its own place. Between the file's name and the ending stand ".~" and seven
// base-36 digits ("1.txt.~0k3f9a2.new").
inline constexpr char kNewEnding[] = ".new";
inline constexpr char kOldEnding[] = ".old";

QString readFailure(int error);
QString writeFailure(int error);
// A file that cannot be made beside its old one fails for its folder's sake ("папка «data»
// недоступна для записи").
QString folderFailure(const QString& path, int error);

int openRetried(const char* path, int flags, mode_t mode = 0);

// Gives the new file `fd` the owner of the file `target` (of `old`) where the system lets it be kept,
// else at least its group; then its mode and its access list, in that order, for the mode's group
// bits are the list's mask. A disk that keeps no permissions of its own (a memory stick, a network
// share) may refuse all of it. Returns whether the new file has the old one's owner and group.
bool keepOwnerAndPermissions(int fd, const QByteArray& target, const struct stat& old);

// 0 or the error number; retried when interrupted. A disk that cannot flush has nothing to flush.
int flush(int fd);
// Tests put a call of their own in the place of fsync (whole_file.h's setFlushForTests).
void setFlushCall(int (*call)(int fd));
// The folder's names reach the disk. A folder the user may not open is left to the system.
int flushFolder(const QByteArray& folder);

QByteArray folderOf(const QByteArray& file);
QByteArray nameOf(const QByteArray& file);
// The folder as the system reaches it, through every linked folder on its way.
QByteArray realFolder(const QByteArray& folder);
// A link is followed as the system follows it, to the file it leads to (which may not exist yet).
// 0, or ELOOP for links in a circle.
int resolveLinks(QByteArray& file);

bool sameFile(const struct stat& a, const struct stat& b);
// Whether `path` still names the file open as `fd`, itself (stillNamed) or through its links
// (stillLeadsTo).
bool stillNamed(const QByteArray& path, int fd);
bool stillLeadsTo(const QByteArray& path, int fd);

// Writes all of `bytes` at `offset`: 0 or the error number (a full disk that took part of a write
// tells why only at the next call).
int writeAt(int fd, const QByteArray& bytes, qint64 offset);
// `size` bytes from `offset`, fewer where the file ends first; nullopt with `error` set.
std::optional<QByteArray> readAt(int fd, qint64 offset, qint64 size, int& error);
// Gives the open file the length `size`. 0 or the error number.
int cut(int fd, qint64 size);

// Takes flock's `operation` (LOCK_SH, LOCK_EX) on `fd`, waiting while another holds it, but no longer
// than the action's budget of waits leaves (ui::fileWaitLeft): 0, or EBUSY. A disk without locks
// gives 0: there nothing can be waited for.
int lockWithin(int fd, int operation);
// The same without waiting: for the clearing, which leaves what another program holds.
int lockNow(int fd, int operation);

// Gives the file `from` the name `to` only if no file holds it: 0, EEXIST, or another error number.
int renameNoReplace(const QByteArray& from, const QByteArray& to);
// Gives the file `from` the first of the names nameAt(0), nameAt(1), … that no file holds, never one
// that is there, also when another program takes a name at the same instant. 0 or the error number;
// `taken` gets the name taken, or the last one tried.
int renameToFirstFree(const QByteArray& from, const std::function<QString(int)>& nameAt, QString& taken);

// Makes a file of the routine's own beside `target`, with `ending`, locked for as long as it is open:
// a clearing running meanwhile sees from the lock that a running save holds it. It is made owner-only
// and stays so until its maker gives it its permissions (keepOwnerAndPermissions, firstFileMode),
// before any content: no other user can open it while it holds what its original keeps from them.
// The descriptor, or -1 with errno set.
int makeOwnFile(const QByteArray& target, const char* ending, QByteArray& name);
// The permissions the folder's owner would give a first file of its own: 0666 less the umask.
mode_t firstFileMode();

// Gives the file `from` a fresh name of the routine's own beside `target`, with `ending`, one that no
// file holds. 0 or the error number; `name` gets the name taken.
int takeOwnName(const QByteArray& from, const QByteArray& target, const char* ending, QByteArray& name);

struct OwnName {
    QByteArray file;  // the name of the file it is named after
    bool isCopy;      // a whole copy of the file's old content, not an unfinished file
};
// "1.txt.~0k3f9a2.new" → {"1.txt", unfinished}; nullopt for every name the routine does not make.
std::optional<OwnName> ownNameOf(const QByteArray& name);

}  // namespace disk
