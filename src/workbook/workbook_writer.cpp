// The workbook's writer: cell writes that keep the rest of the document as it was, a new
// workbook's document, and the export.
#include <QFile>
#include <algorithm>
#include <cstring>

#include "common/whole_file.h"
#include "workbook/source_text.h"
#include "workbook/workbook_dom.h"

namespace workbook {

using namespace dom;

namespace {

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

// True when the cell already holds just this value, with no formula that the write would replace.
bool holdsExactly(pugi::xml_node cell, pugi::xml_node data, const char* type, const std::string& text) {
    // The text first: it is what a write most often changes, and the cheapest to compare.
    const pugi::xml_node only = data.first_child();
    if (!only || only.next_sibling() || only.type() != pugi::node_pcdata || only.value() != text)
        return false;
    const NsScope scope = NsScope::at(data);
    return !scope.attribute(cell, "Formula") && !scope.attribute(cell, "ArrayRange") &&
           std::string_view(scope.attribute(data, "Type").value()) == type;
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

}  // namespace

namespace dom {

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

}  // namespace dom

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
    if (CellSlot* found = slot.find(column)) return *found;
    auto& cells = slot.cells;
    const std::string cellName = siblingName(slot.row, "Cell");
    auto next = slot.after(column);
    pugi::xml_node node;
    if (next != cells.begin()) {
        CellSlot& before = *std::prev(next);
        const int first = before.column;
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
            if (end != column && next != cells.end()) setAttribute(next->cell, "Index", next->column);
        }
        node = insertAfter(slot.row, cellName, before.cell);
        if (column != before.last + 1) setAttribute(node, "Index", column);
    } else {
        node = next != cells.end() ? insertBefore(slot.row, cellName, next->cell)
                                   : insertAfter(slot.row, cellName, {});
        if (column != 1) setAttribute(node, "Index", column);
    }
    return *cells.insert(next, CellSlot{node, column, column});
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
        Impl::CellSlot* slot = r->second.find(column);
        if (!slot) return;
        removeAttribute(slot->cell, "Formula");
        removeAttribute(slot->cell, "ArrayRange");
        if (pugi::xml_node data = dataOf(slot->cell)) slot->cell.remove_child(data);
        return;
    }

    Impl::RowSlot& rowSlot = d_->ensureRow(row);
    Impl::CellSlot& slot = d_->ensureCell(rowSlot, column);
    const bool number = value.kind == CellValue::Kind::Number;
    const char* type = number ? "Number" : "String";
    const std::string text = utf8(number ? numberText(value.number) : value.text);
    pugi::xml_node data = dataOf(slot.cell);
    if (holdsExactly(slot.cell, data, type, text)) return;  // the file's own text stays as it was
    // A written value replaces a formula: nothing here evaluates formulas, and a program that does
    // would otherwise overwrite the value with its result.
    removeAttribute(slot.cell, "Formula");
    removeAttribute(slot.cell, "ArrayRange");
    if (!data) data = slot.cell.prepend_child(siblingName(slot.cell, "Data").c_str());
    setAttribute(data, "Type", type);
    while (auto child = data.first_child()) data.remove_child(child);
    data.append_child(pugi::node_pcdata).set_value(text.c_str());

    d_->rowExtent = std::max(d_->rowExtent, row);
    d_->columnExtent = std::max(d_->columnExtent, slot.last);
    // A program that reads ExpandedRowCount refuses a file whose cells lie beyond it.
    d_->growExpandedCount("ExpandedRowCount", std::prev(d_->rows.end())->second.last);
    d_->growExpandedCount("ExpandedColumnCount", d_->columnExtent);
}

QByteArray Workbook::toBytes() const {
    return source_->write(*doc_);
}

namespace dom {

// The export's bytes: the kept text as it was, the parser's writing with the file's own line ends.
class SourceText::Output : public pugi::xml_writer {
public:
    explicit Output(bool crlf) : crlf_(crlf) {}

    void write(const void* data, size_t size) override {
        written(std::string_view(static_cast<const char*>(data), size));
    }
    void written(std::string_view text) {
        if (!crlf_) {
            bytes.append(text.data(), qsizetype(text.size()));
            return;
        }
        for (size_t from = 0; from < text.size();) {
            const void* lf = std::memchr(text.data() + from, '\n', text.size() - from);
            const size_t to = lf ? size_t(static_cast<const char*>(lf) - text.data()) : text.size();
            bytes.append(text.data() + from, qsizetype(to - from));
            if (!lf) break;
            if (!(to > from ? text[to - 1] == '\r' : afterCr_)) bytes += '\r';
            bytes += '\n';
            from = to + 1;
        }
        afterCr_ = !text.empty() && text.back() == '\r';
    }
    void kept(std::string_view text) {
        bytes.append(text.data(), qsizetype(text.size()));
        afterCr_ = false;
    }

    QByteArray bytes;

private:
    bool crlf_;
    bool afterCr_ = false;  // the written text so far ends in a carriage return
};

QByteArray SourceText::write(const pugi::xml_document& doc) const {
    Output out(crlf_);
    if (byteOrderMark_) out.kept("\xEF\xBB\xBF");
    // The text between the nodes outside the root element, while those are the nodes loaded.
    bool gaps = !gaps_.empty();
    size_t count = 0;
    for (auto n : doc.children()) {
        gaps = gaps && count < top_.size() && top_[count] == identity(n);
        ++count;
    }
    gaps = gaps && count == top_.size();
    if (gaps) out.kept(gaps_.front());
    size_t i = 0;
    for (auto n : doc.children()) {
        writeTree(out, n);
        if (gaps) {
            out.kept(gaps_[++i]);
        } else {
            out.written("\n");  // the parser keeps no text there
        }
    }
    return std::move(out.bytes);
}

QByteArray SourceText::declarationText(const pugi::xml_document& doc) const {
    Output out(crlf_);
    if (const pugi::xml_node first = doc.first_child(); first.type() == pugi::node_declaration)
        writeTree(out, first);
    return std::move(out.bytes);
}

void SourceText::writeTree(Output& out, pugi::xml_node top) const {
    if (kept_.empty()) {
        top.print(out, "", pugi::format_raw, pugi::encoding_utf8);
        return;
    }
    // Elements that are kept or hold a kept node are written here, the rest by the parser. A loop,
    // not a recursion, so that no depth of nesting runs out of stack.
    std::vector<std::pair<pugi::xml_node, const Kept*>> open;
    pugi::xml_node node = top;
    while (true) {
        const Kept* kept = keptFor(node);
        if (node.type() == pugi::node_element && (kept || aboveKept_.contains(node.name()))) {
            if (writeStart(out, node, kept)) {
                if (pugi::xml_node child = node.first_child()) {
                    open.emplace_back(node, kept);
                    node = child;
                    continue;
                }
                writeEnd(out, node, kept);
            }
        } else if (kept) {
            out.kept(kept->text);
        } else {
            node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
        }
        while (true) {
            if (open.empty()) return;
            if (pugi::xml_node sibling = node.next_sibling()) {
                node = sibling;
                break;
            }
            const auto [parent, parentKept] = open.back();
            open.pop_back();
            writeEnd(out, parent, parentKept);
            node = parent;
        }
    }
}

// Returns whether an end tag follows.
bool SourceText::writeStart(Output& out, pugi::xml_node element, const Kept* kept) const {
    const bool children = bool(element.first_child());
    if (kept) {
        // `<a/>` that has since got children is written anew.
        const bool empty = kept->text.ends_with("/>");
        if (!empty || !children) {
            out.kept(kept->text);
            return !empty;
        }
    }
    std::string tag;
    appendStartTag(tag, element);
    out.written(tag);
    return children;
}

void SourceText::writeEnd(Output& out, pugi::xml_node element, const Kept* kept) const {
    if (kept && !kept->end.empty()) return out.kept(kept->end);
    out.written("</");
    out.written(element.name());
    out.written(">");
}

}  // namespace dom

void Workbook::exportTo(const QString& path) const {
    const QByteArray bytes = toBytes();
    // A file that already holds these very bytes is left alone: no write, no flush to the disk.
    if (QFile file(path);
        file.size() == bytes.size() && file.open(QIODevice::ReadOnly) && file.readAll() == bytes)
        return;
    const QString failure = writeWholeFile(path, bytes);
    if (!failure.isEmpty()) throw ui::Error(path, failure);
}

}  // namespace workbook
