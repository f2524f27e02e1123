// The notes of a file's own text: a scan of the text before the parser writes into it, then the
// nodes the parser made of it. Written back by the workbook's writer.
#include "workbook/source_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace workbook::dom {

namespace {

constexpr uint32_t kNowhere = std::numeric_limits<uint32_t>::max();

// The parser's own classes of characters: what is a blank, what may start a name, what may follow.
enum : uint8_t { kBlank = 1, kNameStart = 2, kNameChar = 4 };
constexpr std::array<uint8_t, 256> kClass = [] {
    std::array<uint8_t, 256> c{};
    for (int i = 0; i < 256; ++i) {
        const bool start =
            i >= 0x80 || (i >= 'a' && i <= 'z') || (i >= 'A' && i <= 'Z') || i == '_' || i == ':';
        const bool name = start || (i >= '0' && i <= '9') || i == '-' || i == '.';
        c[size_t(i)] = uint8_t((start ? kNameStart : 0) | (name ? kNameChar : 0));
    }
    for (const char b : {' ', '\t', '\n', '\r'}) c[size_t(b)] = kBlank;
    return c;
}();
constexpr bool isSpace(char c) {
    return kClass[static_cast<unsigned char>(c)] & kBlank;
}
constexpr bool isNameStart(char c) {
    return kClass[static_cast<unsigned char>(c)] & kNameStart;
}
constexpr bool isNameChar(char c) {
    return kClass[static_cast<unsigned char>(c)] & kNameChar;
}

// Where the scan of a text or of an attribute value stops: at its end (the markup after a text, the
// quote after a value, the zero byte after the whole text), or at a byte the parser's writing may give
// otherwise. In text those are a reference, '>', a carriage return (except in a file whose every line
// ends in CR LF) and control characters; in a value a reference, '<' and every control character,
// line ends and tabs included.
enum : uint8_t { kOrdinary = 0, kEnd = 1, kUnusual = 2 };
struct Stops {
    std::array<uint8_t, 256> text{}, textCrLf{}, value{};
};
constexpr Stops kStops = [] {
    Stops t;
    for (int c = 1; c < 0x20; ++c) t.text[size_t(c)] = t.textCrLf[size_t(c)] = t.value[size_t(c)] = kUnusual;
    t.text['\t'] = t.text['\n'] = t.textCrLf['\t'] = t.textCrLf['\n'] = t.textCrLf['\r'] = kOrdinary;
    for (auto* table : {&t.text, &t.textCrLf, &t.value}) (*table)['&'] = (*table)['<'] = kUnusual;
    t.text['>'] = t.textCrLf['>'] = kUnusual;
    t.text['<'] = t.textCrLf['<'] = t.text[0] = t.textCrLf[0] = kEnd;
    t.value['"'] = kEnd;
    t.value[0] = kUnusual;
    return t;
}();

bool endsEveryLineWithCrLf(const char* s, size_t n) {
    size_t lineFeeds = 0;
    for (const char* p = s; (p = static_cast<const char*>(std::memchr(p, '\n', size_t(s + n - p)))); ++p) {
        if (p == s || p[-1] != '\r') return false;
        ++lineFeeds;
    }
    size_t returns = 0;
    for (const char* p = s; (p = static_cast<const char*>(std::memchr(p, '\r', size_t(s + n - p)))); ++p)
        ++returns;
    return lineFeeds > 0 && returns == lineFeeds;
}

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

// The node's content as the writer compares it: name, value, then each attribute's name and value.
std::string contentOf(pugi::xml_node node) {
    std::string content;
    const auto add = [&](const char* s) { content.append(s).push_back('\0'); };
    add(node.name());
    add(node.value());
    for (auto a : node.attributes()) {
        add(a.name());
        add(a.value());
    }
    return content;
}

bool holds(pugi::xml_node node, std::string_view content) {
    size_t at = 0;
    const auto take = [&](const char* s) {
        const size_t length = std::strlen(s);
        if (content.size() - at <= length || content.compare(at, length, s) != 0 || content[at + length])
            return false;
        at += length + 1;
        return true;
    };
    if (!take(node.name()) || !take(node.value())) return false;
    for (auto a : node.attributes())
        if (!take(a.name()) || !take(a.value())) return false;
    return at == content.size();
}

}  // namespace

const char* identity(pugi::xml_node node) {
    switch (node.type()) {
        case pugi::node_element:
        case pugi::node_pi:
        case pugi::node_declaration:
            return node.name();
        default:
            return node.value();
    }
}

void appendStartTag(std::string& out, pugi::xml_node element) {
    out += '<';
    out += element.name();
    for (auto a : element.attributes()) {
        out += ' ';
        out += a.name();
        out += "=\"";
        for (const char* c = a.value(); *c; ++c) {
            switch (*c) {
                case '&':
                    out += "&amp;";
                    break;
                case '<':
                    out += "&lt;";
                    break;
                case '"':
                    out += "&quot;";
                    break;
                default:
                    if (static_cast<unsigned char>(*c) < 0x20) {
                        out += "&#";
                        out += char('0' + *c / 10);
                        out += char('0' + *c % 10);
                        out += ';';
                    } else {
                        out += *c;
                    }
            }
        }
        out += '"';
    }
    out += element.first_child() ? ">" : "/>";
}

// A walk of the text in the parser's own grammar. It gives up (and nothing is kept) at whatever it
// does not follow the parser in: a document type declaration, or a text the parser refuses.
class SourceText::Scan {
public:
    Scan(SourceText& into, const char* s, size_t n) : t_(into), s_(s), n_(n) {}

    bool run() {
        size_t pos = 0, topEnd = 0;
        while (pos < n_) {
            if (s_[pos] != '<') {
                if (open_.empty()) {  // outside the root element: part of a gap
                    const void* lt = std::memchr(s_ + pos, '<', n_ - pos);
                    pos = lt ? size_t(static_cast<const char*>(lt) - s_) : n_;
                    continue;
                }
                pos = text(pos);
                if (pos < n_ && s_[pos] != '<') return false;  // a zero byte, where the parser stops
                continue;
            }
            const bool top = open_.empty();
            if (top) gap(topEnd, pos);
            if (top || !usualTag(pos)) {
                if (!markup(pos, top)) return false;
            }
            if (open_.empty()) topEnd = pos;
        }
        if (!open_.empty()) return false;
        gap(topEnd, n_);
        return true;
    }

private:
    struct Open {
        uint32_t name, begin, startEnd;
        int note;
    };

    bool starts(size_t pos, std::string_view word) const {
        return n_ - pos >= word.size() && std::memcmp(s_ + pos, word.data(), word.size()) == 0;
    }
    size_t find(std::string_view word, size_t from) const {
        return std::string_view(s_, n_).find(word, from);
    }
    // The text ends in a zero byte, which is no blank and no name: loops that skip those stop there.
    void skipSpace(size_t& pos) const {
        while (isSpace(s_[pos])) ++pos;
    }

    void gap(size_t begin, size_t end) {
        t_.gaps_.emplace_back(s_ + begin, end - begin);
        if (!std::all_of(s_ + begin, s_ + end, isSpace)) t_.gapsAreBlank_ = false;
    }

    void note(pugi::xml_node_type type, size_t at, size_t begin, size_t end) {
        Note& n = t_.notes_.emplace_back();
        n.type = type;
        n.at = uint32_t(at);
        n.text.assign(s_ + begin, end - begin);
    }

    // A text inside the root element, up to the markup after it: noted when unusual.
    [[gnu::always_inline]] size_t text(size_t pos) {
        const auto& stops = t_.crlf_ ? kStops.textCrLf : kStops.text;
        const size_t begin = pos;
        bool unusual = false;
        while (true) {
            while (stops[static_cast<unsigned char>(s_[pos])] == kOrdinary) ++pos;
            if (stops[static_cast<unsigned char>(s_[pos])] == kEnd) break;
            unusual = true;
            ++pos;
        }
        if (unusual) note(pugi::node_pcdata, begin, begin, pos);
        return pos;
    }

    // A start or end tag written as the parser writes it, which is most tags: read at speed, nothing
    // to note. False, with nothing read, for any other markup.
    [[gnu::always_inline]] bool usualTag(size_t& pos) {
        const char* p = s_ + pos + 1;
        if (*p == '/') {
            if (!isNameStart(*++p)) return false;
            while (isNameChar(*p)) ++p;
            // `<a></a>`, which the parser writes `<a/>`, is for the full walk to note.
            if (*p != '>' || open_.back().startEnd == pos) return false;
            open_.pop_back();
            pos = size_t(p + 1 - s_);
            return true;
        }
        if (!isNameStart(*p)) return false;
        const size_t name = size_t(p - s_);
        while (isNameChar(*p)) ++p;
        while (*p == ' ') {
            if (!isNameStart(*++p)) return false;
            while (isNameChar(*p)) ++p;
            if (p[0] != '=' || p[1] != '"') return false;
            for (p += 2; kStops.value[static_cast<unsigned char>(*p)] == kOrdinary;) ++p;
            if (*p++ != '"') return false;
        }
        const bool open = *p == '>';
        if (!open && (p[0] != '/' || p[1] != '>')) return false;
        p += open ? 1 : 2;
        if (open) open_.push_back({uint32_t(name), uint32_t(pos), uint32_t(p - s_), -1});
        pos = size_t(p - s_);
        return true;
    }

    bool markup(size_t& pos, bool top) {
        switch (s_[pos + 1]) {
            case '/':
                return endTag(pos);
            case '?':
                return instruction(pos, top);
            case '!':
                if (starts(pos, "<!--")) return whole(pos, top, pugi::node_comment, 4, "-->");
                if (starts(pos, "<![CDATA[")) return whole(pos, top, pugi::node_cdata, 9, "]]>");
                return false;
            default:
                return isNameStart(s_[pos + 1]) && element(pos, top);
        }
    }

    // A comment or a CDATA section. The parser's writing changes line ends, and in a comment "--".
    bool whole(size_t& pos, bool top, pugi::xml_node_type type, size_t open, std::string_view close) {
        const size_t value = pos + open;
        const size_t found = find(close, value);
        if (found == std::string_view::npos) return false;
        const size_t end = found + close.size();
        const std::string_view content(s_ + value, found - value);
        if ((!t_.crlf_ && content.find('\r') != std::string_view::npos) ||
            (type == pugi::node_comment &&
             (content.find("--") != std::string_view::npos || content.ends_with('-')))) {
            note(type, value, pos, end);
        }
        if (top) t_.topAt_.push_back(uint32_t(value));
        pos = end;
        return true;
    }

    // `<?target value?>`, or the declaration `<?xml version="1.0"?>`, whose value is attributes.
    bool instruction(size_t& pos, bool top) {
        const size_t name = pos + 2;
        if (!isNameStart(s_[name])) return false;
        size_t p = name;
        while (isNameChar(s_[p])) ++p;
        const bool declaration = p - name == 3 && (s_[name] | ' ') == 'x' && (s_[name + 1] | ' ') == 'm' &&
                                 (s_[name + 2] | ' ') == 'l';
        const size_t close = find("?>", p);
        if (close == std::string_view::npos || (p != close && !isSpace(s_[p]))) return false;
        if (declaration) {
            bool usual = true;
            if (!top || attributes(p, usual) != close) return false;
        }
        note(declaration ? pugi::node_declaration : pugi::node_pi, name, pos, close + 2);
        if (declaration) t_.notes_.back().attributes = attributes_;
        if (top) t_.topAt_.push_back(uint32_t(name));
        pos = close + 2;
        return true;
    }

    // The attributes of a start tag from just after its name; returns where the tag's end begins,
    // npos where the parser would refuse them. `usual` turns false at whatever the parser's writing
    // gives otherwise: more or other blanks than one space, single quotes, unusual bytes in a value.
    size_t attributes(size_t pos, bool& usual) {
        attributes_.clear();
        while (true) {
            const size_t blank = pos;
            skipSpace(pos);
            if (pos >= n_) return std::string_view::npos;
            if (!isNameStart(s_[pos])) {
                if (pos != blank) usual = false;
                return pos;
            }
            if (pos == blank) return std::string_view::npos;
            if (pos - blank != 1 || s_[blank] != ' ') usual = false;
            const size_t name = pos;
            while (isNameChar(s_[pos])) ++pos;
            const size_t nameEnd = pos;
            skipSpace(pos);
            if (pos >= n_ || s_[pos] != '=') return std::string_view::npos;
            const size_t equals = pos++;
            skipSpace(pos);
            if (pos >= n_ || (s_[pos] != '"' && s_[pos] != '\'')) return std::string_view::npos;
            if (nameEnd != equals || pos != equals + 1 || s_[pos] != '"') usual = false;
            const char quote = s_[pos++];
            const void* found = std::memchr(s_ + pos, quote, n_ - pos);
            if (!found) return std::string_view::npos;
            const size_t close = size_t(static_cast<const char*>(found) - s_);
            for (size_t i = pos; usual && i < close; ++i)
                usual = kStops.value[static_cast<unsigned char>(s_[i])] == kOrdinary;
            attributes_.push_back(uint32_t(name));
            attributes_.push_back(uint32_t(pos));
            pos = close + 1;
        }
    }

    int noteElement(size_t begin, size_t name, size_t end) {
        note(pugi::node_element, name, begin, end);
        t_.notes_.back().attributes = attributes_;
        return int(t_.notes_.size() - 1);
    }

    bool element(size_t& pos, bool top) {
        const size_t begin = pos, name = pos + 1;
        size_t p = name;
        while (isNameChar(s_[p])) ++p;
        bool usual = true;
        p = attributes(p, usual);
        if (p == std::string_view::npos) return false;
        bool open = true;
        if (s_[p] == '/' && p + 1 < n_ && s_[p + 1] == '>') {
            open = false;
            ++p;
        } else if (s_[p] != '>') {
            return false;
        }
        ++p;
        const int noted = usual ? -1 : noteElement(begin, name, p);
        if (top) t_.topAt_.push_back(uint32_t(name));
        if (open) open_.push_back({uint32_t(name), uint32_t(begin), uint32_t(p), noted});
        pos = p;
        return true;
    }

    // An end tag. A blank in it, or none between it and its start tag (`<a></a>`, which the parser's
    // writing gives as `<a/>`), keeps the element's own text.
    bool endTag(size_t& pos) {
        if (open_.empty()) return false;
        const Open o = open_.back();
        open_.pop_back();
        size_t nameLength = 0;
        while (isNameChar(s_[o.name + nameLength])) ++nameLength;
        size_t p = pos + 2;
        if (n_ - p < nameLength || std::memcmp(s_ + p, s_ + o.name, nameLength) != 0) return false;
        p += nameLength;
        if (isNameChar(s_[p])) return false;
        const size_t nameEnd = p;
        skipSpace(p);
        if (p >= n_ || s_[p] != '>') return false;
        ++p;
        const bool usualEnd = p == nameEnd + 1;
        if (!usualEnd || o.startEnd == pos) {
            int noted = o.note;
            if (noted < 0) {
                bool usual = true;
                attributes(o.name + nameLength, usual);
                noted = noteElement(o.begin, o.name, o.startEnd);
            }
            if (!usualEnd) t_.notes_[size_t(noted)].end.assign(s_ + pos, p - pos);
        }
        pos = p;
        return true;
    }

    SourceText& t_;
    const char* s_;
    size_t n_;
    std::vector<Open> open_;
    std::vector<uint32_t> attributes_;
};

SourceText::SourceText(QByteArrayView text, bool byteOrderMark)
    : size_(size_t(text.size())), byteOrderMark_(byteOrderMark) {
    const char* s = text.data();
    // The parser ends the text at a zero byte, and so does the scan; offsets are kept in 32 bits.
    if (size_ >= kNowhere || s[size_] != 0) return;
    crlf_ = endsEveryLineWithCrLf(s, size_);
    usable_ = Scan(*this, s, size_).run();
    if (!usable_) {
        notes_.clear();
        gaps_.clear();
        topAt_.clear();
    }
}

bool SourceText::attach(pugi::xml_document& doc, const char* buffer,
                        const std::function<void(pugi::xml_node)>& settle) {
    // Where the parser's pointer for a node points in the text: it parses in place.
    const auto offsetOf = [&](const char* p) {
        return p >= buffer && p < buffer + size_ ? uint32_t(p - buffer) : kNowhere;
    };
    const auto at = [&](pugi::xml_node n) { return offsetOf(identity(n)); };

    if (usable_) {
        bool same = true;
        size_t i = 0;
        for (auto n : doc.children()) {
            top_.push_back(identity(n));
            same = same && i < topAt_.size() && at(n) == topAt_[i];
            ++i;
        }
        same = same && i == topAt_.size() && gaps_.size() == i + 1;
        const std::string_view lineEnd = crlf_ ? "\r\n" : "\n";
        const bool oneLineEach =
            gaps_.size() == i + 1 && gaps_.front().empty() &&
            std::all_of(gaps_.begin() + 1, gaps_.end(), [&](const std::string& g) { return g == lineEnd; });
        if (!same || !gapsAreBlank_ || oneLineEach) {
            gaps_.clear();
            top_.clear();
        }
    }
    topAt_ = {};

    std::stable_sort(notes_.begin(), notes_.end(), [](const Note& a, const Note& b) { return a.at < b.at; });
    size_t next = 0, found = 0;
    pugi::xml_node node = doc.first_child();
    while (node && next < notes_.size()) {
        if (const uint32_t offset = at(node); offset != kNowhere) {
            while (next < notes_.size() && notes_[next].at < offset) ++next;
            if (next < notes_.size() && notes_[next].at == offset) {
                Note& n = notes_[next++];
                bool same = node.type() == n.type;
                size_t k = 0;
                for (auto a = node.first_attribute(); same && a; a = a.next_attribute(), k += 2) {
                    same = k + 1 < n.attributes.size() && offsetOf(a.name()) == n.attributes[k] &&
                           offsetOf(a.value()) == n.attributes[k + 1];
                }
                if (same && k == n.attributes.size()) {
                    ++found;
                    settle(node);
                    keep(n, node);
                }
            }
        }
        // The next node in document order.
        if (pugi::xml_node child = node.first_child()) {
            node = child;
            continue;
        }
        while (node && !node.next_sibling()) node = node.parent();
        if (node) node = node.next_sibling();
    }
    const bool followed = usable_ && found == notes_.size();
    notes_ = {};
    return followed;
}

void SourceText::keep(Note& note, pugi::xml_node node) {
    std::string written;
    if (node.type() == pugi::node_element) {
        appendStartTag(written, node);
    } else {
        StringWriter writer;
        node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        written = std::move(writer.text);
    }
    if (crlf_) written = withCrLf(written);
    if (written == note.text && note.end.empty()) return;
    kept_[identity(node)] = Kept{node.type(), std::move(note.text), std::move(note.end), contentOf(node)};
    for (auto p = node.parent(); p.type() == pugi::node_element; p = p.parent())
        if (!aboveKept_.insert(p.name()).second) break;
}

const SourceText::Kept* SourceText::keptFor(pugi::xml_node node) const {
    const auto it = kept_.find(identity(node));
    if (it == kept_.end() || it->second.type != node.type() || !holds(node, it->second.content))
        return nullptr;
    return &it->second;
}

}  // namespace workbook::dom
