#pragma once
// The write of a file in its own place (a file with several names, a file of another user), the
// mark it leaves on the file while it writes, and the copy of the old content that the mark names:
// the writer's, the reader's and the clearing's side of one protocol, which whole_file.h states.
// Internal to the file routine.
#include <sys/stat.h>

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "platform/plain_file.h"

namespace inplace {

// A new content on its way into a file written in its own place.
struct Write {
    QByteArray target;        // the file, as the system names it
    ui::Descriptor file;      // open for writing; the writer holds the file's lock (exclusive) throughout
    struct stat locked {};    // the file as it was when its content was read
    QByteArray old;           // its content as readers see it, which a failed write puts back
    QByteArray earlierCopy;   // the copy that a killed write's mark names; it goes with this save
    QByteArray earlierToken;  // that copy's token
    QByteArray copy;          // the copy of `old`: unfinished ("….new") while made, "….old" once whole
    QByteArray token;         // in the copy's head and in the mark, which it ties together
    ui::Descriptor copyFile;  // open and locked
    const QByteArray* bytes = nullptr;
};

// Reads the content of the file `target` names, which the caller holds locked (exclusive) as `locked`,
// and writes the copy of it. Nothing of the file changes here. nullopt with `failure` set.
std::optional<Write> copyOldContent(const QByteArray& target, int locked, const QByteArray& bytes,
                                    QString& failure);
// Writes the new content over the old, behind the copy and the mark. "" once it is on the disk, else
// the reason (see whole_file.h for what every name then reads). Closes what copyOldContent opened.
QString writeNewContent(Write& w);

// The copy that a mark on the file `fd` (`st`, at `path`) names, if it bears one and the copy is the
// file's own. A save that replaces the file whole drops that copy once the new file is in place and
// its folder is flushed: nothing can be put back into a file that no name leads to. Meanwhile the
// save holds the old file's lock, so that a reader that has it open reads the copy first; a reader
// that comes later finds the name replaced and opens it again.
struct MarkedCopy {
    QByteArray path, token;
};
std::optional<MarkedCopy> copyMarkedIn(int fd, const struct stat& st, const QByteArray& path);
// Removes the copy at `copyPath`, with its note, if it holds `token`, unless a running save or
// clearing holds it.
void removeCopyWithToken(const QByteArray& copyPath, const QByteArray& token);

// Where a reader finds the content of a file it opened and locked (shared).
struct Content {
    int fd = -1;        // the file itself, or the copy of its old content (then the reader's to close)
    qint64 offset = 0;  // where the content starts in it
    qint64 size = 0;    // its length as the system tells it
};
// A file that bears a mark reads as the copy it names: the write in place that left it was killed.
// `name` is the path it was opened by, beside which the copy lies when its folder has moved. `error`
// is set when the file bears a mark and that copy cannot be read, or holds no whole content.
Content contentOf(int fd, const struct stat& st, const QByteArray& name, QString& error);

// The file at `name`, open for writing and locked (exclusive) at once, as the clearing holds a file it
// settles; not open where another program's save holds it. `st` gets it.
ui::Descriptor lockForClearing(const QByteArray& name, struct stat& st);

// The clearing's decision on one copy left beside its file, never waiting for a file another program
// holds: put back into the file when the file bears the mark that holds the copy's token and the copy
// is whole (its length and checksum as its head says); removed when it was taken of this very file and
// no mark on the file names it any more (a save since took the mark away); else left (a save runs; the
// file was replaced and the copy may still be the content of its other names; a mark names it but it
// is not whole). What is no copy of this routine's making (no head) is left alone. Quiet.
void settleCopy(const QByteArray& copyPath);

// The same for the copy that the mark on the file `file` (`st`, at `name`, resolved, held as
// lockForClearing holds it) names, wherever it lies: the copy of a killed save through another name
// of the file, in another program folder. True where the mark leaves no content to read, for its copy
// is gone or not whole (and none that cannot be read may be it): the caller puts the file aside.
bool markLeavesNoContent(int file, const struct stat& st, const QByteArray& name);

// The copies of the routine's own left beside the file at `name`, under its name ("<name>.~….old").
std::vector<QByteArray> copiesBeside(const QByteArray& name);

// A copy made where no start clears (beside an exported file) leaves a note in the program folder: a
// link to it under its own name. The clearing follows the note at `notePath` to its copy, settles the
// copy, and removes the note once the copy is gone from beside its file, which is there (not a stick
// that is away, nor its empty mount point). What is no such note is left alone.
void settleNote(const QByteArray& notePath);

}  // namespace inplace
