#pragma once
// The clearing of what killed saves left: run by a start that holds its program folder, before it
// reads anything. The protocol it keeps is stated in whole_file.h.
#include <QStringList>

// Clears what killed saves left in the folders of `files`, each file followed through its links to
// where it really lies: the new contents of saves of these files that were killed
// ("1.txt.~0k3f9a2.new") are removed, and every copy of an old content that the routine made there
// ("out.xml.~0k3f9a2.old", headed as its copies are) is put back into its file or removed; so is the
// copy that a mark on one of `files` names wherever it lies (a killed save through another name of
// the file, from another program folder). Nothing else is touched, nor what a running save holds.
// Quiet: what cannot be cleared stays for the next time.
void clearLeftovers(const QStringList& files);

// Settles the copies that writes in place made where no start clears (beside an exported file),
// which the program folder notes.
void clearNotedCopies();
