// The language, the skin and the hover pictures of the QR window. Language and skin are applied
// once, at the start; the language sets only the buttons' tooltips.
#include "common/hover_button.h"
#include "common/language.h"
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

// clang-format off
constexpr language::Text<QR> kTooltips[] = {
    language::tip(&QR::Image5, u"Загрузить изображение", u"Суретті жүктеп салу"),
    language::tip(&QR::Image2, u"Отправить на печать", u"Басып шығаруға жіберу"),
};
// clang-format on
}  // namespace

void QR::Text7_Change() {
    language::apply(*this, Text7.text(), kTooltips);
}

void QR::Text8_Change() {
    skin::apply(*this, Text8.text(), kLook);
}

void QR::Image5_MouseMove() {
    hover::showHover(*this, kButtons, 0);
}
void QR::Image2_MouseMove() {
    hover::showHover(*this, kButtons, 1);
}
void QR::Image5_MouseDown() {
    hover::showNormal(*this, kButtons[0]);
}
void QR::Image2_MouseDown() {
    hover::showNormal(*this, kButtons[1]);
}
void QR::Form_MouseMove() {
    hover::showNormal(*this, kButtons);
}

}  // namespace qr
