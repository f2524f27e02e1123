#pragma once
// The flushes of the one file routine, seen from a test: what was flushed, and a save killed at a
// chosen flush, in a forked child, so that the test sees exactly what a kill (or a power cut, for a
// flush not yet done) leaves on the disk: the child ends with no destructor run and every lock it
// held dropped, as a killed program does.
#include <QByteArray>
#include <QString>

// The flushes of a write in place, in their order. A copy made where no start clears adds the flush
// of the program folder that takes its note after CopyFolder.
enum InPlaceFlush { CopyFlush = 1, CopyFolderFlush, MarkFlush, ContentFlush, CutFlush };

// Writes `bytes` to `path` through the one file routine and ends the process at the start of its
// `flush`th flush to the disk (counting from 1), before that flush is done.
void killSaveAtFlush(const QString& path, const QByteArray& bytes, int flush);

// What the descriptor `fd` that a save flushes is: a file by its name, a folder by its path and "/".
QString flushedName(int fd);
