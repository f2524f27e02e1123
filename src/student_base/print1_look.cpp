// The print dialog's language, skin and hover pictures.
#include "common/hover_button.h"
#include "common/language.h"
#include "student_base/print1.h"
#include "workbook/ziruduzizozod.h"

namespace velmox {

namespace {
// clang-format off
constexpr language::Text<Print1> kLanguage[] = {
    language::title<Print1>(59),
    language::caption(&Print1::Label2, 58),
    language::tip(&Print1::Image1, u"Отправить на печать", u"Басып шығару"),
    language::tip(&Print1::Image4, u"Отменить печать",     u"Басып шығарудан бас тарту"),
};
// clang-format on

// clang-format off
constexpr hover::Button<Print1> kButtons[] = {
    {&Print1::Image1, &Print1::Image2, &Print1::Image3, 27},
    {&Print1::Image4, &Print1::Image5, &Print1::Image6, 29},
};
// clang-format on
constexpr auto kPictures = hover::skinPictures(kButtons);
constexpr skin::Paint<Print1> kBackgrounds[] = {skin::Paint<Print1>()};
constexpr skin::Paint<Print1> kTexts[] = {&Print1::Label1, &Print1::Label2, &Print1::Label3};
const skin::Look<Print1> kLook{kBackgrounds, kPictures, kTexts};
}  // namespace

void Print1::Text2_Change() {
    language::apply(*this, Text2.text(), kLanguage, translationRow);
}

void Print1::Text1_Change() {
    skin::apply(*this, Text1.text(), kLook);
}

void Print1::Form_MouseMove() {
    hover::showNormal(*this, kButtons);
}
void Print1::Image1_MouseDown() {
    hover::showNormal(*this, kButtons[0]);
}
void Print1::Image1_MouseMove() {
    hover::showHover(*this, kButtons, 0);
}
void Print1::Image4_MouseDown() {
    hover::showNormal(*this, kButtons[1]);
}
void Print1::Image4_MouseMove() {
    hover::showHover(*this, kButtons, 1);
}

}  // namespace velmox
