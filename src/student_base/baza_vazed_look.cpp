// The student base window's language, skin and hover pictures. Its texts are its own: it reads
// nothing from the translation table.
#include "student_base/baza_vazed.h"
#include "student_base/window_look.h"

namespace velmox {

namespace {
struct Language {
    const char* code;
    const char16_t* caption;
    const char16_t* save;
    const char16_t* import;
    const char16_t* exportTip;
};
// In the order the handler tests them.
constexpr Language kLanguages[] = {
    {"Kaz", u"Студенттік база", u"Сақтау", u"Импорттау", u"Экспорттау"},
    {"Rus", u"База Студентов", u"Сохранить", u"Импортировать", u"Экспортировать"},
};

constexpr hover::Button<BazaVazed> kButtons[] = {
    {&BazaVazed::Image1, &BazaVazed::Image2, &BazaVazed::Image3, 19},
    {&BazaVazed::Image4, &BazaVazed::Image5, &BazaVazed::Image6, 39},
    {&BazaVazed::Image7, &BazaVazed::Image8, &BazaVazed::Image9, 17},
};
constexpr auto kPictures = hover::skinPictures(kButtons);
// The window has no labels: the skin gives it its background and its pictures only.
constexpr skin::Paint<BazaVazed> kBackgrounds[] = {skin::Paint<BazaVazed>()};
const skin::Look<BazaVazed> kLook{kBackgrounds, kPictures, {}};
}  // namespace

void BazaVazed::Text4_Change() {
    for (const Language& l : kLanguages) {
        if (Text4.text() != QLatin1String(l.code)) continue;
        setCaption(QString::fromUtf16(l.caption));
        Image1.setToolTipText(QString::fromUtf16(l.save));
        Image4.setToolTipText(QString::fromUtf16(l.import));
        Image7.setToolTipText(QString::fromUtf16(l.exportTip));
    }
}

void BazaVazed::Text5_Change() {
    skin::apply(*this, Text5.text(), kLook);
}

void BazaVazed::Form_MouseMove() {
    look::showNormal(*this, kButtons);
}
void BazaVazed::Image1_MouseDown() {
    hover::showNormal(*this, kButtons[0]);
}
void BazaVazed::Image1_MouseMove() {
    look::showHover(*this, kButtons, 0);
}
void BazaVazed::Image4_MouseDown() {
    hover::showNormal(*this, kButtons[1]);
}
void BazaVazed::Image4_MouseMove() {
    look::showHover(*this, kButtons, 1);
}
void BazaVazed::Image7_MouseDown() {
    hover::showNormal(*this, kButtons[2]);
}
void BazaVazed::Image7_MouseMove() {
    look::showHover(*this, kButtons, 2);
}

}  // namespace velmox
