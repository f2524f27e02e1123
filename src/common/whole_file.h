#pragma once
// The one way a file of the program is read and written: read whole, written whole, so that no name
// ever shows a cut-off content. Straight on the system's calls, so that every failure is told by the
// system's own error number (ui::systemReason). Qt Core only, so the workbook core and QR can use it
// without the windows.
//
// Words: an "unfinished" file is one of the routine's own still being made, ending in ".new" (a new
// content, or a copy not yet whole); a "copy" is a whole copy of a file's old content, ending in
// ".old"; a copy is "taken of" the file whose device and inode its head holds, and "lies beside" the
// name in whose folder it lies under that name.
//
// One writer of a file at a time. Every save holds its file's lock (exclusive) from the read its new
// content is built from until its write is done, by either path below, and builds that content from
// what it read under that lock: a save whose content comes from the file itself (a merge into a list,
// a delete from it, a re-read of a file that was busy) takes the lock before that read (FileHold),
// and every write takes it before it writes aside, sharing the hold's where there is one. The lock is
// on the file the name leads to; a name that leads to another file once the lock is had (replaced,
// or put aside by a start, meanwhile) is opened again, and one that leads nowhere any more is a file
// to make anew. A start's put-aside holds the same lock. So no save reported done is lost under
// another's or moved aside after it.
//
// Nothing the routine makes is more open than its original, not even for a moment: each of its files
// (a new content, a copy, a backup, a file put aside) is made owner-only, then given its original's
// owner, group, mode and access list (a first file, what the folder's owner would give it: 0666 less
// the umask), and only then does it take a byte of content.
//
// How a file is written, and what a kill at any step leaves:
//
// Replaced, as most files are: the new content goes into "<file>.~<7 base-36 digits>.new" beside the
// file, which its writer keeps locked while it is open; it is flushed and renamed over the file, and
// the folder is flushed once for all the files a save put in it; the old file's lock goes only then.
// A kill leaves the ".new" file, which the next start removes (also where no file of that name was
// there yet, and for a backup, whose unfinished file is named after the first backup name,
// "2.xml.bak.~<digits>.new").
//
// In its own place, a file with several names (so that every name keeps it) or one of another user
// (so that it stays theirs):
//  1. The file is locked (exclusive) as every save locks it, and opened for writing.
//  2. Its old content is copied into an unfinished file, headed by a random token, the file's device
//     and inode, and the content's length and checksum, with the file's owner, group and permissions;
//     the copy is flushed and only then takes a free name "<file>.~<digits>.old"; the folder is
//     flushed. A copy that lies outside the program folder and its data folder is noted in the program
//     folder by a link of its name.
//  3. The mark: the copy's path and token are written past the end of both contents, and flushed.
//     While a file bears a mark, its content is that copy's.
//  4. The new content is written and flushed, the file is cut to its length, which takes the mark
//     away, and flushed again: the save is done.
//  5. The copy goes, with every other copy taken of the same file that this save finds (the one a
//     killed write's mark named, those beside the name it writes through). None that is left can undo
//     the save, for no mark names it.
// A write that fails while the file bears its mark puts the old content back at once. A file that
// bore a mark whose copy is gone is taken as it lies, mark and all, so a failed save leaves it so;
// a copy that is there but cannot be read fails the save and stays, and the failure names that copy,
// the one file whose repair or removal ends it. A save that replaces a marked file by a rename removes
// the copy its mark named once the rename is on the disk, holding the old file's lock meanwhile. Two
// names of one file in one save are written one after the other.
//
// Locks: a file's lock is always taken before the lock of a copy of it, by every save, clearing and
// reader, and the files of one save or hold are locked in the order of their devices and inodes; the
// lock of an unfinished file or a copy is waited for only by its maker, on the file it has just made,
// and is otherwise only tried, never waited for. Readers take the file's lock shared, so a write never
// shows them a mix of two contents; a read by the thread that holds the file for a save goes through
// that hold. The waits of one operator action share about five seconds in all (ui::FileWaitScope); a
// file still held then is busy (ui::busyReason, told by the failure's kind: FileReader::busy,
// ui::Error::busy), a passing state that no caller takes for an unreadable file. The clearing never
// waits: what a running save holds is left for the next start.
//
// A copy goes back into a file only while the file bears the mark that holds the copy's token and
// the copy is whole (its length and checksum as its head says), checked again once the file's lock
// and then the copy's are held: any save since, through any name, took that mark away, and the copy
// is then removed instead; a copy that a mark names but that is not whole is never put back and never
// removed. The token, not the device number, ties the two, for it holds in a folder that was moved,
// copied or mounted again. A copy is looked for beside the name first, then where the mark says.
// Whoever's file bears the mark may read through the copy (a file copied elsewhere, mark and all,
// too), but only a save or a clearing of the file the copy is the own copy of (taken of it, or lying
// beside its name) puts it back or removes it. A copy whose file was replaced by another stays: it
// may still be the content of the file's other names, which their next save settles. Each start also
// settles the marks on the files it clears, wherever their copy lies; a file whose mark names a copy
// that is gone or not whole holds no content to read, and the start puts it aside under a free backup
// name (backupName; a file of its own where the file has other names, which keep it), holding its
// lock, and tells so, naming every copy still left beside it (cut, changed or re-tokened, it may hold
// the only intact old content), so that the next save writes the file anew. An outdated copy stays
// while the later mark's copy is not whole, and a link of a copy's name (a note) is no copy.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/plain_file.h"

// A file opened for reading whole, locked (shared) while it is open. A missing file is no error:
// exists() tells.
class FileReader {
public:
    // A file that bears the mark of a killed write in place reads as its copy; where that copy is gone,
    // it is unreadable, or reads as the bytes that lie on the disk, mark and all.
    enum class Marked { ReadsAsItsCopy, AsItLiesWithoutCopy };
    explicit FileReader(const QString& path, Marked marked = Marked::ReadsAsItsCopy);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool exists() const { return exists_; }
    // "" while all is well; else why the file could not be read, in a few Russian words.
    const QString& error() const { return error_; }
    // The file could not be read only because another program held it for longer than the action
    // could wait (error() is then ui::busyReason()): a passing state, not an unreadable file.
    bool busy() const { return busy_; }
    // The content's size as the system tells it at the opening.
    qint64 size() const { return size_; }
    // Reads up to `capacity` bytes into `into`: the count read, 0 at the end, -1 on a failure
    // (error() then says why).
    qint64 read(char* into, qint64 capacity);

private:
    // Whether the file was opened; the failures of what follows are in error_.
    bool open(const QByteArray& name, Marked marked);
    // What the content is read from: the file, or the copy a mark names.
    int sourceFd() const;

    ui::Descriptor fd_;      // the file
    ui::Descriptor source_;  // the copy a mark names, where the content is read from it
    qint64 at_ = 0;
    bool exists_ = true;
    QString error_;
    bool busy_ = false;
    qint64 size_ = 0;
};

// The whole content of `path`. `exists` (optional) is false for a missing file, which reads as
// nothing; `error` (optional) gets why an existing file could not be read, or is cleared; `busy`
// (optional) whether that was only because another program held it (FileReader::busy).
QByteArray readWholeFile(const QString& path, QString* error = nullptr, bool* exists = nullptr,
                         bool* busy = nullptr);
// The content as readers see it, or, where the mark of a killed write in place names a copy that is
// gone, the bytes as they lie on the disk, mark and all: for the backup of a file that could not be
// read, which keeps it as it was.
QByteArray readFileToKeep(const QString& path, QString* error = nullptr);

// A save's hold on the files whose new content it builds from what they hold now (a merge into a list,
// a delete from it, a re-read of a file that was busy): each file is locked (exclusive) before that
// read, in the order of the files' devices and inodes, and stays locked until the hold ends, after
// the write, so no other program's save, clearing or reader comes between the read and the write.
// Meanwhile this program's own reads and writes of these files go through that lock. A file not
// there is not held: the save makes it. One another program holds for longer than the action can
// wait is not held either, and its read then says it is busy. Holds of one file nest.
class FileHold {
public:
    explicit FileHold(const QStringList& paths);
    ~FileHold();
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;

private:
    std::vector<std::shared_ptr<void>> locks_;
};

// Writes `bytes` as the whole new content of `path`, as told above. Returns "" on success, else the
// reason. After a failure every name reads the old content, except where the new content was already
// whole on the disk and only a flush after it failed (the folder's after the rename, the file's after
// the cut of a write in place): then it reads the new one, which a power cut may still take back.
// Success means the new content and its name are
// on the disk. A file marked read-only is refused whoever runs the program, and so is a file the user
// may not write and anything that is not a plain file. The new file keeps the old one's owner (where
// the system lets it), group, mode and access list. A link is written through to the file it leads to
// and stays a link. The parent folder must exist.
[[nodiscard]] QString writeWholeFile(const QString& path, const QByteArray& bytes);

struct WholeFile {
    QString path;
    QByteArray bytes;
};

// Writes each file as writeWholeFile does, their flushes to the disk side by side rather than one
// after another. A file that fails leaves the others to be written. Returns each file's reason, in
// order, "" for a file written.
[[nodiscard]] QStringList writeWholeFiles(const std::vector<WholeFile>& files);

// Tests put a call of their own in the place of the system's fsync, to see every flush and make
// one fail; nullptr gives back fsync. It may be called from several threads at once.
void setFlushForTests(int (*flush)(int fd));

// Writes `bytes` whole as a new file under the first of the names nameAt(0), nameAt(1), … that no
// file holds, never over one that is there, also when another program takes a name at the same
// instant. Returns "" on success, else the reason; either way `written` gets the name the content
// went to or was meant for. A name is taken whole or not at all: no name ever holds part of it. The
// new file gets the owner (where the system lets it), group, mode and access list of the file `like`,
// where one is given and there (else a first file's permissions), before its first byte. The temporary
// file it is made in is named after nameAt(0), so that a start clears what a kill left of it.
[[nodiscard]] QString writeNewWholeFile(const std::function<QString(int)>& nameAt, const QByteArray& bytes,
                                        QString& written, const QString& like = {});

// The n-th backup name of `path`: "2.xml.bak", then "2.xml.1.bak", "2.xml.2.bak", …
QString backupName(const QString& path, int n);
