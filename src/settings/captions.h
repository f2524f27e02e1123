#pragma once
// Captions of a window from the translation table: each row of the window's table names a row of
// the table and the control it captions (none: the window's title), set in the table's order.
#include <span>

#include "platform/controls.h"
#include "workbook/ziruduzizozod.h"

namespace velmox::captions {

template <class W>
struct Row {
    constexpr Row(int r) : row(r) {}
    constexpr Row(int r, ui::Label W::*l) : row(r), label(l) {}
    constexpr Row(int r, ui::Frame W::*f) : row(r), frame(f) {}
    constexpr Row(int r, ui::CheckBox W::*c) : row(r), check(c) {}

    int row;
    ui::Label W::*label = nullptr;
    ui::Frame W::*frame = nullptr;
    ui::CheckBox W::*check = nullptr;
};

// Column 'g' for Russian, 'h' for Kazakh; each cell's value as text, an empty cell an empty caption.
template <class W>
void apply(W& w, QChar column, std::span<const Row<W>> rows) {
    for (const Row<W>& r : rows) {
        const QString text = translation(column, r.row);
        if (r.label)
            (w.*r.label).setCaption(text);
        else if (r.frame)
            (w.*r.frame).setCaption(text);
        else if (r.check)
            (w.*r.check).setCaption(text);
        else
            w.setCaption(text);
    }
}

}  // namespace velmox::captions
