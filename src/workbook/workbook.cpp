#include "workbook/workbook.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <utility>

#include "common/whole_file.h"

namespace workbook {

namespace {

constexpr std::string_view kSpreadsheetNs = "urn:schemas-microsoft-com:office:spreadsheet";
constexpr std::string_view kExcelNs = "urn:schemas-microsoft-com:office:excel";

// The largest sheet any spreadsheet program opens; also keeps index arithmetic far from overflow.
constexpr int kMaxRow = kMaxRows;
constexpr int kMaxColumn = kMaxColumns;

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}
std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

std::string_view prefixOf(std::string_view qname) {
    const auto colon = qname.find(':');
    return colon == std::string_view::npos ? std::string_view() : qname.substr(0, colon);
}

std::string_view localOf(std::string_view qname) {
    const auto colon = qname.find(':');
    return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

// The namespace declarations in force at one element. pugixml keeps qualified names as written, so
// prefixes are resolved here: what makes an element a spreadsheet Cell is its namespace, whether the
// file writes it "ss:Cell" or, under a default namespace, "Cell".
class NsScope {
public:
    static NsScope at(pugi::xml_node node) {
        std::vector<pugi::xml_node> chain;
        for (auto n = node; n && n.type() == pugi::node_element; n = n.parent()) chain.push_back(n);
        NsScope scope;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) scope.enter(*it);
        return scope;
    }

    size_t enter(pugi::xml_node element) {
        const size_t mark = bindings_.size();
        for (auto a : element.attributes()) {
            const std::string_view name = a.name();
            if (name == "xmlns") {
                bindings_.emplace_back(std::string_view(), a.value());
            } else if (name.starts_with("xmlns:")) {
                bindings_.emplace_back(name.substr(6), a.value());
            }
        }
        return mark;
    }
    void leave(size_t mark) { bindings_.resize(mark); }

    std::string_view uri(std::string_view prefix) const {
        for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it) {
            if (it->first == prefix) return it->second;
        }
        return {};
    }

    bool is(pugi::xml_node element, std::string_view ns, std::string_view local) const {
        const std::string_view name = element.name();
        return element.type() == pugi::node_element && localOf(name) == local && uri(prefixOf(name)) == ns;
    }

    // An attribute of the spreadsheet namespace. Attributes never take the default namespace, but
    // some writers leave the prefix off, so an unprefixed one is accepted when no prefixed one exists.
    pugi::xml_attribute attribute(pugi::xml_node element, std::string_view local) const {
        pugi::xml_attribute unprefixed;
        for (auto a : element.attributes()) {
            const std::string_view name = a.name();
            const std::string_view prefix = prefixOf(name);
            if (localOf(name) != local) continue;
            if (prefix.empty()) {
                unprefixed = a;
            } else if (uri(prefix) == kSpreadsheetNs) {
                return a;
            }
        }
        return unprefixed;
    }

    pugi::xml_node child(pugi::xml_node element, std::string_view ns, std::string_view local) {
        for (auto c : element.children()) {
            if (c.type() != pugi::node_element) continue;
            const size_t mark = enter(c);
            const bool found = is(c, ns, local);
            leave(mark);
            if (found) return c;
        }
        return {};
    }

private:
    std::vector<std::pair<std::string_view, std::string_view>> bindings_;
};

// A prefix bound to the spreadsheet namespace at `node`, declared on the root element if the file
// has none (a file that writes its attributes unprefixed).
std::string spreadsheetPrefix(pugi::xml_node node) {
    const NsScope scope = NsScope::at(node);
    if (scope.uri("ss") == kSpreadsheetNs) return "ss";
    for (auto n = node; n && n.type() == pugi::node_element; n = n.parent()) {
        for (auto a : n.attributes()) {
            const std::string_view name = a.name();
            if (name.starts_with("xmlns:") && a.value() == kSpreadsheetNs &&
                scope.uri(name.substr(6)) == kSpreadsheetNs) {
                return std::string(name.substr(6));
            }
        }
    }
    std::string prefix = "ss";
    for (int i = 1; !scope.uri(prefix).empty(); ++i) prefix = "ss" + std::to_string(i);
    pugi::xml_node root = node;
    while (root.parent().type() == pugi::node_element) root = root.parent();
    root.append_attribute(("xmlns:" + prefix).c_str()) = std::string(kSpreadsheetNs).c_str();
    return prefix;
}

void setAttribute(pugi::xml_node element, std::string_view local, const char* value) {
    if (auto a = NsScope::at(element).attribute(element, local)) {
        a.set_value(value);
        return;
    }
    const std::string name = spreadsheetPrefix(element) + ":" + std::string(local);
    element.append_attribute(name.c_str()) = value;
}

void setAttribute(pugi::xml_node element, std::string_view local, int value) {
    setAttribute(element, local, std::to_string(value).c_str());
}

void removeAttribute(pugi::xml_node element, std::string_view local) {
    if (auto a = NsScope::at(element).attribute(element, local)) element.remove_attribute(a);
}

// A sibling element named like its parent's children: "ss:Row" in "ss:Table", "Row" in "Table".
std::string siblingName(pugi::xml_node parent, std::string_view local) {
    const std::string_view prefix = prefixOf(parent.name());
    return prefix.empty() ? std::string(local) : std::string(prefix) + ":" + std::string(local);
}

pugi::xml_node whitespaceBefore(pugi::xml_node node) {
    const auto ws = node.previous_sibling();
    if (ws.type() != pugi::node_pcdata) return {};
    for (const char* c = ws.value(); *c; ++c) {
        if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r') return {};
    }
    return ws;
}

// New elements take the indentation of their neighbour, so a pretty-printed file stays readable and
// a diff of an export shows only what changed.
pugi::xml_node insertAfter(pugi::xml_node parent, const std::string& name, pugi::xml_node after) {
    if (!after) {
        for (auto c = parent.last_child(); c; c = c.previous_sibling()) {
            if (c.type() == pugi::node_element) {
                after = c;
                break;
            }
        }
    }
    if (!after) return parent.append_child(name.c_str());
    pugi::xml_node node = parent.insert_child_after(name.c_str(), after);
    if (auto ws = whitespaceBefore(after)) parent.insert_copy_after(ws, after);
    return node;
}

pugi::xml_node insertBefore(pugi::xml_node parent, const std::string& name, pugi::xml_node before) {
    pugi::xml_node node = parent.insert_child_before(name.c_str(), before);
    if (auto ws = whitespaceBefore(node)) parent.insert_copy_before(ws, before);
    return node;
}

QString dataText(pugi::xml_node data) {
    const auto first = data.first_child();
    if (first && !first.next_sibling() &&
        (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata)) {
        return qs(first.value());
    }
    // Rich text: <Data><B>Иванов</B> <Font html:Color="#FF0000">Қ</Font></Data>
    std::string text;
    struct Collect : pugi::xml_tree_walker {
        std::string* out;
        bool for_each(pugi::xml_node& n) override {
            if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) *out += n.value();
            return true;
        }
    } collect;
    collect.out = &text;
    data.traverse(collect);
    return QString::fromStdString(text);
}

CellValue readData(pugi::xml_node data) {
    if (!data) return {};
    const std::string_view type = NsScope::at(data).attribute(data, "Type").value();
    QString text = dataText(data);
    if (type == "Number") {
        const std::string ascii = text.trimmed().toStdString();
        double number = 0;
        const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), number);
        if (ec == std::errc() && end == ascii.data() + ascii.size() && std::isfinite(number) &&
            !ascii.empty()) {
            return CellValue::ofNumber(number);
        }
        return CellValue::ofText(std::move(text));  // a damaged number is kept as the text it is
    }
    if (type == "Boolean") {
        const QString t = text.trimmed();
        const bool on = t == u"1" || t.compare(u"true", Qt::CaseInsensitive) == 0;
        return {CellValue::Kind::Boolean, on ? 1.0 : 0.0, on ? QStringLiteral("1") : QStringLiteral("0")};
    }
    if (type == "DateTime") return {CellValue::Kind::DateTime, 0, std::move(text)};
    if (type == "Error") return {CellValue::Kind::Error, 0, std::move(text)};
    return CellValue::ofText(std::move(text));
}

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

struct ByteWriter : pugi::xml_writer {
    QByteArray bytes;
    void write(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), qsizetype(size));
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Worksheet: the DOM nodes of one sheet and an index row → column → cell, so a read by name is two
// map look-ups and a write finds its neighbours without scanning the table.

struct Worksheet::Impl {
    struct CellSlot {
        pugi::xml_node cell;
        pugi::xml_node data;  // null: a cell with no value (a styled empty cell)
        int last = 0;         // last column it covers (MergeAcross)
    };
    struct RowSlot {
        pugi::xml_node row;
        int last = 0;  // last row it covers (Span)
        std::map<int, CellSlot> cells;
    };

    pugi::xml_node sheet;
    pugi::xml_node table;  // null until the first write into a sheet without one
    QString name;
    bool selected = false;
    std::map<int, RowSlot> rows;
    int rowExtent = 0;
    int columnExtent = 0;
    double defaultColumnWidth = 0;
    double defaultRowHeight = 0;
    std::map<int, double> columnWidths;

    void index(NsScope& scope);
    RowSlot& ensureRow(int row);
    CellSlot& ensureCell(RowSlot& slot, int column);
    void ensureTable();
    void growExpandedCount(std::string_view attribute, int needed);
};

namespace {

int positionAttribute(pugi::xml_attribute a, int low, int high, const QString& sheet, const char* what) {
    const std::string_view text = a.value();
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        throw LoadError(QStringLiteral("worksheet \"%1\": %2 \"%3\" is not a whole number from %4 to %5")
                            .arg(sheet, QLatin1String(what), qs(a.value()))
                            .arg(low)
                            .arg(high)
                            .toStdString());
    }
    return value;
}

[[noreturn]] void outOfOrder(const QString& sheet, const char* what, int position, int previous) {
    throw LoadError(QStringLiteral("worksheet \"%1\": %2 %3 comes after %2 %4; positions must increase")
                        .arg(sheet, QLatin1String(what))
                        .arg(position)
                        .arg(previous)
                        .toStdString());
}

}  // namespace

void Worksheet::Impl::index(NsScope& scope) {
    name = qs(scope.attribute(sheet, "Name").value());
    for (auto child : sheet.children()) {
        if (child.type() != pugi::node_element) continue;
        const size_t mark = scope.enter(child);
        if (!table && scope.is(child, kSpreadsheetNs, "Table")) {
            table = child;
        } else if (scope.is(child, kExcelNs, "WorksheetOptions")) {
            selected = selected || scope.child(child, kExcelNs, "Selected");
        }
        scope.leave(mark);
    }
    if (!table) return;

    const size_t tableMark = scope.enter(table);
    defaultColumnWidth = std::max(0.0, scope.attribute(table, "DefaultColumnWidth").as_double());
    defaultRowHeight = std::max(0.0, scope.attribute(table, "DefaultRowHeight").as_double());
    int previousRow = 0;
    int previousColumnElement = 0;
    for (auto rowNode : table.children()) {
        if (rowNode.type() != pugi::node_element) continue;
        const size_t rowMark = scope.enter(rowNode);
        if (scope.is(rowNode, kSpreadsheetNs, "Column")) {
            // Only the grid's look reads these, so a column size that makes no sense is passed over.
            int first = previousColumnElement + 1;
            if (auto a = scope.attribute(rowNode, "Index")) first = a.as_int(first);
            const int span = std::clamp(scope.attribute(rowNode, "Span").as_int(0), 0, kMaxColumn);
            const double width = scope.attribute(rowNode, "Width").as_double(-1);
            if (first >= 1 && first <= kMaxColumn) {
                const int last = std::min(kMaxColumn, first + span);
                if (width >= 0)
                    for (int c = first; c <= last; ++c) columnWidths[c] = width;
                previousColumnElement = last;
            }
        } else if (scope.is(rowNode, kSpreadsheetNs, "Row")) {
            int number = previousRow + 1;
            if (auto a = scope.attribute(rowNode, "Index")) {
                number = positionAttribute(a, 1, kMaxRow, name, "row index");
                if (number <= previousRow) outOfOrder(name, "row", number, previousRow);
            }
            if (number > kMaxRow) outOfOrder(name, "row", number, kMaxRow);
            int span = 0;
            if (auto a = scope.attribute(rowNode, "Span"))
                span = positionAttribute(a, 0, kMaxRow - number, name, "row span");
            RowSlot& slot = rows[number];
            slot.row = rowNode;
            slot.last = number + span;
            previousRow = slot.last;

            int previousColumn = 0;
            for (auto cellNode : rowNode.children()) {
                if (cellNode.type() != pugi::node_element) continue;
                const size_t cellMark = scope.enter(cellNode);
                if (scope.is(cellNode, kSpreadsheetNs, "Cell")) {
                    int column = previousColumn + 1;
                    if (auto a = scope.attribute(cellNode, "Index")) {
                        column = positionAttribute(a, 1, kMaxColumn, name, "cell index");
                        if (column <= previousColumn) outOfOrder(name, "column", column, previousColumn);
                    }
                    if (column > kMaxColumn) outOfOrder(name, "column", column, kMaxColumn);
                    int merge = 0;
                    if (auto a = scope.attribute(cellNode, "MergeAcross")) {
                        merge = positionAttribute(a, 0, kMaxColumn - column, name, "MergeAcross");
                    }
                    CellSlot& cell = slot.cells[column];
                    cell.cell = cellNode;
                    cell.data = scope.child(cellNode, kSpreadsheetNs, "Data");
                    cell.last = column + merge;
                    previousColumn = cell.last;
                    rowExtent = std::max(rowExtent, number);
                    columnExtent = std::max(columnExtent, cell.last);
                }
                scope.leave(cellMark);
            }
        }
        scope.leave(rowMark);
    }
    scope.leave(tableMark);
}

void Worksheet::Impl::ensureTable() {
    if (table) return;
    // Table comes after the sheet's Names and before its options.
    NsScope scope = NsScope::at(sheet);
    pugi::xml_node names = scope.child(sheet, kSpreadsheetNs, "Names");
    const std::string tableName = siblingName(sheet, "Table");
    table = names ? insertAfter(sheet, tableName, names) : sheet.prepend_child(tableName.c_str());
}

void Worksheet::Impl::growExpandedCount(std::string_view attribute, int needed) {
    pugi::xml_attribute a = NsScope::at(table).attribute(table, attribute);
    if (a && a.as_llong() < needed) a.set_value(needed);
}

Worksheet::Impl::RowSlot& Worksheet::Impl::ensureRow(int row) {
    if (auto found = rows.find(row); found != rows.end()) return found->second;
    ensureTable();
    const std::string rowName = siblingName(table, "Row");
    auto next = rows.upper_bound(row);
    if (next != rows.begin()) {
        auto previous = std::prev(next);
        RowSlot& covering = previous->second;
        if (covering.last >= row) {
            // The row lies in another row's Span: split that run into the rows before, this row and
            // the rows after, each with the run's attributes, so every row keeps its formatting.
            const int first = previous->first;
            const int end = covering.last;
            const auto copyRun = [&](pugi::xml_node after, int span) {
                pugi::xml_node node = insertAfter(table, rowName, after);
                for (auto a : covering.row.attributes()) node.append_copy(a);
                removeAttribute(node, "Index");
                removeAttribute(node, "Span");
                if (span > 0) setAttribute(node, "Span", span);
                return node;
            };
            if (row - 1 > first) {
                setAttribute(covering.row, "Span", row - 1 - first);
            } else {
                removeAttribute(covering.row, "Span");
            }
            covering.last = row - 1;
            pugi::xml_node node = copyRun(covering.row, 0);
            if (end > row) rows[row + 1] = RowSlot{copyRun(node, end - row - 1), end, {}};
            return rows[row] = RowSlot{node, row, {}};
        }
        pugi::xml_node node = insertAfter(table, rowName, covering.row);
        if (row != covering.last + 1) setAttribute(node, "Index", row);
        return rows[row] = RowSlot{node, row, {}};
    }
    pugi::xml_node node =
        next != rows.end() ? insertBefore(table, rowName, next->second.row) : insertAfter(table, rowName, {});
    if (row != 1) setAttribute(node, "Index", row);
    return rows[row] = RowSlot{node, row, {}};
}

Worksheet::Impl::CellSlot& Worksheet::Impl::ensureCell(RowSlot& slot, int column) {
    auto& cells = slot.cells;
    if (auto found = cells.find(column); found != cells.end()) return found->second;
    const std::string cellName = siblingName(slot.row, "Cell");
    auto next = cells.upper_bound(column);
    pugi::xml_node node;
    if (next != cells.begin()) {
        CellSlot& before = std::prev(next)->second;
        const int first = std::prev(next)->first;
        if (before.last >= column) {
            // Inside a merged cell: the merge now ends before this column, and the cell after it,
            // if it was placed by counting, is pinned to its column.
            const int end = before.last;
            if (column - 1 > first) {
                setAttribute(before.cell, "MergeAcross", column - 1 - first);
            } else {
                removeAttribute(before.cell, "MergeAcross");
            }
            before.last = column - 1;
            if (end != column && next != cells.end()) setAttribute(next->second.cell, "Index", next->first);
        }
        node = insertAfter(slot.row, cellName, before.cell);
        if (column != before.last + 1) setAttribute(node, "Index", column);
    } else {
        node = next != cells.end() ? insertBefore(slot.row, cellName, next->second.cell)
                                   : insertAfter(slot.row, cellName, {});
        if (column != 1) setAttribute(node, "Index", column);
    }
    return cells[column] = CellSlot{node, {}, column};
}

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
    const auto c = r->second.cells.find(column);
    if (c == r->second.cells.end()) return {};
    return readData(c->second.data);
}

void Worksheet::setInteger(QStringView a1Name, int16_t value) {
    const auto [row, column] = parseCellName(a1Name);
    setInteger(row, column, value);
}

void Worksheet::setInteger(int row, int column, int16_t value) {
    setValue(row, column, CellValue::ofNumber(value));
}

void Worksheet::setText(int row, int column, const QString& text) {
    if (text.isEmpty()) return setValue(row, column, {});
    const auto number = parseNumberText(text);
    if (number && numberText(*number) == text) return setValue(row, column, CellValue::ofNumber(*number));
    setValue(row, column, CellValue::ofText(text));
}

void Worksheet::setValue(int row, int column, const CellValue& value) {
    checkPosition(row, column);
    if (value.isEmpty()) {
        const auto r = d_->rows.find(row);
        if (r == d_->rows.end()) return;
        const auto c = r->second.cells.find(column);
        if (c == r->second.cells.end()) return;
        Impl::CellSlot& slot = c->second;
        removeAttribute(slot.cell, "Formula");
        removeAttribute(slot.cell, "ArrayRange");
        if (slot.data) slot.cell.remove_child(slot.data);
        slot.data = {};
        return;
    }

    Impl::RowSlot& rowSlot = d_->ensureRow(row);
    Impl::CellSlot& slot = d_->ensureCell(rowSlot, column);
    // A written value replaces a formula: nothing here evaluates formulas, and a program that does
    // would otherwise overwrite the value with its result.
    removeAttribute(slot.cell, "Formula");
    removeAttribute(slot.cell, "ArrayRange");
    if (!slot.data) slot.data = slot.cell.prepend_child(siblingName(slot.cell, "Data").c_str());
    const bool number = value.kind == CellValue::Kind::Number;
    setAttribute(slot.data, "Type", number ? "Number" : "String");
    while (auto child = slot.data.first_child()) slot.data.remove_child(child);
    const std::string text = utf8(number ? numberText(value.number) : value.text);
    slot.data.append_child(pugi::node_pcdata).set_value(text.c_str());

    d_->rowExtent = std::max(d_->rowExtent, row);
    d_->columnExtent = std::max(d_->columnExtent, slot.last);
    // A program that reads ExpandedRowCount refuses a file whose cells lie beyond it.
    d_->growExpandedCount("ExpandedRowCount", std::prev(d_->rows.end())->second.last);
    d_->growExpandedCount("ExpandedColumnCount", d_->columnExtent);
}

std::vector<Worksheet::FilledCell> Worksheet::filledCells() const {
    std::vector<FilledCell> cells;
    for (const auto& [row, rowSlot] : d_->rows) {
        for (const auto& [column, slot] : rowSlot.cells) {
            if (slot.data) cells.push_back({row, column, readData(slot.data)});
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

// ---------------------------------------------------------------------------------------------------
// Workbook

namespace {

QByteArray designWorkbookXml(const QStringList& sheetNames, const std::optional<DesignStyle>& style) {
    QString xml = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<?mso-application progid=\"Excel.Sheet\"?>\n"
        "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\""
        " xmlns:x=\"urn:schemas-microsoft-com:office:excel\""
        " xmlns:c=\"urn:schemas-microsoft-com:office:component:spreadsheet\""
        " xmlns:html=\"http://www.w3.org/TR/REC-html40\">\n");
    QString tableAttributes;
    if (style) {
        xml += QStringLiteral(" <ss:Styles>\n  <ss:Style ss:ID=\"Default\" ss:Name=\"Normal\">\n");
        if (style->thinBorders) {
            xml += QStringLiteral("   <ss:Borders>\n");
            for (const char* side : {"Bottom", "Left", "Right", "Top"}) {
                xml +=
                    QStringLiteral(
                        "    <ss:Border ss:Position=\"%1\" ss:LineStyle=\"Continuous\" ss:Weight=\"1\"/>\n")
                        .arg(QLatin1String(side));
            }
            xml += QStringLiteral("   </ss:Borders>\n");
        }
        xml += QStringLiteral("   <ss:Font ss:FontName=\"%1\" ss:Size=\"%2\"/>\n")
                   .arg(style->fontName.toHtmlEscaped(), numberText(style->fontSize));
        if (!style->fillColor.isEmpty()) {
            xml += QStringLiteral("   <ss:Interior ss:Color=\"%1\" ss:Pattern=\"Solid\"/>\n")
                       .arg(style->fillColor.toHtmlEscaped());
        }
        xml += QStringLiteral("  </ss:Style>\n </ss:Styles>\n");
        tableAttributes =
            QStringLiteral(" ss:DefaultColumnWidth=\"%1\" ss:DefaultRowHeight=\"%2\"")
                .arg(numberText(style->defaultColumnWidth), numberText(style->defaultRowHeight));
    }
    for (const QString& name : sheetNames) {
        xml += QStringLiteral(" <ss:Worksheet ss:Name=\"%1\">\n  <ss:Table%2/>\n </ss:Worksheet>\n")
                   .arg(name.toHtmlEscaped(), tableAttributes);
    }
    xml += QStringLiteral("</ss:Workbook>\n");
    return xml.toUtf8();
}

std::pair<int, int> lineAndColumn(const QByteArray& text, ptrdiff_t offset) {
    int line = 1, column = 1;
    for (qsizetype i = 0; i < offset && i < text.size(); ++i) {
        if (text.at(i) == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return {line, column};
}

// pugixml reads UTF-8, UTF-16 and UTF-32 itself. Any other encoding named in the XML declaration
// (a hand-made file in windows-1251) is decoded here, and UTF-8 is checked, so Cyrillic is never
// read as garbage and printed on a diploma.
QByteArray toUtf8Document(const QByteArray& bytes, pugi::xml_encoding& encoding) {
    encoding = pugi::encoding_utf8;
    const auto checkedUtf8 = [](const QByteArray& text) {
        QStringDecoder check(QStringDecoder::Utf8);
        (void)QString(check(text));
        if (check.hasError()) throw LoadError("the text is not valid UTF-8");
        return text;
    };
    // The byte-order mark says UTF-8 whatever the declaration says; the text must still be it.
    if (bytes.startsWith("\xEF\xBB\xBF")) return checkedUtf8(bytes.mid(3));
    const bool wide = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ||
                      bytes.startsWith(QByteArray("\0\0\xFE\xFF", 4)) ||
                      (bytes.size() >= 2 && bytes[0] == 0) || (bytes.size() >= 2 && bytes[1] == 0);
    if (wide) {
        encoding = pugi::encoding_auto;
        return bytes;
    }
    static const QRegularExpression declaration(
        QStringLiteral(R"(^\s*<\?xml\s[^>]*?encoding\s*=\s*["']([^"']*)["'])"));
    const auto match = declaration.match(QString::fromLatin1(bytes.left(512)));
    const QString name = match.hasMatch() ? match.captured(1) : QStringLiteral("UTF-8");
    const QString key = name.toLower().remove(u'-').remove(u'_');
    if (key == u"utf8") return checkedUtf8(bytes);
    QStringDecoder decoder(name.toLatin1().constData());
    if (!decoder.isValid()) throw LoadError(("unsupported text encoding \"" + name + "\"").toStdString());
    const QString text = decoder(bytes);
    if (decoder.hasError()) throw LoadError(("the text is not valid " + name).toStdString());
    return text.toUtf8();
}

// True when `s` is well-formed UTF-8 of Unicode scalar values: no surrogates, nothing beyond U+10FFFF,
// no overlong forms.
bool isUnicodeText(const char* s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    while (*p) {
        const unsigned char c = *p++;
        if (c < 0x80) continue;
        int more;
        unsigned low = 0x80, high = 0xBF;  // the allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (*p < low || *p > high) return false;
        ++p;
        for (int i = 1; i < more; ++i, ++p) {
            if (*p < 0x80 || *p > 0xBF) return false;
        }
    }
    return true;
}

// Makes the parsed text what an export writes back and a new load reads the same:
// - The parser turns a character reference beyond Unicode ("&#x110000;", or one so long that it
//   wraps) or a lone surrogate into bytes that are no UTF-8; such a file is refused.
// - A carriage return from "&#13;" in element text is written back as a bare one, which the next
//   load reads as a line feed; it becomes a line feed now (CR LF one line feed), as a typed line
//   end does. Attribute values keep theirs: those are written back as references.
void settleText(pugi::xml_document& doc) {
    struct Walk : pugi::xml_tree_walker {
        bool ok = true;
        bool for_each(pugi::xml_node& n) override {
            ok = isUnicodeText(n.name()) && isUnicodeText(n.value());
            for (auto a = n.first_attribute(); ok && a; a = a.next_attribute())
                ok = isUnicodeText(a.name()) && isUnicodeText(a.value());
            if (ok && n.type() == pugi::node_pcdata && std::strchr(n.value(), '\r')) {
                std::string text = n.value();
                size_t out = 0;
                for (size_t i = 0; i < text.size(); ++i) {
                    if (text[i] == '\r') {
                        text[out++] = '\n';
                        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
                    } else {
                        text[out++] = text[i];
                    }
                }
                text.resize(out);
                n.set_value(text.c_str());
            }
            return ok;
        }
    } walk;
    doc.traverse(walk);
    if (!walk.ok)
        throw LoadError("the text holds a character that Unicode does not have (a bad character reference)");
}

}  // namespace

Workbook::Workbook() : Workbook(QStringList{"Sheet1", "Sheet2", "Sheet3"}) {}

Workbook::Workbook(const QStringList& sheetNames, const std::optional<DesignStyle>& style) {
    if (sheetNames.isEmpty()) throw std::invalid_argument("a workbook needs at least one worksheet");
    loadDocument(designWorkbookXml(sheetNames, style), {});
}

Workbook::~Workbook() = default;
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;

void Workbook::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw LoadError((path + ": " + file.errorString()).toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw LoadError((path + ": " + file.errorString()).toStdString());
    loadDocument(bytes, path);
}

void Workbook::loadFromBytes(const QByteArray& bytes) {
    loadDocument(bytes, {});
}

void Workbook::loadDocument(const QByteArray& bytes, const QString& origin) {
    try {
        if (bytes.trimmed().isEmpty()) throw LoadError("the file is empty");
        pugi::xml_encoding encoding;
        const QByteArray text = toUtf8Document(bytes, encoding);

        auto doc = std::make_unique<pugi::xml_document>();
        // Whitespace text is kept so that an export reproduces the file's own layout.
        constexpr unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_pi |
                                     pugi::parse_comments | pugi::parse_doctype | pugi::parse_ws_pcdata;
        const pugi::xml_parse_result parsed =
            doc->load_buffer(text.constData(), size_t(text.size()), options, encoding);
        if (!parsed) {
            if (encoding == pugi::encoding_utf8) {
                const auto [line, column] = lineAndColumn(text, parsed.offset);
                throw LoadError(QStringLiteral("not well-formed XML at line %1, column %2: %3")
                                    .arg(line)
                                    .arg(column)
                                    .arg(QLatin1String(parsed.description()))
                                    .toStdString());
            }
            throw LoadError(QStringLiteral("not well-formed XML at character %1: %2")
                                .arg(parsed.offset)
                                .arg(QLatin1String(parsed.description()))
                                .toStdString());
        }
        settleText(*doc);
        for (auto node : doc->children()) {
            // pugixml expands no entities, but a file that declares them expects something else
            // than what would be read: refuse it rather than show unexpanded references.
            if (node.type() == pugi::node_doctype &&
                std::string_view(node.value()).find("<!ENTITY") != std::string_view::npos) {
                throw LoadError("the document type declaration declares entities, which are not accepted");
            }
        }

        pugi::xml_node root = doc->document_element();
        NsScope scope;
        scope.enter(root);
        if (!scope.is(root, kSpreadsheetNs, "Workbook")) {
            throw LoadError(("not an XML spreadsheet: the root element is <" + qs(root.name()) +
                             ">, not a Workbook of " + QLatin1String(kSpreadsheetNs.data()))
                                .toStdString());
        }

        std::vector<std::unique_ptr<Worksheet>> sheets;
        std::optional<long long> activeIndex;
        for (auto child : root.children()) {
            if (child.type() != pugi::node_element) continue;
            const size_t mark = scope.enter(child);
            if (scope.is(child, kSpreadsheetNs, "Worksheet")) {
                auto impl = std::make_unique<Worksheet::Impl>();
                impl->sheet = child;
                impl->index(scope);
                sheets.push_back(std::unique_ptr<Worksheet>(new Worksheet(std::move(impl))));
            } else if (scope.is(child, kExcelNs, "ExcelWorkbook")) {
                if (auto active = scope.child(child, kExcelNs, "ActiveSheet"))
                    activeIndex = active.text().as_llong(-1);
            }
            scope.leave(mark);
        }
        if (sheets.empty()) throw LoadError("the workbook has no worksheet");

        size_t active = 0;
        if (activeIndex && *activeIndex >= 0 && size_t(*activeIndex) < sheets.size()) {
            active = size_t(*activeIndex);
        } else {
            for (size_t i = 0; i < sheets.size(); ++i) {
                if (sheets[i]->d_->selected) {
                    active = i;
                    break;
                }
            }
        }

        // The export always writes UTF-8, so the declaration must say so.
        pugi::xml_node declaration = doc->first_child();
        if (declaration.type() != pugi::node_declaration) {
            declaration = doc->prepend_child(pugi::node_declaration);
            declaration.append_attribute("version") = "1.0";
        }
        if (auto a = declaration.attribute("encoding")) {
            a.set_value("UTF-8");
        } else if (auto version = declaration.attribute("version")) {
            declaration.insert_attribute_after("encoding", version) = "UTF-8";
        } else {
            declaration.prepend_attribute("encoding") = "UTF-8";
            declaration.prepend_attribute("version") = "1.0";
        }

        doc_ = std::move(doc);
        sheets_ = std::move(sheets);
        active_ = active;
    } catch (const LoadError& e) {
        if (origin.isEmpty()) throw;
        throw LoadError((origin + ": " + QString::fromStdString(e.what())).toStdString());
    }
}

QByteArray Workbook::toBytes() const {
    ByteWriter writer;
    // Each node outside the root on its own line: the parser keeps no whitespace there.
    for (auto node : doc_->children()) {
        node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        writer.bytes += '\n';
    }
    return writer.bytes;
}

void Workbook::exportTo(const QString& path) const {
    const QString failure = writeWholeFile(path, toBytes());
    if (!failure.isEmpty()) throw ExportError((path + ": " + failure).toStdString());
}

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
