// The workbook's model: its sheets, their cells by name and position, and their extents.
#include "workbook/workbook.h"

#include <stdexcept>

#include "workbook/source_text.h"
#include "workbook/workbook_dom.h"

namespace workbook {

using namespace dom;

namespace dom {

std::pair<int, int> parseCellName(QStringView name) {
    const auto invalid = [&] {
        return std::invalid_argument("not a cell name: \"" + name.toString().toStdString() + "\"");
    };
    qsizetype i = 0;
    int column = 0;
    for (; i < name.size() && i < 4; ++i) {
        const char16_t c = QChar::toUpper(name[i].unicode());
        if (c < u'A' || c > u'Z') break;
        column = column * 26 + (c - u'A' + 1);
    }
    if (i == 0 || i > 3 || i == name.size() || name[i] == u'0') throw invalid();
    int row = 0;
    for (qsizetype digits = 0; i < name.size(); ++i, ++digits) {
        const char16_t c = name[i].unicode();
        if (c < u'0' || c > u'9' || digits == 7) throw invalid();
        row = row * 10 + (c - u'0');
    }
    if (row > kMaxRow || column > kMaxColumn) throw invalid();
    return {row, column};
}

void checkPosition(int row, int column) {
    if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) {
        throw std::invalid_argument("no cell at row " + std::to_string(row) + ", column " +
                                    std::to_string(column));
    }
}

}  // namespace dom

Worksheet::Worksheet(std::unique_ptr<Impl> impl) : d_(std::move(impl)) {}
Worksheet::~Worksheet() = default;

QString Worksheet::name() const {
    return d_->name;
}

CellValue Worksheet::cell(QStringView a1Name) const {
    const auto [row, column] = parseCellName(a1Name);
    return cell(row, column);
}

CellValue Worksheet::cell(int row, int column) const {
    checkPosition(row, column);
    const auto r = d_->rows.find(row);
    if (r == d_->rows.end()) return {};
    const Impl::CellSlot* slot = r->second.find(column);
    return slot ? readCell(slot->cell) : CellValue();
}

std::vector<Worksheet::FilledCell> Worksheet::filledCells() const {
    std::vector<FilledCell> cells;
    for (const auto& [row, rowSlot] : d_->rows) {
        for (const Impl::CellSlot& slot : rowSlot.cells) {
            if (CellValue value = readCell(slot.cell); !value.isEmpty())
                cells.push_back({row, slot.column, std::move(value)});
        }
    }
    return cells;
}

int Worksheet::rowCount() const {
    return d_->rowExtent;
}
int Worksheet::columnCount() const {
    return d_->columnExtent;
}

double Worksheet::defaultColumnWidth() const {
    return d_->defaultColumnWidth;
}
double Worksheet::defaultRowHeight() const {
    return d_->defaultRowHeight;
}
const std::map<int, double>& Worksheet::columnWidths() const {
    return d_->columnWidths;
}

Workbook::Workbook() : Workbook(QStringList{"Sheet1", "Sheet2", "Sheet3"}) {}

Workbook::Workbook(const QStringList& sheetNames, const std::optional<DesignStyle>& style) {
    if (sheetNames.isEmpty()) throw std::invalid_argument("a workbook needs at least one worksheet");
    loadFromBytes(designWorkbookXml(sheetNames, style));
}

Workbook::~Workbook() = default;
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;

Worksheet* Workbook::sheet(QStringView name) {
    return const_cast<Worksheet*>(static_cast<const Workbook*>(this)->sheet(name));
}

const Worksheet* Workbook::sheet(QStringView name) const {
    for (const auto& s : sheets_) {
        if (s->d_->name == name) return s.get();
    }
    // Sheet names are unique ignoring case in every spreadsheet program, so this finds at most one
    // that matters.
    for (const auto& s : sheets_) {
        if (s->d_->name.compare(name, Qt::CaseInsensitive) == 0) return s.get();
    }
    return nullptr;
}

Worksheet& Workbook::activeSheet() {
    return *sheets_[active_];
}
const Worksheet& Workbook::activeSheet() const {
    return *sheets_[active_];
}

QStringList Workbook::sheetNames() const {
    QStringList names;
    for (const auto& s : sheets_) names << s->d_->name;
    return names;
}

}  // namespace workbook
