#pragma once
// A picture control used as a button, with its normal and hover pictures kept in two hidden
// picture controls of the same window. Showing a picture hands the holder's picture over, never a
// fresh load, so a button always shows what the skin put into its holders.
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
