#pragma once
// The clearing of what killed saves left: run by a start that holds its program folder, before it
// reads anything. The protocol it keeps is stated in whole_file.h.
#include <QStringList>

// Clears what saves of `files` left beside them, each file followed through its links to where it
// really lies: the new contents of saves that were killed ("1.txt.~0k3f9a2.new") are removed, and the
// copies of old contents ("1.txt.~0k3f9a2.old") are put back into their file or removed. Only the
// routine's own names beside these files are touched, never what a running save holds. Quiet: what
// cannot be cleared stays for the next time.
void clearLeftovers(const QStringList& files);

// Settles the copies that writes in place made where no start clears (beside an exported file),
// which the program folder notes.
void clearNotedCopies();
