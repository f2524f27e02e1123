#pragma once
// The messages that name a file the program could not read or write: one short line with the name
// the operator knows, the full path and the reason in the details.
#include <QString>

namespace filemsg {

// A file as the operator knows it: its name inside the program folder ("2.txt", "data\5.txt"), else
// its full path, with the system's separators.
QString shownName(const QString& path);

// The details of a failure: the full path and the reason, one to a line.
QString details(const QString& path, const QString& reason);

// "Ошибка": "Не удалось прочитать файл «2.txt».", then `consequence` (what the program does about
// it, one short sentence) on the same line.
void reportUnreadable(const QString& path, const QString& reason, const QString& consequence = {});

// "Ошибка": "Не удалось записать файл «data\pw.txt».", then `consequence`.
void reportUnwritable(const QString& path, const QString& reason, const QString& consequence = {});

}  // namespace filemsg
