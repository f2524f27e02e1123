#pragma once
// The one way a file of the program folder is read and written: read whole, written whole through
// a temporary file beside it that replaces the old file only after every byte is known to be on the
// disk. Straight on the system's calls, so that every failure is told by the system's own error
// number (ui::systemReason). Qt Core only, so the workbook core and QR can use it without the
// windows.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// A file opened for reading whole. A missing file is no error: exists() tells.
class FileReader {
public:
    explicit FileReader(const QString& path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool exists() const { return exists_; }
    // "" while all is well; else why the file could not be read, in a few Russian words.
    const QString& error() const { return error_; }
    // The file's size as the system tells it at the opening.
    qint64 size() const { return size_; }
    // Reads up to `capacity` bytes into `into`: the count read, 0 at the end, -1 on a failure
    // (error() then says why).
    qint64 read(char* into, qint64 capacity);

private:
    int fd_ = -1;
    bool exists_ = true;
    QString error_;
    qint64 size_ = 0;
};

// The whole content of `path`. `exists` (optional) is false for a missing file, which reads as
// nothing; `error` (optional) gets why an existing file could not be read, or is cleared.
QByteArray readWholeFile(const QString& path, QString* error = nullptr, bool* exists = nullptr);

// Writes `bytes` as the whole new content of `path`. Returns "" on success, else the reason, and
// then the old file is untouched and no temporary file is left. Success means the new content and
// its name are on the disk: the file and its folder are flushed. A file marked read-only is refused
// whoever runs the program, and so is a file the user may not write and anything that is not a
// plain file. The new file keeps the old one's owner (where the system lets it), group, mode and
// access list. A link is written through to the file it leads to and stays a link. A file with
// several names (hard links) is written in its own place and keeps them all: a copy of its old
// content lies beside it until the new content is on the disk, and is put back if the write fails.
// The parent folder must exist.
[[nodiscard]] QString writeWholeFile(const QString& path, const QByteArray& bytes);

struct WholeFile {
    QString path;
    QByteArray bytes;
};

// Writes each file as writeWholeFile does, their flushes to the disk side by side rather than one
// after another. A file that fails leaves the others to be written. Returns each file's reason, in
// order, "" for a file written.
[[nodiscard]] QStringList writeWholeFiles(const std::vector<WholeFile>& files);

// Clears what saves killed midway left in `folder`: their temporary files ("1.txt.k3f9a2.new"), and
// the copies of the old content of files with several names ("1.txt.k3f9a2.old"), whose old content
// goes back into the file first. Nothing else is touched, nor what a save running now is writing.
// Quiet: what cannot be cleared stays for the next time.
void clearLeftovers(const QString& folder);
// The same, only for what saves of the one file `path` left beside the file it really is.
void clearLeftoversOf(const QString& path);

// Tests put a call of their own in the place of the system's fsync, to see every flush and make
// one fail; nullptr gives back fsync. It may be called from several threads at once.
void setFlushForTests(int (*flush)(int fd));

// Writes `bytes` whole as a new file under the first of the names nameAt(0), nameAt(1), … that no
// file holds, never over one that is there, also when another program takes a name at the same
// instant. Returns "" on success, else the reason; either way `written` gets the name the content
// went to or was meant for. A name is taken whole or not at all: no name ever holds part of it.
[[nodiscard]] QString writeNewWholeFile(const std::function<QString(int)>& nameAt, const QByteArray& bytes,
                                        QString& written);
