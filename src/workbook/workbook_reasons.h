#pragma once
// Every reason a workbook gives for a file it cannot load, in the short Russian the operator reads on
// a message's "Причина:" line. Kept together, apart from the code that finds the faults.
#include <QString>
#include <optional>
#include <utility>

namespace workbook::reason {

// A line and a position in it, both counted from 1.
using Place = std::pair<int, int>;

QString emptyFile();
// The parser's refusal (its pugi::xml_parse_status), where in the text it stopped.
QString notWellFormed(int parserStatus, const std::optional<Place>& place);
QString notUtf8(const Place& place);
QString unknownEncoding(const QString& name);
QString notInEncoding(const QString& name);
QString noSuchCharacter(const std::optional<Place>& place);
QString declaresEntities();
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
