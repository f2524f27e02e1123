// The print dialog's language, skin and hover pictures.
#include "student_base/print1.h"
#include "student_base/window_look.h"
#include "workbook/ziruduzizozod.h"

namespace velmox {

namespace {
struct Language {
    const char* code;
    QChar column;  // of the translation table
    const char16_t* printTip;
    const char16_t* cancelTip;
};
// In the order the handler tests them.
constexpr Language kLanguages[] = {
    {"Kaz", u'h', u"Басып шығару", u"Басып шығарудан бас тарту"},
    {"Rus", u'g', u"Отправить на печать", u"Отменить печать"},
};
constexpr int kTitleRow = 59;
constexpr int kNumberCaptionRow = 58;

constexpr hover::Button<Print1> kButtons[] = {
    {&Print1::Image1, &Print1::Image2, &Print1::Image3, 27},
    {&Print1::Image4, &Print1::Image5, &Print1::Image6, 29},
};
constexpr auto kPictures = hover::skinPictures(kButtons);
constexpr skin::Paint<Print1> kBackgrounds[] = {skin::Paint<Print1>()};
constexpr skin::Paint<Print1> kTexts[] = {&Print1::Label1, &Print1::Label2, &Print1::Label3};
const skin::Look<Print1> kLook{kBackgrounds, kPictures, kTexts};
}  // namespace

void Print1::Text2_Change() {
    for (const Language& l : kLanguages) {
        if (Text2.text() != QLatin1String(l.code)) continue;
        auto caption = [&l](int row) { return translation(l.column, row); };
        setCaption(caption(kTitleRow));
        Label2.setCaption(caption(kNumberCaptionRow));
        Image1.setToolTipText(QString::fromUtf16(l.printTip));
        Image4.setToolTipText(QString::fromUtf16(l.cancelTip));
    }
}

void Print1::Text1_Change() {
    skin::apply(*this, Text1.text(), kLook);
}

void Print1::Form_MouseMove() {
    look::showNormal(*this, kButtons);
}
void Print1::Image1_MouseDown() {
    hover::showNormal(*this, kButtons[0]);
}
void Print1::Image1_MouseMove() {
    look::showHover(*this, kButtons, 0);
}
void Print1::Image4_MouseDown() {
    hover::showNormal(*this, kButtons[1]);
}
void Print1::Image4_MouseMove() {
    look::showHover(*this, kButtons, 1);
}

}  // namespace velmox
