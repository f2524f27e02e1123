#include "workbook/grid_model.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

#include "platform/font.h"
#include "platform/units.h"
#include "workbook/workbook.h"

namespace workbook {

namespace {
constexpr double kColumnWidthPoints = 48;
constexpr double kRowHeightPoints = 12.75;
const QColor kCellFill(0xE0, 0xFF, 0xFF);

int pixels(double points) {
    return ui::Twips::fromPoints(points).toPixels();
}
}  // namespace

QString columnName(int column) {
    QString name;
    for (int c = column; c > 0; c = (c - 1) / 26) name.prepend(QChar(u'A' + (c - 1) % 26));
    return name;
}

namespace {
// The used range and the spare rows and columns for typing, never past the sheet's last cell.
int shownRows(const Worksheet& s) {
    return std::min(s.rowCount() + GridModel::kSpareRows, kMaxRows);
}
int shownColumns(const Worksheet& s) {
    return std::min(s.columnCount() + GridModel::kSpareColumns, kMaxColumns);
}
}  // namespace

GridModel::GridModel(Workbook& book, QObject* parent) : QAbstractTableModel(parent), book_(book) {
    rows_ = shownRows(book_.activeSheet());
    columns_ = shownColumns(book_.activeSheet());
}

void GridModel::beginReplace() {
    beginResetModel();
}

void GridModel::endReplace() {
    rows_ = shownRows(book_.activeSheet());
    columns_ = shownColumns(book_.activeSheet());
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return toText(book_.activeSheet().cell(index.row() + 1, index.column() + 1));
        case Qt::TextAlignmentRole: {
            // Numbers stand to the right, text to the left, as in every spreadsheet program.
            const bool number =
                book_.activeSheet().cell(index.row() + 1, index.column() + 1).kind == CellValue::Kind::Number;
            return int((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        }
        default:
            return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const QString text = value.toString();
    if (toText(book_.activeSheet().cell(index.row() + 1, index.column() + 1)) == text) return false;
    book_.activeSheet().setText(index.row() + 1, index.column() + 1, text);
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, Qt::TextAlignmentRole});
    fitExtent();
    return true;
}

void GridModel::fitExtent() {
    const int rows = shownRows(book_.activeSheet());
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
    const int columns = shownColumns(book_.activeSheet());
    if (columns > columns_) {
        beginInsertColumns({}, columns_, columns - 1);
        columns_ = columns;
        endInsertColumns();
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    return orientation == Qt::Horizontal ? QVariant(columnName(section + 1)) : QVariant(section + 1);
}

GridView::GridView(QWidget* parent) : QTableView(parent) {
    setFont(ui::toScreenFont({QStringLiteral("Arial"), 10}));
    QPalette pal = palette();
    pal.setColor(QPalette::Base, kCellFill);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    // The grid lines are the cells' thin continuous borders.
    setStyleSheet(QStringLiteral("QTableView { gridline-color: #000000; }"));
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    horizontalHeader()->setMinimumSectionSize(8);
    horizontalHeader()->setDefaultSectionSize(pixels(kColumnWidthPoints));
    verticalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setDefaultSectionSize(pixels(kRowHeightPoints));
    // Every row the same height: a view of ten thousand students never measures its rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

void GridView::applySizes(const Worksheet& sheet) {
    const double column = sheet.defaultColumnWidth() > 0 ? sheet.defaultColumnWidth() : kColumnWidthPoints;
    const double row = sheet.defaultRowHeight() > 0 ? sheet.defaultRowHeight() : kRowHeightPoints;
    horizontalHeader()->setDefaultSectionSize(std::max(8, pixels(column)));
    verticalHeader()->setDefaultSectionSize(std::max(8, pixels(row)));
    const int columns = model() ? model()->columnCount() : 0;
    for (const auto& [number, width] : sheet.columnWidths())
        if (number <= columns && width >= 1) setColumnWidth(number - 1, pixels(width));
}

void GridView::commitPendingEdit() {
    if (state() != QAbstractItemView::EditingState) return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState && model()) {
        for (const QModelIndex& index : selectionModel()->selectedIndexes())
            model()->setData(index, QString(), Qt::EditRole);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (hint != QAbstractItemDelegate::SubmitModelCache) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const QModelIndex below = currentIndex().siblingAtRow(currentIndex().row() + 1);
    if (below.isValid()) setCurrentIndex(below);
}

}  // namespace workbook
