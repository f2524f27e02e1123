#pragma once
// The one way a file of the program folder is written: whole, through a temporary file beside it
// that replaces the old file only after every byte is known to be on the disk. Qt Core only, so the
// workbook core and QR can use it without the windows.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Writes `bytes` as the whole new content of `path`. Returns "" on success, else the reason, and
// then the old file is untouched and no temporary file is left. A file marked read-only is refused
// whoever runs the program. The parent folder must exist.
[[nodiscard]] QString writeWholeFile(const QString& path, const QByteArray& bytes);

struct WholeFile {
    QString path;
    QByteArray bytes;
};

// Writes each file as writeWholeFile does, their flushes to the disk side by side rather than one
// after another. A file that fails leaves the others to be written. Returns each file's reason, in
// order, "" for a file written.
[[nodiscard]] QStringList writeWholeFiles(const std::vector<WholeFile>& files);
