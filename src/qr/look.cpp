// The language, the skin and the hover pictures of the QR window. Language and skin are applied
// once, at the start; the language sets only the buttons' tooltips.
#include "common/hover_button.h"
#include "common/skins.h"
#include "qr/qr.h"

namespace qr {

namespace {
// clang-format off
constexpr hover::Button<QR> kButtons[2] = {
    {&QR::Image5, &QR::Image6, &QR::Image7, 15},  // load
    {&QR::Image2, &QR::Image3, &QR::Image4, 5},   // print
};
// clang-format on

constexpr skin::Paint<QR> kBackgrounds[] = {skin::Paint<QR>{}};  // the window itself
constexpr auto kPictures = hover::skinPictures(kButtons);
const skin::Look<QR> kLook{kBackgrounds, kPictures, {}};

struct Tooltips {
    const char16_t* code;
    const char16_t* load;
    const char16_t* print;
};
// clang-format off
constexpr Tooltips kTooltips[] = {
    {u"Rus", u"Загрузить изображение", u"Отправить на печать"},
    {u"Kaz", u"Суретті жүктеп салу", u"Басып шығаруға жіберу"},
};
// clang-format on

// The pointer is over button `lit`: the other shows its normal picture first, then it is lit.
void light(QR& w, std::size_t lit) {
    for (std::size_t i = 0; i < 2; ++i)
        if (i != lit) hover::showNormal(w, kButtons[i]);
    hover::showHover(w, kButtons[lit]);
}
}  // namespace

void QR::Text7_Change() {
    for (const Tooltips& t : kTooltips) {
        if (Text7.text() != QStringView(t.code)) continue;
        Image5.setToolTipText(QString::fromUtf16(t.load));
        Image2.setToolTipText(QString::fromUtf16(t.print));
    }
}

void QR::Text8_Change() {
    skin::apply(*this, Text8.text(), kLook);
}

void QR::Image5_MouseMove() {
    light(*this, 0);
}
void QR::Image2_MouseMove() {
    light(*this, 1);
}
void QR::Image5_MouseDown() {
    hover::showNormal(*this, kButtons[0]);
}
void QR::Image2_MouseDown() {
    hover::showNormal(*this, kButtons[1]);
}
void QR::Form_MouseMove() {
    for (const hover::Button<QR>& b : kButtons) hover::showNormal(*this, b);
}

}  // namespace qr
