#pragma once
// The messages that name a file the program could not read or write: one short line naming the
// file as every message names it (ui::shownPath: "data/8.txt"), the reason in the details.
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/error.h"

namespace filemsg {

// One failure among several, for the details: "data/8.txt: нет доступа".
QString failureLine(const QString& path, const QString& reason);

// What is wrong with a line that should hold a number, for a message's reason: "в строке 2 не
// число: «abc»", a long line cut.
QString notANumber(qsizetype line, const QString& text);

// "Ошибка": "Не удалось прочитать файл «2.txt».", then `consequence` (what the program does about
// it, one short sentence) on the same line; the reason in the details.
void reportUnreadable(const QString& path, const QString& reason, const QString& consequence = {});

// "Ошибка": "Не удалось записать файл «data/pw.txt».", then `consequence`.
void reportUnwritable(const QString& path, const QString& reason, const QString& consequence = {});

// "Ошибка": the file bore the mark of a killed write without a whole copy of its old content, and
// was put aside under `backup` (see clearLeftovers): where its bytes went, and that the next save
// writes the file anew; `copies`, the copies of an old content left beside it, which may hold the only
// intact old content, are named in the details.
void reportSetAside(const QString& path, const QString& backup, const QStringList& copies = {});

// What a save could not write: one file named as reportUnwritable names it; several counted, "Не всё
// удалось сохранить, ошибок: 3.", each with its file and reason in the details. Nothing: no box.
void reportUnsaved(const std::vector<ui::Error>& failures);

}  // namespace filemsg
