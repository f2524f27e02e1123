// The workbook's reader: a file's bytes to a checked document, and each worksheet's index.
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>

#include "common/whole_file.h"
#include "workbook/source_text.h"
#include "workbook/workbook_dom.h"
#include "workbook/workbook_reasons.h"

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
        if (!data_)
            throw ui::Error(QStringLiteral("файл слишком велик: не хватает памяти, чтобы его прочитать"));
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

[[noreturn]] void fail(const QString& reason, ui::Error::Kind kind = ui::Error::Kind::Failure) {
    throw ui::Error(reason, kind);
}

int positionAttribute(pugi::xml_attribute a, int low, int high, const QString& sheet, reason::Position what) {
    const std::string_view text = a.value();
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        fail(reason::notAWholeNumber(sheet, what, qs(a.value()), low, high));
    }
    return value;
}

// The file's bytes, read straight into a buffer of the file's size. The load names the file.
ParserBuffer readFile(const QString& path) {
    FileReader file(path);
    if (!file.exists()) fail(ui::systemReason(ENOENT));
    if (!file.error().isEmpty())
        fail(file.error(), file.busy() ? ui::Error::Kind::Busy : ui::Error::Kind::Failure);
    ParserBuffer buffer(file.size());
    const qint64 got = file.read(buffer.data(), buffer.size());
    if (got < 0) fail(file.error());
    buffer.shrink(got);
    if (got < file.size()) return buffer;
    // A file that grew while it was read, or one whose size the system does not tell: the rest too.
    QByteArray more;
    char piece[64 * 1024];
    qint64 n;
    while ((n = file.read(piece, sizeof piece)) > 0) more.append(piece, n);
    if (n < 0) fail(file.error());
    if (!more.isEmpty()) {
        ParserBuffer whole(buffer.size() + more.size());
        std::memcpy(whole.data(), buffer.data(), size_t(buffer.size()));
        std::memcpy(whole.data() + buffer.size(), more.constData(), size_t(more.size()));
        return whole;
    }
    return buffer;
}

// The length of the UTF-8 form of one Unicode scalar value at `p`, which has `left` bytes; 0 when
// the bytes there are none: a surrogate, a value beyond U+10FFFF, an overlong form, a cut one.
inline int scalarLength(const unsigned char* p, qsizetype left) {
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
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
        return 0;
    }
    // A zero byte ends a string before its length runs out: it is no continuation byte.
    if (left <= more || p[1] < low || p[1] > high) return 0;
    for (int i = 2; i <= more; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF) return 0;
    return more + 1;
}

// True when `s` is well-formed UTF-8 of Unicode scalar values.
bool isUnicodeText(const char* s) {
    for (const auto* p = reinterpret_cast<const unsigned char*>(s); *p;) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int length = scalarLength(p, std::numeric_limits<qsizetype>::max());
        if (!length) return false;
        p += length;
    }
    return true;
}

// The first byte of `text` that is no part of well-formed UTF-8 of Unicode scalar values.
std::optional<qsizetype> firstNonUtf8(QByteArrayView text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        // Eight bytes of ASCII at a time: most of a workbook is markup.
        if (uint64_t word; i + 8 <= n && (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080u) == 0)) {
            i += 8;
            continue;
        }
        const int length = scalarLength(p + i, n - i);
        if (!length) return i;
        i += length;
    }
    return std::nullopt;
}

// UTF-8 is checked here, before the parser copies what it reads, whatever it is, into the document.
void checkUtf8(QByteArrayView text) {
    if (const auto bad = firstNonUtf8(text)) fail(reason::notUtf8(reason::placeOf(text, *bad)));
}

// The encoding the XML declaration names; empty when it names none.
QString declaredEncoding(QByteArrayView text) {
    static const QRegularExpression declaration(
        QStringLiteral(R"(^\s*<\?xml\s[^>]*?encoding\s*=\s*["']([^"']*)["'])"));
    return declaration.match(QString::fromLatin1(text.first(std::min<qsizetype>(512, text.size()))))
        .captured(1);
}

bool namesUtf8(const QString& encoding) {
    return encoding.isEmpty() || encoding.toLower().remove(u'-').remove(u'_') == u"utf8";
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
    const QString name = declaredEncoding(view);
    if (namesUtf8(name)) {
        checkUtf8(view);
        return bytes;
    }
    QStringDecoder decoder(name.toLatin1().constData());
    if (!decoder.isValid()) fail(reason::unknownEncoding(name));
    const QString text = decoder(view);
    if (decoder.hasError()) fail(reason::notInEncoding(name));
    bytes = ParserBuffer();
    return ParserBuffer(QByteArrayView(text.toUtf8()));
}

// Makes a parsed node what an export writes back and a new load reads the same:
// - The parser turns a character reference beyond Unicode ("&#x110000;", or one so long that it
//   wraps) or to a lone surrogate into bytes that are no UTF-8; such a file is refused.
// - A carriage return from "&#13;" in element text is written back as a bare one, which the next
//   load reads as a line feed; it becomes a line feed now (CR LF one line feed), as a typed line
//   end does. Attribute values keep theirs: those are written back as references.
// Both come only from references. Returns false for a name, value or attribute that holds what
// Unicode does not have.
bool settle(pugi::xml_node n) {
    bool ok = isUnicodeText(n.name()) && isUnicodeText(n.value());
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

// Every node settled; returns the first that holds what Unicode does not have, null if none.
pugi::xml_node settleAll(pugi::xml_document& doc) {
    struct Walk : pugi::xml_tree_walker {
        pugi::xml_node bad;
        bool for_each(pugi::xml_node& n) override {
            if (!settle(n)) bad = n;
            return !bad;
        }
    } walk;
    doc.traverse(walk);
    return walk.bad;
}

// The place of an offset into the text the parser was given. It wrote into that text, so the text is
// read again; one that the parser decoded itself (UTF-16, UTF-32) is decoded here the same way.
std::optional<reason::Place> placeIn(const std::function<ParserBuffer()>& read, pugi::xml_encoding encoding,
                                     ptrdiff_t offset) {
    if (offset < 0) return std::nullopt;
    try {
        ParserBuffer again = read();
        if (encoding == pugi::encoding_utf8) {
            pugi::xml_encoding utf8;
            return reason::placeOf(toUtf8Document(std::move(again), utf8).view(), offset);
        }
        const auto wide = QStringConverter::encodingForData(again.view(), u'<');
        if (!wide) return std::nullopt;
        QStringDecoder decoder(*wide, QStringDecoder::Flag::ConvertInitialBom);
        return reason::placeOf(QString(decoder(again.view())).toUtf8(), offset);
    } catch (const ui::Error&) {
        return std::nullopt;
    }
}

pugi::xml_node nextElement(pugi::xml_node n) {
    while (n && n.type() != pugi::node_element) n = n.next_sibling();
    return n;
}

struct Undeclared {
    pugi::xml_node element;
    const char* name;  // the element's or one of its attributes'
};

// The first name under `root` whose prefix no declaration in force binds. Such a file is no XML
// with namespaces: the load would pass its prefixed attributes over as another namespace's, and the
// prefix an export declares for what it writes would later give them a meaning (an "ss:Index" that
// starts to count). Walked without recursion, as deep as the parser nests, and with one pass over
// each element's attributes, since every element of a student base is walked.
std::optional<Undeclared> firstUndeclaredPrefix(pugi::xml_node root) {
    // The prefix of a qualified name, read up to its colon only: names are short, and most have none.
    const auto prefixIn = [](const char* name) {
        const char* p = name;
        while (*p && *p != ':') ++p;
        return *p ? std::string_view(name, size_t(p - name)) : std::string_view();
    };
    // Each prefix declared in force, innermost last, and whether it names a namespace: xmlns:p=""
    // takes the prefix away.
    std::vector<std::pair<std::string_view, bool>> declared{{"xml", true}};
    const auto bound = [&](std::string_view prefix) {
        for (auto it = declared.rbegin(); it != declared.rend(); ++it)
            if (it->first == prefix) return it->second;
        return false;
    };
    std::vector<size_t> marks;  // the size of `declared` before each element entered down to `n`
    for (pugi::xml_node n = root; n;) {
        marks.push_back(declared.size());
        // A prefix may be declared after its first use on the same element; then, or when a
        // declaration takes a prefix away, the element's attributes are looked at again.
        bool again = false;
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
            const char* name = a.name();
            const std::string_view prefix = prefixIn(name);
            if (prefix == "xmlns") {
                const bool names = *a.value() != 0;
                declared.emplace_back(name + 6, names);
                again = again || !names;
            } else if (!prefix.empty() && !bound(prefix)) {
                again = true;
            }
        }
        if (const std::string_view prefix = prefixIn(n.name()); !prefix.empty() && !bound(prefix))
            return Undeclared{n, n.name()};
        if (again) {
            for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
                const std::string_view prefix = prefixIn(a.name());
                if (!prefix.empty() && prefix != "xmlns" && !bound(prefix)) return Undeclared{n, a.name()};
            }
        }
        if (const pugi::xml_node child = nextElement(n.first_child())) {
            n = child;
            continue;
        }
        // Up to the nearest element that has a next sibling.
        for (;;) {
            declared.resize(marks.back());
            marks.pop_back();
            if (n == root) return std::nullopt;
            if (const pugi::xml_node next = nextElement(n.next_sibling())) {
                n = next;
                break;
            }
            n = n.parent();
        }
    }
    return std::nullopt;
}

struct Parsed {
    std::unique_ptr<pugi::xml_document> doc;
    std::unique_ptr<SourceText> source;
};

// The document of the text `read` gives, parsed and checked: well-formed, of Unicode text, declaring
// no entities, with the notes of its own text for the export. UTF-8 is parsed where it was read, and
// the document keeps that one buffer.
Parsed parseDocument(const std::function<ParserBuffer()>& read) {
    ParserBuffer bytes = read();
    const QByteArrayView view = bytes.view();
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    if (std::all_of(view.begin(), view.end(), blank)) fail(reason::emptyFile());
    const bool byteOrderMark = view.startsWith("\xEF\xBB\xBF");
    pugi::xml_encoding encoding;
    ParserBuffer text = toUtf8Document(std::move(bytes), encoding);

    auto doc = std::make_unique<pugi::xml_document>();
    auto source = std::make_unique<SourceText>();
    const char* buffer = text.data();
    // Whitespace text is kept so that an export reproduces the file's own layout.
    constexpr unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_pi |
                                 pugi::parse_comments | pugi::parse_doctype | pugi::parse_ws_pcdata;
    pugi::xml_parse_result parsed;
    if (encoding == pugi::encoding_utf8) {
        // The notes first: the parser writes into the text it parses.
        *source = SourceText(text.view(), byteOrderMark);
        // With its terminating zero, as the parser's own copy would be.
        const size_t size = size_t(text.size()) + 1;
        parsed = doc->load_buffer_inplace_own(text.release(), size, options, encoding);
    } else {
        parsed = doc->load_buffer(text.data(), size_t(text.size()), options, encoding);
    }
    const auto placeOf = [&](ptrdiff_t offset) { return placeIn(read, encoding, offset); };
    if (!parsed) fail(reason::notWellFormed(parsed.status, placeOf(parsed.offset)));
    const auto settled = [&](pugi::xml_node n) {
        if (!settle(n)) fail(reason::noSuchCharacter(placeOf(n.offset_debug())));
    };
    // The scan of a UTF-8 text notes every node that holds a reference; when it followed the parser
    // all through, those are the only nodes to settle.
    const bool followed = encoding == pugi::encoding_utf8 && source->attach(*doc, buffer, settled);
    if (!followed) {
        if (const pugi::xml_node bad = settleAll(*doc)) settled(bad);
    }
    for (auto node : doc->children()) {
        // pugixml expands no entities, but a file that declares them expects something else
        // than what would be read: refuse it rather than show unexpanded references.
        if (node.type() == pugi::node_doctype &&
            std::string_view(node.value()).find("<!ENTITY") != std::string_view::npos) {
            fail(reason::declaresEntities());
        }
    }
    if (const auto undeclared = firstUndeclaredPrefix(doc->document_element())) {
        // Placed at the element's "<", just before its name.
        const ptrdiff_t name = undeclared->element.offset_debug();
        fail(reason::undeclaredPrefix(qs(undeclared->name), placeOf(name > 0 ? name - 1 : name)));
    }
    return {std::move(doc), std::move(source)};
}

// The export always writes UTF-8, so a declaration that, as the export writes it, names another
// encoding to this reader is made to say UTF-8 first. One that names none, or UTF-8, is left alone.
void declareUtf8(pugi::xml_document& doc, const SourceText& source) {
    if (namesUtf8(declaredEncoding(source.declarationText(doc)))) return;
    pugi::xml_node declaration = doc.first_child();  // only a declaration names an encoding
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
        number = positionAttribute(a, 1, kMaxRow, name, reason::Position::RowIndex);
        if (number <= previousRow) fail(reason::rowOutOfOrder(name, number, previousRow));
    }
    if (number > kMaxRow) fail(reason::rowBeyondTheSheet(name, number));
    int span = 0;
    if (auto a = scope.attribute(rowNode, "Span"))
        span = positionAttribute(a, 0, kMaxRow - number, name, reason::Position::RowSpan);
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
                column = positionAttribute(a, 1, kMaxColumn, name, reason::Position::CellIndex);
                if (column <= previousColumn) fail(reason::columnOutOfOrder(name, column, previousColumn));
            }
            if (column > kMaxColumn) fail(reason::columnBeyondTheSheet(name, column));
            int merge = 0;
            if (auto a = scope.attribute(cellNode, "MergeAcross")) {
                merge = positionAttribute(a, 0, kMaxColumn - column, name, reason::Position::MergeAcross);
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
        auto [doc, source] = parseDocument(read);

        pugi::xml_node root = doc->document_element();
        NsScope scope;
        scope.enter(root);
        if (!scope.is(root, kSpreadsheetNs, "Workbook")) {
            fail(reason::notASpreadsheet(qs(root.name()), localOf(root.name()) == "Workbook"));
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
        if (sheets.empty()) fail(reason::noWorksheet());

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

        declareUtf8(*doc, *source);
        doc_ = std::move(doc);
        source_ = std::move(source);
        sheets_ = std::move(sheets);
        active_ = active;
    } catch (const ui::Error& e) {
        if (origin.isEmpty()) throw;
        throw ui::Error(origin, e.reason(), e.busy() ? ui::Error::Kind::Busy : ui::Error::Kind::Failure);
    }
}

}  // namespace workbook
