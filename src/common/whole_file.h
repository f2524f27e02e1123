#pragma once
// The one way a file of the program folder is written: whole, through a temporary file beside it
// that replaces the old file only after every byte is known to be on the disk. Qt Core only, so the
// workbook core and QR can use it without the windows.
#include <QByteArray>
#include <QString>

// Writes `bytes` as the whole new content of `path`. Returns "" on success, else the reason, and
// then the old file is untouched and no temporary file is left. A file marked read-only is refused
// whoever runs the program. The parent folder must exist.
[[nodiscard]] QString writeWholeFile(const QString& path, const QByteArray& bytes);
