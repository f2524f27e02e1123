#pragma once
// A picture control used as a button, with its normal and hover pictures kept in two hidden
// picture controls of the same window. Showing a picture hands the holder's picture over, never a
// fresh load, so a button always shows what the skin put into its holders. A window's buttons form
// a row in which the one under the pointer is lit and every other shows its normal picture.
#include <array>
#include <cstddef>

#include "common/skins.h"

namespace hover {

template <class W>
struct Button {
    ui::PictureBox W::*button;
    ui::PictureBox W::*normal;
    ui::PictureBox W::*hover;
    int picture;  // the skin picture of the button and its normal holder; the hover holder takes the next
};

template <class W>
void showNormal(W& w, const Button<W>& b) {
    (w.*b.button).setPicture((w.*b.normal).picture());
}

template <class W>
void showHover(W& w, const Button<W>& b) {
    (w.*b.button).setPicture((w.*b.hover).picture());
}

// Every button of the row shows its normal picture.
template <class W, std::size_t N>
void showNormal(W& w, const Button<W> (&row)[N]) {
    for (const Button<W>& b : row) showNormal(w, b);
}

// The pointer is over button `i`: the others show their normal picture first, then it is lit.
template <class W, std::size_t N>
void showHover(W& w, const Button<W> (&row)[N], std::size_t i) {
    for (std::size_t k = 0; k < N; ++k)
        if (k != i) showNormal(w, row[k]);
    showHover(w, row[i]);
}

// The skin's picture loads of a row of buttons: each button, then its normal holder with the same
// number, then its hover holder with the next one.
template <class W, std::size_t N>
constexpr std::array<skin::Picture<W>, 3 * N> skinPictures(const Button<W> (&buttons)[N]) {
    std::array<skin::Picture<W>, 3 * N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        out[3 * i] = {buttons[i].button, buttons[i].picture};
        out[3 * i + 1] = {buttons[i].normal, buttons[i].picture};
        out[3 * i + 2] = {buttons[i].hover, buttons[i].picture + 1};
    }
    return out;
}

}  // namespace hover
