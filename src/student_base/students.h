#pragma once
// The student base's rows as the main window's student picker reads them. Row 1 holds the column
// titles; students start at row 2.
#include <QString>
#include <QStringList>

namespace velmox::students {

// A cell's text on one line: the entry controls and the picker's list are one-line boxes, so each
// line break of a cell (CR LF, CR or LF) becomes a blank.
QString cellText(const QString& row, int column);

// How the picker lists the student of `row`: column A, a blank, column B.
QString pickerItem(const QString& row);

// The picker's list: rows from 2 up to the first whose column B is empty.
QStringList pickerItems();

}  // namespace velmox::students
