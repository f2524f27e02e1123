#pragma once
// The spreadsheet's editable grid: the active worksheet of a workbook in a table view that looks
// like the design workbook (light cyan cells, thin borders, Arial 10, 48 pt columns, 12.75 pt
// rows). Typed text is stored through Worksheet::setText, so the grid never writes the file's XML
// itself.
#include <QAbstractTableModel>
#include <QTableView>

namespace workbook {

class Workbook;
class Worksheet;

class GridModel : public QAbstractTableModel {
public:
    // Empty rows and columns shown past the used range, more than a screen holds, so a new
    // student can always be typed below the last one.
    static constexpr int kSpareRows = 100;
    static constexpr int kSpareColumns = 40;

    explicit GridModel(Workbook& book, QObject* parent = nullptr);

    // Around a load that replaces the workbook's sheets: the view must drop every index first.
    void beginReplace();
    void endReplace();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void fitExtent();
    Workbook& book_;
    int rows_ = 0;
    int columns_ = 0;
};

// "A" for column 1, "Z" for 26, "AA" for 27.
QString columnName(int column);

class GridView : public QTableView {
public:
    explicit GridView(QWidget* parent = nullptr);
    // The sheet's own default column width and row height and its sized columns, where it gives
    // them; else the design workbook's 48 pt and 12.75 pt.
    void applySizes(const Worksheet& sheet);
    // Stores what the operator is typing into a cell, as leaving the cell would; a button press
    // does not take the focus, so without this "Сохранить" would miss the last cell typed.
    void commitPendingEdit();

protected:
    // Delete empties the selected cells.
    void keyPressEvent(QKeyEvent* event) override;
    // Enter stores the cell and moves down to the next row, as spreadsheet programs do.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
};

}  // namespace workbook
