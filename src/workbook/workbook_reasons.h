#pragma once
// Every reason a workbook gives for a file it cannot load, in the short Russian the operator reads on
// a message's "Причина:" line. Kept together, apart from the code that finds the faults.
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>

namespace workbook::reason {

// A line and a position in it, both counted from 1; a file over 2 GiB has more of either than an int holds.
using Place = std::pair<qsizetype, qsizetype>;

// The place of the byte at `offset` in UTF-8 text, its position counted in characters; a
// byte-order mark at the start is no character.
Place placeOf(QByteArrayView text, qsizetype offset);
// The place reached from `from` once `text` is passed.
Place advance(Place from, QByteArrayView text);

QString emptyFile();
// The parser's refusal (its pugi::xml_parse_status), where in the text it stopped.
QString notWellFormed(int parserStatus, const std::optional<Place>& place);
QString notUtf8(const Place& place);
QString unknownEncoding(const QString& name);
QString notInEncoding(const QString& name);
QString noSuchCharacter(const std::optional<Place>& place);
QString declaresEntities();
// A prefix used in the qualified name `name` that no xmlns declaration in force binds.
QString undeclaredPrefix(const QString& name, const std::optional<Place>& place);
// `namedWorkbook`: the root is a Workbook, but of another namespace.
QString notASpreadsheet(const QString& rootElement, bool namedWorkbook);
QString noWorksheet();

// What a number of a worksheet places.
enum class Position { RowIndex, RowSpan, CellIndex, MergeAcross };
QString notAWholeNumber(const QString& sheet, Position what, const QString& text, int low, int high);
QString rowOutOfOrder(const QString& sheet, int row, int previous);
QString columnOutOfOrder(const QString& sheet, int column, int previous);
QString rowBeyondTheSheet(const QString& sheet, int row);
QString columnBeyondTheSheet(const QString& sheet, int column);

// The layout workbook "1.xml" without the sheet that holds the field places and captions.
QString noLayoutSheet();

}  // namespace workbook::reason
