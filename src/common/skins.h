#pragma once
// The four colour skins shared by every window of both programs, and the one routine that puts a
// skin on a window from the window's own table: which surfaces take the skin's background, which
// picture controls load which numbered picture of the skin's folder, and which texts take the
// caption colour (or the window's own colour where it differs).
#include <QString>
#include <QStringView>
#include <array>
#include <span>

#include "platform/controls.h"

namespace skin {

// One colour per skin, in the table's order.
using SkinColours = std::array<ui::OleColor, 4>;

struct Skin {
    const char16_t* name;  // the key, matched whole and case-sensitively
    int folder;            // image\Skin<folder>
    ui::OleColor background;
    ui::OleColor captionText;
};

inline constexpr Skin kSkins[4] = {
    {u"Основной скин", 1, 0x00FBE3C8, 0x80000012},
    {u"Белый интерактив скин", 2, 0x8000000B, 0x80000012},
    {u"Желтый скин", 3, 0x80000018, 0x80000012},
    {u"Темный скин", 4, 0x00404040, 0x00FFC0FF},
};

// The skins' caption colours as one row, for windows that state their exceptions beside it.
inline constexpr SkinColours kCaptionText = {kSkins[0].captionText, kSkins[1].captionText,
                                             kSkins[2].captionText, kSkins[3].captionText};

// The skin named exactly `name`, or nullptr: another letter case, a blank around it or an empty
// text names none.
const Skin* find(QStringView name);
// "image\SkinN\<number>.jpg", resolved against the program folder.
QString picturePath(const Skin& s, int number);

// The skin's row in kSkins, the index into a SkinColours row.
inline std::size_t rowOf(const Skin& s) {
    return std::size_t(&s - kSkins);
}
inline ui::OleColor pick(const Skin& s, const SkinColours* own, ui::OleColor skinColour) {
    return own ? (*own)[rowOf(s)] : skinColour;
}

// A surface or text that a skin colours: a label, a frame or a check box of window W, or the
// window itself when no control is named. `own` replaces the skin's colour for this one entry.
template <class W>
struct Paint {
    constexpr Paint() = default;
    constexpr Paint(ui::Label W::*l, const SkinColours* c = nullptr) : label(l), own(c) {}
    constexpr Paint(ui::Frame W::*f, const SkinColours* c = nullptr) : frame(f), own(c) {}
    constexpr Paint(ui::CheckBox W::*b, const SkinColours* c = nullptr) : check(b), own(c) {}

    ui::Label W::*label = nullptr;
    ui::Frame W::*frame = nullptr;
    ui::CheckBox W::*check = nullptr;
    const SkinColours* own = nullptr;
};

template <class W>
struct Picture {
    ui::PictureBox W::*control;
    int number;
};

// A window's skin table, each list in the order of its writes. Texts are labels, frame captions and
// check boxes.
template <class W>
struct Look {
    std::span<const Paint<W>> backgrounds;
    std::span<const Picture<W>> pictures;
    std::span<const Paint<W>> texts;
    const SkinColours* textColours = nullptr;  // the window's text colours; none: the skin's caption colour
};

// The files of a window's skin pictures, in the order of its table.
template <class W>
QStringList picturePaths(const Skin& s, const Look<W>& look) {
    QStringList files;
    for (const Picture<W>& p : look.pictures) files << picturePath(s, p.number);
    return files;
}

// Starts reading the pictures that applying the skin named `name` will show, while the caller goes
// on building the window; a name that is no skin starts nothing.
template <class W>
void prefetchPictures(QStringView name, const Look<W>& look) {
    if (const Skin* s = find(name)) ui::prefetchPictures(picturePaths(*s, look));
}

// Applies the skin named `name` to `w`: backgrounds, then pictures, then text colours. A name that
// is no skin changes nothing and gives false. Each picture is read from its file afresh; a missing
// or unreadable file leaves its control without a picture, so one lost file costs one button its
// picture and nothing else.
template <class W>
bool apply(W& w, QStringView name, const Look<W>& look) {
    const Skin* s = find(name);
    if (!s) return false;
    for (const Paint<W>& p : look.backgrounds) {
        const ui::OleColor c = pick(*s, p.own, s->background);
        if (p.label)
            (w.*p.label).setBackColor(c);
        else if (p.frame)
            (w.*p.frame).setBackColor(c);
        else if (p.check)
            (w.*p.check).setBackColor(c);
        else
            w.setBackColor(c);
    }
    const std::vector<std::optional<QPixmap>> pictures = ui::readPictures(picturePaths(*s, look));
    for (std::size_t i = 0; i < look.pictures.size(); ++i)
        (w.*look.pictures[i].control).setPicture(pictures[i].value_or(QPixmap()));
    for (const Paint<W>& p : look.texts) {
        const ui::OleColor c = pick(*s, p.own ? p.own : look.textColours, s->captionText);
        if (p.label) (w.*p.label).setForeColor(c);
        if (p.frame) (w.*p.frame).setForeColor(c);
        if (p.check) (w.*p.check).setForeColor(c);
    }
    return true;
}

}  // namespace skin
