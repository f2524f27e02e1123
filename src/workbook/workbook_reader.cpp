// The workbook's reader: a file's bytes to a checked document, and each worksheet's index.
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <utility>

#include "common/system_reason.h"
#include "workbook/workbook_dom.h"

namespace workbook {

using namespace dom;

namespace dom {

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

pugi::xml_node dataOf(pugi::xml_node cell) {
    return NsScope::at(cell).child(cell, kSpreadsheetNs, "Data");
}

CellValue readCell(pugi::xml_node cell) {
    NsScope scope = NsScope::at(cell);
    const pugi::xml_node data = scope.child(cell, kSpreadsheetNs, "Data");
    if (!data) return {};
    scope.enter(data);
    const std::string_view type = scope.attribute(data, "Type").value();
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

// A file's text in memory the parser takes over and frees with its document, so a large student
// base is held once, not as the file's bytes and the parser's own copy of them.
class ParserBuffer {
public:
    ParserBuffer() = default;
    explicit ParserBuffer(qsizetype size)
        : data_(static_cast<char*>(pugi::get_memory_allocation_function()(size_t(size) + 1))), size_(size) {
        if (!data_) throw std::bad_alloc();
        data_[size] = 0;
    }
    explicit ParserBuffer(QByteArrayView bytes) : ParserBuffer(bytes.size()) {
        if (!bytes.isEmpty()) std::memcpy(data_, bytes.data(), size_t(bytes.size()));
    }
    ParserBuffer(ParserBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    ParserBuffer& operator=(ParserBuffer&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        return *this;
    }
    ~ParserBuffer() {
        if (data_) pugi::get_memory_deallocation_function()(data_);
    }

    char* data() { return data_; }
    qsizetype size() const { return size_; }
    QByteArrayView view() const { return {data_, size_}; }
    // Drops the first `count` bytes (a byte-order mark).
    void dropFront(qsizetype count) {
        std::memmove(data_, data_ + count, size_t(size_ - count) + 1);
        size_ -= count;
    }
    // Ends the text after `size` bytes, for a file that turned out shorter than it said.
    void shrink(qsizetype size) {
        size_ = size;
        data_[size] = 0;
    }
    // The parser's: the text and its terminating zero, which it then owns.
    char* release() { return std::exchange(data_, nullptr); }

private:
    char* data_ = nullptr;
    qsizetype size_ = 0;
};

}  // namespace dom

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

std::pair<int, int> lineAndColumn(QByteArrayView text, ptrdiff_t offset) {
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

// The file's bytes, read straight into a buffer of the file's size. The load names the file.
ParserBuffer readFile(const QString& path) {
    QFile file(path);
    const auto fail = [&] { return LoadError(systemReason(file.errorString()).toStdString()); };
    if (!file.open(QIODevice::ReadOnly)) throw fail();
    if (file.isSequential()) {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) throw fail();
        return ParserBuffer(QByteArrayView(bytes));
    }
    ParserBuffer buffer(file.size());
    const qint64 got = file.read(buffer.data(), buffer.size());
    if (got < 0 || file.error() != QFileDevice::NoError) throw fail();
    buffer.shrink(got);
    // A file that grew while it was read: the rest as well.
    const QByteArray more = file.readAll();
    if (file.error() != QFileDevice::NoError) throw fail();
    if (!more.isEmpty()) {
        ParserBuffer whole(buffer.size() + more.size());
        std::memcpy(whole.data(), buffer.data(), size_t(buffer.size()));
        std::memcpy(whole.data() + buffer.size(), more.constData(), size_t(more.size()));
        return whole;
    }
    return buffer;
}

// Decoding the whole file at once would hold it a second time, twice as large; piece by piece the
// decoder keeps its state across the cuts, so a character split between two pieces reads whole.
constexpr qsizetype kDecodePiece = 1 << 16;

void checkUtf8(QByteArrayView text) {
    QStringDecoder check(QStringDecoder::Utf8);
    for (qsizetype at = 0; at < text.size(); at += kDecodePiece) {
        (void)QString(check(text.sliced(at, std::min(kDecodePiece, text.size() - at))));
        if (check.hasError()) throw LoadError("the text is not valid UTF-8");
    }
}

// pugixml reads UTF-8, UTF-16 and UTF-32 itself. Any other encoding named in the XML declaration
// (a hand-made file in windows-1251) is decoded here, and UTF-8 is checked, so Cyrillic is never
// read as garbage and printed on a diploma.
ParserBuffer toUtf8Document(ParserBuffer bytes, pugi::xml_encoding& encoding) {
    encoding = pugi::encoding_utf8;
    const QByteArrayView view = bytes.view();
    // The byte-order mark says UTF-8 whatever the declaration says; the text must still be it.
    if (view.startsWith("\xEF\xBB\xBF")) {
        bytes.dropFront(3);
        checkUtf8(bytes.view());
        return bytes;
    }
    const bool wide = view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF") ||
                      view.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)) ||
                      (view.size() >= 2 && view[0] == 0) || (view.size() >= 2 && view[1] == 0);
    if (wide) {
        encoding = pugi::encoding_auto;
        return bytes;
    }
    static const QRegularExpression declaration(
        QStringLiteral(R"(^\s*<\?xml\s[^>]*?encoding\s*=\s*["']([^"']*)["'])"));
    const auto match =
        declaration.match(QString::fromLatin1(view.first(std::min<qsizetype>(512, view.size()))));
    const QString name = match.hasMatch() ? match.captured(1) : QStringLiteral("UTF-8");
    const QString key = name.toLower().remove(u'-').remove(u'_');
    if (key == u"utf8") {
        checkUtf8(view);
        return bytes;
    }
    QStringDecoder decoder(name.toLatin1().constData());
    if (!decoder.isValid()) throw LoadError(("unsupported text encoding \"" + name + "\"").toStdString());
    const QString text = decoder(view);
    if (decoder.hasError()) throw LoadError(("the text is not valid " + name).toStdString());
    bytes = ParserBuffer();
    return ParserBuffer(QByteArrayView(text.toUtf8()));
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

// The document of the text `read` gives, parsed and checked: well-formed, of Unicode text, declaring
// no entities. UTF-8 is parsed where it was read, and the document keeps that one buffer.
std::unique_ptr<pugi::xml_document> parseDocument(const std::function<ParserBuffer()>& read) {
    ParserBuffer bytes = read();
    const QByteArrayView view = bytes.view();
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    if (std::all_of(view.begin(), view.end(), blank)) throw LoadError("the file is empty");
    pugi::xml_encoding encoding;
    ParserBuffer text = toUtf8Document(std::move(bytes), encoding);

    auto doc = std::make_unique<pugi::xml_document>();
    // Whitespace text is kept so that an export reproduces the file's own layout.
    constexpr unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_pi |
                                 pugi::parse_comments | pugi::parse_doctype | pugi::parse_ws_pcdata;
    pugi::xml_parse_result parsed;
    if (encoding == pugi::encoding_utf8) {
        // With its terminating zero, as the parser's own copy would be.
        const size_t size = size_t(text.size()) + 1;
        parsed = doc->load_buffer_inplace_own(text.release(), size, options, encoding);
    } else {
        parsed = doc->load_buffer(text.data(), size_t(text.size()), options, encoding);
    }
    if (!parsed) {
        // The parser wrote into the text it stopped in, so the place is counted in a new reading of
        // it; a file that cannot be read again is placed by its character.
        std::optional<std::pair<int, int>> place;
        if (encoding == pugi::encoding_utf8) {
            try {
                pugi::xml_encoding again;
                place = lineAndColumn(toUtf8Document(read(), again).view(), parsed.offset);
            } catch (const LoadError&) {
            }
        }
        if (place) {
            throw LoadError(QStringLiteral("not well-formed XML at line %1, column %2: %3")
                                .arg(place->first)
                                .arg(place->second)
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
    return doc;
}

// The export always writes UTF-8, so the declaration must say so.
void declareUtf8(pugi::xml_document& doc) {
    pugi::xml_node declaration = doc.first_child();
    if (declaration.type() != pugi::node_declaration) {
        declaration = doc.prepend_child(pugi::node_declaration);
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
    for (auto node : table.children()) {
        if (node.type() != pugi::node_element) continue;
        const size_t mark = scope.enter(node);
        if (scope.is(node, kSpreadsheetNs, "Column")) {
            previousColumnElement = indexColumn(scope, node, previousColumnElement);
        } else if (scope.is(node, kSpreadsheetNs, "Row")) {
            previousRow = indexRow(scope, node, previousRow);
        }
        scope.leave(mark);
    }
    scope.leave(tableMark);
}

// A Column element: the widths it gives; returns the last column it covers.
int Worksheet::Impl::indexColumn(NsScope& scope, pugi::xml_node node, int previousColumnElement) {
    // Only the grid's look reads these, so a column size that makes no sense is passed over.
    int first = previousColumnElement + 1;
    if (auto a = scope.attribute(node, "Index")) first = a.as_int(first);
    const int span = std::clamp(scope.attribute(node, "Span").as_int(0), 0, kMaxColumn);
    const double width = scope.attribute(node, "Width").as_double(-1);
    if (first >= 1 && first <= kMaxColumn) {
        const int last = std::min(kMaxColumn, first + span);
        if (width >= 0)
            for (int c = first; c <= last; ++c) columnWidths[c] = width;
        return last;
    }
    return previousColumnElement;
}

// A Row element and its cells; returns the last row it covers.
int Worksheet::Impl::indexRow(NsScope& scope, pugi::xml_node rowNode, int previousRow) {
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

    size_t elements = 0;
    for (auto child : rowNode.children()) elements += child.type() == pugi::node_element;
    slot.cells.reserve(elements);
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
            const CellSlot& cell = slot.cells.emplace_back(CellSlot{cellNode, column, column + merge});
            previousColumn = cell.last;
            rowExtent = std::max(rowExtent, number);
            columnExtent = std::max(columnExtent, cell.last);
        }
        scope.leave(cellMark);
    }
    return previousRow;
}

void Workbook::load(const QString& path) {
    loadDocument([&] { return readFile(path); }, path);
}

void Workbook::loadFromBytes(const QByteArray& bytes) {
    loadDocument([&] { return ParserBuffer(QByteArrayView(bytes)); }, {});
}

void Workbook::loadDocument(const std::function<ParserBuffer()>& read, const QString& origin) {
    try {
        auto doc = parseDocument(read);

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

        declareUtf8(*doc);
        doc_ = std::move(doc);
        sheets_ = std::move(sheets);
        active_ = active;
    } catch (const LoadError& e) {
        if (origin.isEmpty()) throw;
        throw LoadError((origin + ": " + QString::fromStdString(e.what())).toStdString());
    }
}

}  // namespace workbook
