#pragma once
// The 21 saved value lists, data\1.txt to data\21.txt, as the main window and the value list editor
// both change them. Every change starts from the list's file as it is at that moment, so no change
// writes an older copy of a list over entries that another one has just written.
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "common/text_file.h"

namespace savedlists {

constexpr int kListCount = 21;

// data\N.txt in the program folder.
QString fileName(int n);

// The list file as it is now, read as textfile::readLines reads it; `known` (an earlier read of the
// same file) spares the decoding of bytes that did not change. A good read, or a missing file, lets
// the next failure of this file be told again.
textfile::ReadResult read(const QString& path, const textfile::ReadResult& known = {});

// The file's bytes for these entries: each ended by CR LF, in the code page unless the file had a
// byte-order mark (`utf8`) or an entry needs UTF-8. A list without entries is a file of zero bytes,
// also where the file had a mark.
QByteArray encode(const QStringList& entries, bool utf8);

// The duplicate rule of the merge: of each group of entries equal but for letter case, the top entry
// of the list stays if it belongs to the group, else the group's last entry; the survivors keep their
// order. `distinctButLast`: no two entries but the last are alike, so only the last one's group can
// hold two.
QStringList withoutDuplicates(const QStringList& entries, bool distinctButLast = false);

// The line of the file (`lines`, as it is now) that the delete of the entry shown at `shownIndex`
// removes, or nothing.
std::optional<qsizetype> lineToRemove(const QStringList& lines, int shownIndex, const QString& shownEntry);

// One change of a list, from its file as it is now up to the write.
struct Change {
    QString path;
    QString error{};                               // the file could not be read: nothing is written
    bool busy = false;                             // only because another program held it
    QStringList before{};                          // the file's entries as it was read
    QStringList after{};                           // the entries once the change is written
    std::optional<qsizetype> removed{};            // a delete: the line of `before` it removes
    std::optional<textfile::EncodedFile> write{};  // nothing: the file already holds these bytes
    QString merged{};                              // a merge: the text it adds
};

// The delete of the entry shown at `shownIndex` (-1: none) from the file as it is now. A file that
// cannot be read is never written. The data folder is not created: without it the lists were never
// saved there.
Change removeEntry(const QString& path, int shownIndex, const QString& shownEntry);

// Writes the change's file, if it has one to write; the failure, or nothing.
std::optional<ui::Error> write(const Change& change);

// The entries the file holds once the change is written, as a read of it gives them.
QStringList writtenEntries(const Change& change);

// One list file, with what its last merge learnt of it, so that a merge of the same text into the
// same bytes repeats no decoding, case folding or encoding, and writes nothing.
class ListFile {
public:
    explicit ListFile(QString path = {}) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    // The merge of `text` (not empty) into the file as it is now. The missing data folder is created.
    Change merge(const QString& text);
    // The change is on disk, or had nothing to write: the entries the file now holds.
    QStringList written(const Change& change);
    // The caller holds exactly the file's entries: those are kept here instead of a second copy.
    void shareEntries(const QStringList& same);

private:
    QString path_;
    textfile::ReadResult read_;  // the file as the last merge left it
    bool distinct_ = false;      // no two of its lines are equal but for letter case
    // A merge of this text into a file of exactly read_.bytes changes nothing: the merge depends only
    // on the two.
    std::optional<QString> settledText_;
};

// A list file that could not be read, and why.
struct Unreadable {
    QString path;
    QString reason;
    bool busy = false;  // another program held it for the moment
};

// Whether the operator has already been told that this file cannot be read, for this reason.
bool told(const Unreadable& failure);
// Marks the failure as told, by a message of the caller's own.
void markTold(const Unreadable& failure);
// One "Ошибка" box for the files of which the operator has not yet been told; the lists are shown
// empty and the files stay as they are. A file is named once for as long as it fails the same way.
// Files another program held are named in a box of their own, which says when they are read again:
// `readAgain`, at the next save where the window has one.
enum class ReadAgain { AtTheNextSave, AtTheEditorsNextOpening };
void reportUnreadable(const std::vector<Unreadable>& failures,
                      ReadAgain readAgain = ReadAgain::AtTheNextSave);
// A start tells of every list file it cannot read, whatever an earlier run in this process said.
void forgetTold();

}  // namespace savedlists
