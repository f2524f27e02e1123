#pragma once
// The spreadsheet component: one workbook of an XML spreadsheet file ("XML Spreadsheet 2003") held
// in memory. The whole document is kept, so an export writes back every worksheet, style, cell,
// unknown element, comment and processing instruction that was loaded, changed only where a cell
// was written. Element and attribute prefixes are resolved to their namespaces, so files written
// with "ss:" on every element and files using the default namespace read the same.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/error.h"
#include "workbook/cell_value.h"

namespace pugi {
class xml_document;
}  // namespace pugi

namespace workbook {

namespace dom {
class ParserBuffer;
class SourceText;
}  // namespace dom

// The largest sheet a workbook holds: row and column numbers above these are refused.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

// A view into one worksheet of a Workbook; valid until that workbook loads another file.
// Rows and columns are 1-based; a cell covered by another cell's MergeAcross reads as empty.
class Worksheet {
public:
    ~Worksheet();
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    QString name() const;

    // `a1Name` is a cell name such as "C7", "c7" or "AA10", in either letter case; any other text
    // throws std::invalid_argument, as does a row or column below 1.
    CellValue cell(QStringView a1Name) const;
    CellValue cell(int row, int column) const;

    // Stores a Number cell, creating its Row and Cell where needed without moving any other cell.
    void setInteger(QStringView a1Name, int16_t value);
    void setInteger(int row, int column, int16_t value);
    // The editable grid's write: "" removes the value and keeps the cell's style; a text that is
    // exactly the number form toText gives ("2019", "-1.5") is stored as a Number, anything else
    // ("007", "1,5", " 12") as a String, so every text reads back as it was typed.
    void setText(int row, int column, const QString& text);

    // Every cell that holds a value, row by row, then column by column.
    struct FilledCell {
        int row = 0;
        int column = 0;
        CellValue value;
        friend bool operator==(const FilledCell&, const FilledCell&) = default;
    };
    std::vector<FilledCell> filledCells() const;

    // The extent of the rows and columns that hold cells, for the grid view.
    int rowCount() const;
    int columnCount() const;

    // The sizes the file gives its grid, in points, as they were loaded: the table's default column
    // width and row height (0 where it gives none) and the widths of the columns it sizes itself,
    // by column number.
    double defaultColumnWidth() const;
    double defaultRowHeight() const;
    const std::map<int, double>& columnWidths() const;

private:
    friend class Workbook;
    struct Impl;
    explicit Worksheet(std::unique_ptr<Impl> impl);
    void setValue(int row, int column, const CellValue& value);
    std::unique_ptr<Impl> d_;
};

// Look of the cells of a design workbook, written as the workbook's "Default" style.
struct DesignStyle {
    QString fontName = QStringLiteral("Arial");
    double fontSize = 10;
    QString fillColor;  // "#E0FFFF"; empty for no fill
    bool thinBorders = false;
    double defaultColumnWidth = 48;   // points
    double defaultRowHeight = 12.75;  // points
};

class Workbook {
public:
    // The component's design workbook: empty sheets "Sheet1", "Sheet2" and "Sheet3", the first active.
    Workbook();
    // Another design workbook: these empty sheets (at least one), the first active.
    explicit Workbook(const QStringList& sheetNames, const std::optional<DesignStyle>& style = std::nullopt);
    ~Workbook();
    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;

    // Replaces the whole workbook with the file's. Throws ui::Error naming the file and the problem;
    // a failed load leaves the workbook as it was. Never fetches or expands anything external: a
    // document type declaration that declares entities is refused.
    void load(const QString& path);
    void loadFromBytes(const QByteArray& bytes);

    // Writes the whole workbook as UTF-8 through a temporary file renamed over `path`, so a failed
    // export throws ui::Error and leaves the old file as it was; a file that already holds exactly
    // these bytes is not written. `path` is used as given. Whatever still holds what a UTF-8 file
    // loaded keeps that file's own text (its layout, references, line ends, byte-order mark), so an
    // unchanged workbook gives back the file's very bytes and a changed one differs only where it
    // changed.
    void exportTo(const QString& path) const;
    QByteArray toBytes() const;

    // Exact name first, then ignoring letter case; nullptr if there is none.
    Worksheet* sheet(QStringView name);
    const Worksheet* sheet(QStringView name) const;
    // The sheet the file marks active (ExcelWorkbook/ActiveSheet, else a WorksheetOptions/Selected),
    // else the first.
    Worksheet& activeSheet();
    const Worksheet& activeSheet() const;
    QStringList sheetNames() const;

private:
    // Parses the text `read` gives into a new document and swaps it in only when all of it was read.
    void loadDocument(const std::function<dom::ParserBuffer()>& read, const QString& origin);

    std::unique_ptr<pugi::xml_document> doc_;
    std::unique_ptr<dom::SourceText> source_;  // the file's own text, for the export
    std::vector<std::unique_ptr<Worksheet>> sheets_;
    size_t active_ = 0;
};

}  // namespace workbook
