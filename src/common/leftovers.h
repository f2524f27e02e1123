#pragma once
// The clearing of what killed saves left: run by a start that holds its program folder, before it
// reads anything. The protocol it keeps is stated in whole_file.h. It never waits for a file that
// another program holds: what a running save holds is left for the next start.
#include <QString>
#include <QStringList>
#include <vector>

// A file whose killed write in place left a mark but no whole copy of its old content: its bytes, as
// they lay, were put aside under the backup name, and the file's name is free for the next save.
// `copies` are the copies of an old content still left beside it (cut, changed or taken of another
// file), which may hold the only intact old content there is.
struct SetAsideFile {
    QString file, backup;
    QStringList copies;
};

// Clears what killed saves left in the folders of `files`, each followed through its links to where it
// really lies: the unfinished files of saves of these files that were killed ("1.txt.~0k3f9a2.new"),
// and of their backups ("2.xml.bak.~0k3f9a2.new", named after a file's first backup name), are
// removed, and every copy of an old content that the routine made there
// ("out.xml.~0k3f9a2.old", headed as its copies are) is put back into its file or removed; so is the
// copy that a mark on one of `files` names wherever it lies (a killed save through another name of
// the file, from another program folder). One of `files` whose mark names a copy that is gone or not
// whole is put aside, and returned. Nothing else is touched, nor what a running save holds. Quiet:
// what cannot be cleared stays for the next time.
std::vector<SetAsideFile> clearLeftovers(const QStringList& files);

// Settles the copies that writes in place made where no start clears (beside an exported file),
// which the program folder notes.
void clearNotedCopies();
