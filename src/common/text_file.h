#pragma once
// The program's text files: line by line, Windows-1251 unless a byte-order mark says otherwise,
// CR LF line ends, always written whole. Every function throws ui::Error if Qt lacks the
// Windows-1251 code page: reading Latin-1 instead would garble every Cyrillic file.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/error.h"

namespace textfile {

// Where a lone LF belongs. In every file a line ends at CR LF or at a lone CR, and a lone LF stays in
// its line, for a value may hold one. The one-value files (a setting, a window size, a picture's
// place) hold no value with a line break: there a lone LF ends the line too, so a file that an
// editor wrote with LF alone reads as meant.
enum class LoneLf { InLine, EndsLine };

struct ReadResult {
    bool exists = false;  // false: the file is not there, an ordinary first start
    QString error;        // non-empty: the file exists but could not be read; the reason, for a message box
    bool busy = false;    // it could not be read only because another program held it (a passing state)
    QStringList lines;    // the lines, without their line ends
    bool utf8 = false;    // the file began with a UTF-8 byte-order mark
    QByteArray bytes;     // the file as read
};

// Reads the whole file. A missing file gives exists == false and no error; a file whose bytes break the
// encoding its byte-order mark names is a read error.
ReadResult readLines(const QString& path, LoneLf lf = LoneLf::InLine);
// The same, but a file that holds exactly the bytes of `known` (an earlier successful read) gives
// `known` without being decoded again (`known` was read with the same `lf`).
ReadResult readLines(const QString& path, const ReadResult& known, LoneLf lf = LoneLf::InLine);
// The same reading of a file's bytes.
ReadResult readBytes(const QByteArray& bytes, LoneLf lf = LoneLf::InLine);

// What readBytes(bytes) gives for the bytes encodeLines made of `lines`, without decoding them again
// where they read back as the lines themselves.
ReadResult readEncoded(const QStringList& lines, const QByteArray& bytes);

// First line of a file; a missing or empty file gives "" and no error. `error` (optional) gets the read
// failure, or is cleared.
QString readFirstLine(const QString& path, QString* error = nullptr);

struct WriteOptions {
    bool createFolder = true;  // false: a missing parent folder is a failure
    bool utf8 = false;         // UTF-8 with a byte-order mark even when Windows-1251 would do
};

// Writes every line followed by CR LF through a temporary file beside `path` that is then renamed over
// it, creating a missing parent folder unless told not to. Throws ui::Error; the old file is then
// untouched.
void writeLines(const QString& path, const QStringList& lines, WriteOptions options = {});

// As writeLines, with the lines already encoded by encodeLines (options.utf8 is then spent).
void writeEncoded(const QString& path, const QByteArray& bytes, WriteOptions options = {});

struct EncodedFile {
    QString path;
    QByteArray bytes;  // as encodeLines gave them
    WriteOptions options;
};

// Writes each file as writeEncoded does, their flushes to the disk side by side. A file that fails
// leaves the others to be written. Returns each file's failure, in order, or nothing for a file written.
std::vector<std::optional<ui::Error>> writeEncodedFiles(const std::vector<EncodedFile>& files);

// The write of `lines` that writeLines would do, or nothing when the file already holds exactly these
// bytes (`current`, as just read): then no write, no flush, no change of its time.
std::optional<EncodedFile> changedFile(const QString& path, const QStringList& lines,
                                       const ReadResult& current, WriteOptions options = {});

// A line ends at CR LF or a lone CR, and at a lone LF as `lf` says. A byte-order mark means UTF-8,
// UTF-16 or UTF-32, anything else is Windows-1251.
QStringList splitLines(const QByteArray& bytes, LoneLf lf = LoneLf::InLine);

// Windows-1251 when every character fits and the bytes do not begin as a byte-order mark (and `utf8`
// is false), otherwise the whole text as UTF-8 after a byte-order mark. CR LF or a lone CR inside a line
// becomes a lone LF, so a value never spills into the next line.
QByteArray encodeLines(const QStringList& lines, bool utf8 = false);

}  // namespace textfile
