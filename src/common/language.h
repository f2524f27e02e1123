#pragma once
// The two languages of every window, chosen by the exact text of the window's language box: "Rus"
// or "Kaz". A window states in one table, in the order of its writes, which caption or tooltip
// takes which text, and where the text comes from: a row of the translation table, or the
// window's own Russian and Kazakh pair. Rows are read through the window's RowText, so this knows
// nothing of the workbook that holds them.
#include <QString>
#include <QStringView>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <type_traits>
#include <variant>

#include "platform/controls.h"

namespace language {

enum class Language { Russian, Kazakh };

// "Rus" is Russian, "Kaz" Kazakh; any other text (another letter case, a blank around it, "")
// names no language.
std::optional<Language> named(QStringView code);

// The text of one row of the translation table in a language.
using RowText = std::function<QString(Language, int row)>;

enum class Property { Caption, ToolTip };

// A control of window W, or the window itself (monostate).
template <class W>
using Target = std::variant<std::monostate, ui::Label W::*, ui::Frame W::*, ui::CheckBox W::*,
                            ui::PictureBox W::*, ui::TextBox W::*, ui::ComboBox W::*, ui::ListBox W::*>;

template <class W>
struct Text {
    Target<W> control;
    Property property = Property::Caption;
    int row = 0;  // of the translation table; 0: the fixed pair below
    const char16_t* russian = nullptr;
    const char16_t* kazakh = nullptr;
};

template <class C>
concept Captioned = requires(C& c, const QString& s) {
    c.setCaption(s);
};

// The rows of a window's table.
template <class W, Captioned C>
constexpr Text<W> caption(C W::*control, int row) {
    return {control, Property::Caption, row};
}
template <class W, Captioned C>
constexpr Text<W> caption(C W::*control, const char16_t* russian, const char16_t* kazakh) {
    return {control, Property::Caption, 0, russian, kazakh};
}
template <class W, class C>
constexpr Text<W> tip(C W::*control, const char16_t* russian, const char16_t* kazakh) {
    return {control, Property::ToolTip, 0, russian, kazakh};
}
template <class W>
constexpr Text<W> title(int row) {
    return {std::monostate(), Property::Caption, row};
}
template <class W>
constexpr Text<W> title(const char16_t* russian, const char16_t* kazakh) {
    return {std::monostate(), Property::Caption, 0, russian, kazakh};
}

// Writes every text of `table` in the language `code` names, in the table's order; a code that
// names no language changes nothing and gives false. A window whose table has rows passes `rows`.
template <class W>
bool apply(W& w, QStringView code, std::span<const Text<W>> table, const RowText& rows = {}) {
    const std::optional<Language> l = named(code);
    if (!l) return false;
    for (const Text<W>& t : table) {
        const QString s =
            t.row ? rows(*l, t.row) : QString::fromUtf16(*l == Language::Kazakh ? t.kazakh : t.russian);
        std::visit(
            [&](auto member) {
                using M = decltype(member);
                if constexpr (std::is_same_v<M, std::monostate>) {
                    w.setCaption(s);
                } else if (t.property == Property::ToolTip) {
                    (w.*member).setToolTipText(s);
                } else if constexpr (Captioned<std::remove_reference_t<decltype(w.*member)>>) {
                    (w.*member).setCaption(s);
                }
            },
            t.control);
    }
    return true;
}

template <class W, std::size_t N>
bool apply(W& w, QStringView code, const Text<W> (&table)[N], const RowText& rows = {}) {
    return apply(w, code, std::span<const Text<W>>(table), rows);
}

}  // namespace language
