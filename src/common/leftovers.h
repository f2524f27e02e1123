#pragma once
// The clearing of what killed saves left: run by a start that holds its program folder, before it
// reads anything. The protocol it keeps is stated in whole_file.h. It never waits for a file that
// another program holds: what a running save holds is left for the next start.
#include <QString>
#include <QStringList>
#include <vector>

// A file whose killed write in place left a mark but no whole copy of its old content: its bytes, as
// they lay, were put aside under the backup name, and the file's name is free for the next save.
struct SetAsideFile {
    QString file, backup;
};

// Clears what killed saves left in the folders of `files` (and of `namedAfter`, names that only the
// routine's own unfinished files are named after, such as the student base's backups), each followed
// through its links to where it really lies: the new contents of saves of these files that were killed
// ("1.txt.~0k3f9a2.new") are removed, and every copy of an old content that the routine made there
// ("out.xml.~0k3f9a2.old", headed as its copies are) is put back into its file or removed; so is the
// copy that a mark on one of `files` names wherever it lies (a killed save through another name of
// the file, from another program folder). One of `files` whose mark names a copy that is gone or not
// whole is put aside, and returned. Nothing else is touched, nor what a running save holds. Quiet:
// what cannot be cleared stays for the next time.
std::vector<SetAsideFile> clearLeftovers(const QStringList& files, const QStringList& namedAfter = {});

// Settles the copies that writes in place made where no start clears (beside an exported file),
// which the program folder notes.
void clearNotedCopies();
