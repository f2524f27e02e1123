#pragma once
// The file's own text of whatever the export would write in another form. The parser keeps a
// document's content, not how it was written: its writing puts one space before each attribute and
// double quotes round its value, gives references as the characters they stand for, ends every line
// with a line feed and puts each node outside the root element on a line of its own. Where a file was
// written otherwise (attributes on lines of their own, "&#10;" in a cell, CR LF line ends, a
// byte-order mark), the text of that node is kept and written back for as long as the node holds what
// was loaded, so an unchanged workbook exports to the very bytes it came from and a changed one
// differs only where it changed. Not for users of the workbook.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <functional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace workbook::dom {

class SourceText {
public:
    SourceText() = default;
    // Notes, in the UTF-8 text the parser is given next, what its writing would give otherwise. The
    // parser writes into that text, so this comes first. The text ends in a zero byte, as the parser
    // wants it.
    SourceText(QByteArrayView text, bool byteOrderMark);
    // Ties the notes to the nodes the parser made of that text, which lies at `buffer`, each once
    // `settle` has made it what the export writes back. Every node that holds a reference is among
    // them, unless the scan did not follow the parser all through: then this returns false.
    bool attach(pugi::xml_document& doc, const char* buffer,
                const std::function<void(pugi::xml_node)>& settle);
    // The export: each node's own text while it holds what was loaded, the parser's writing elsewhere.
    QByteArray write(const pugi::xml_document& doc) const;
    // The XML declaration as the export writes it; empty when the document has none.
    QByteArray declarationText(const pugi::xml_document& doc) const;

private:
    // What the scan notes of one node, by where the parser's pointers into the text will point.
    struct Note {
        pugi::xml_node_type type = pugi::node_null;
        uint32_t at = 0;                   // the name of an element or instruction, else the value
        std::vector<uint32_t> attributes;  // each attribute's name and value
        std::string text;                  // the node's text; an element's start tag
        std::string end;                   // an element's end tag, where it is not "</name>"
    };
    // A node's own text and the content it was loaded with: its name, value and attributes.
    struct Kept {
        pugi::xml_node_type type = pugi::node_null;
        std::string text;
        std::string end;
        std::string content;
    };
    class Scan;
    class Output;

    const Kept* keptFor(pugi::xml_node node) const;
    void writeTree(Output& out, pugi::xml_node top) const;
    bool writeStart(Output& out, pugi::xml_node element, const Kept* kept) const;
    void writeEnd(Output& out, pugi::xml_node element, const Kept* kept) const;
    void keep(Note& note, pugi::xml_node node);

    bool usable_ = false;
    size_t size_ = 0;  // of the text
    bool byteOrderMark_ = false;
    bool crlf_ = false;  // every line of the file ends in CR LF
    std::vector<Note> notes_;
    std::vector<uint32_t> topAt_;    // the scan's nodes outside the root element, and the root
    std::vector<std::string> gaps_;  // the text before, between and after them; empty: one line each
    bool gapsAreBlank_ = true;

    // By where the node's name (an element, an instruction) or value points in the parsed text, so a
    // node made later, whose strings live elsewhere, is never taken for a kept one.
    std::unordered_map<const char*, Kept> kept_;
    std::unordered_set<const char*> aboveKept_;  // elements holding a kept node
    std::vector<const char*> top_;               // the document's own children as loaded
};

// Where a node's name (an element, an instruction) or value (text, a comment) points.
const char* identity(pugi::xml_node node);

// The start tag the parser's writing gives an element: `<name a="v">`, or `<name a="v"/>` without
// children.
void appendStartTag(std::string& out, pugi::xml_node element);

}  // namespace workbook::dom
