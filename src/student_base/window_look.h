#pragma once
// What the student base window and the print dialog share beyond the skins: a row of hover buttons
// in which the one under the pointer is lit and every other shows its normal picture, and the
// settings lines both read at their load.
#include <QString>
#include <cstddef>

#include "common/hover_button.h"

namespace velmox::look {

// Every button of the row shows its normal picture.
template <class W, std::size_t N>
void showNormal(W& w, const hover::Button<W> (&row)[N]) {
    for (const hover::Button<W>& b : row) hover::showNormal(w, b);
}

// The pointer is over button `i`: the others show their normal picture first, then it is lit.
template <class W, std::size_t N>
void showHover(W& w, const hover::Button<W> (&row)[N], std::size_t i) {
    for (std::size_t k = 0; k < N; ++k)
        if (k != i) hover::showNormal(w, row[k]);
    hover::showHover(w, row[i]);
}

// First line of a settings file in the program folder ("data\lang.txt"); a missing file is "",
// a file that cannot be read is reported once and read as "".
QString readSettingLine(const QString& name);

}  // namespace velmox::look
