#pragma once
// The workbook's document as its model, reader and writer share it: the spreadsheet namespaces,
// the resolution of prefixes, and a worksheet's index of its rows and cells. Not for other users.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "workbook/workbook.h"

namespace workbook {
namespace dom {

inline constexpr std::string_view kSpreadsheetNs = "urn:schemas-microsoft-com:office:spreadsheet";
inline constexpr std::string_view kExcelNs = "urn:schemas-microsoft-com:office:excel";

// The largest sheet any spreadsheet program opens; also keeps index arithmetic far from overflow.
inline constexpr int kMaxRow = kMaxRows;
inline constexpr int kMaxColumn = kMaxColumns;

inline QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}
inline std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

inline std::string_view prefixOf(std::string_view qname) {
    const auto colon = qname.find(':');
    return colon == std::string_view::npos ? std::string_view() : qname.substr(0, colon);
}

inline std::string_view localOf(std::string_view qname) {
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

// The reader's: a cell's value from its Data element; empty when it has none (a styled empty cell).
CellValue readCell(pugi::xml_node cell);
// The element that holds a cell's value; null when it has none.
pugi::xml_node dataOf(pugi::xml_node cell);
// The model's: "C7" as row and column; throws std::invalid_argument for anything else.
std::pair<int, int> parseCellName(QStringView name);
void checkPosition(int row, int column);
// The writer's: a new workbook of empty sheets.
QByteArray designWorkbookXml(const QStringList& sheetNames, const std::optional<DesignStyle>& style);

}  // namespace dom

// ---------------------------------------------------------------------------------------------------
// Worksheet: the DOM nodes of one sheet and an index row → column → cell, so a read by name is a map
// look-up and a search of one row, and a write finds its neighbours without scanning the table.

struct Worksheet::Impl {
    struct CellSlot {
        pugi::xml_node cell;
        int column = 0;
        int last = 0;  // last column it covers (MergeAcross)
    };
    struct RowSlot {
        pugi::xml_node row;
        int last = 0;  // last row it covers (Span)
        // In column order. A row holds a few cells, and a student base ten thousand rows: a sorted
        // array of them costs a fraction of a tree's nodes.
        std::vector<CellSlot> cells;

        std::vector<CellSlot>::iterator after(int column) {
            return std::upper_bound(cells.begin(), cells.end(), column,
                                    [](int c, const CellSlot& slot) { return c < slot.column; });
        }
        const CellSlot* find(int column) const {
            const auto it = std::lower_bound(cells.begin(), cells.end(), column,
                                             [](const CellSlot& slot, int c) { return slot.column < c; });
            return it != cells.end() && it->column == column ? &*it : nullptr;
        }
        CellSlot* find(int column) {
            return const_cast<CellSlot*>(static_cast<const RowSlot*>(this)->find(column));
        }
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

    void index(dom::NsScope& scope);
    int indexColumn(dom::NsScope& scope, pugi::xml_node column, int previousColumnElement);
    int indexRow(dom::NsScope& scope, pugi::xml_node row, int previousRow);
    RowSlot& ensureRow(int row);
    CellSlot& ensureCell(RowSlot& slot, int column);
    void ensureTable();
    void growExpandedCount(std::string_view attribute, int needed);
};

}  // namespace workbook
