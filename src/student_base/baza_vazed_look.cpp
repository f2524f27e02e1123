// The student base window's language, skin and hover pictures. Its texts are its own: it reads
// nothing from the translation table.
#include "common/hover_button.h"
#include "common/language.h"
#include "student_base/baza_vazed.h"

namespace velmox {

namespace {
// clang-format off
constexpr language::Text<BazaVazed> kLanguage[] = {
    language::title<BazaVazed>(u"База Студентов", u"Студенттік база"),
    language::tip(&BazaVazed::Image1, u"Сохранить",      u"Сақтау"),
    language::tip(&BazaVazed::Image4, u"Импортировать",  u"Импорттау"),
    language::tip(&BazaVazed::Image7, u"Экспортировать", u"Экспорттау"),
};
// clang-format on

// clang-format off
constexpr hover::Button<BazaVazed> kButtons[] = {
    {&BazaVazed::Image1, &BazaVazed::Image2, &BazaVazed::Image3, 19},
    {&BazaVazed::Image4, &BazaVazed::Image5, &BazaVazed::Image6, 39},
    {&BazaVazed::Image7, &BazaVazed::Image8, &BazaVazed::Image9, 17},
};
// clang-format on
constexpr auto kPictures = hover::skinPictures(kButtons);
// The window has no labels: the skin gives it its background and its pictures only.
constexpr skin::Paint<BazaVazed> kBackgrounds[] = {skin::Paint<BazaVazed>()};
const skin::Look<BazaVazed> kLook{kBackgrounds, kPictures, {}};
}  // namespace

void BazaVazed::Text4_Change() {
    language::apply(*this, Text4.text(), kLanguage);
}

void BazaVazed::Text5_Change() {
    skin::apply(*this, Text5.text(), kLook);
}

void BazaVazed::Form_MouseMove() {
    hover::showNormal(*this, kButtons);
}
void BazaVazed::Image1_MouseDown() {
    hover::showNormal(*this, kButtons[0]);
}
void BazaVazed::Image1_MouseMove() {
    hover::showHover(*this, kButtons, 0);
}
void BazaVazed::Image4_MouseDown() {
    hover::showNormal(*this, kButtons[1]);
}
void BazaVazed::Image4_MouseMove() {
    hover::showHover(*this, kButtons, 1);
}
void BazaVazed::Image7_MouseDown() {
    hover::showNormal(*this, kButtons[2]);
}
void BazaVazed::Image7_MouseMove() {
    hover::showHover(*this, kButtons, 2);
}

}  // namespace velmox
