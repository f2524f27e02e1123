// The editor's skin, language and hover pictures. One template pair serves all 21 delete buttons:
// Image2 holds the normal picture, Image3 the hover picture.
#include <array>

#include "common/hover_button.h"
#include "common/skins.h"
#include "value_lists/edit_tables.h"
#include "workbook/ziruduzizozod.h"

namespace velmox {

using namespace value_lists;

namespace {
// Window text, where the main window's captions take button text; the dark skin's pink as there.
constexpr skin::SkinColours kTextColours = {0x80000008, 0x80000008, 0x80000008, 0x00FFC0FF};

constexpr skin::Paint<Edit> kBackgrounds[] = {skin::Paint<Edit>(), &Edit::Frame1, &Edit::Frame2,
                                              &Edit::Check1, &Edit::Check2};

constexpr int kNormalPicture = 25;
constexpr int kHoverPicture = 26;

// Picture loads in the order of the skin's writes: the first button, the two templates, then the
// other twenty buttons.
std::array<skin::Picture<Edit>, 23> pictureLoads() {
    std::array<skin::Picture<Edit>, 23> out{};
    out[0] = {kValueLists[0].button, kNormalPicture};
    out[1] = {&Edit::Image2, kNormalPicture};
    out[2] = {&Edit::Image3, kHoverPicture};
    for (int i = 1; i < 21; ++i) out[std::size_t(i) + 2] = {kValueLists[i].button, kNormalPicture};
    return out;
}

// The 21 list captions, then the two page switches.
std::array<skin::Paint<Edit>, 23> textPaints() {
    std::array<skin::Paint<Edit>, 23> out{};
    for (int i = 0; i < 21; ++i) out[std::size_t(i)] = skin::Paint<Edit>(kValueLists[i].caption);
    out[21] = skin::Paint<Edit>(&Edit::Check1);
    out[22] = skin::Paint<Edit>(&Edit::Check2);
    return out;
}

const skin::Look<Edit>& look() {
    static const auto pictures = pictureLoads();
    static const auto texts = textPaints();
    static const skin::Look<Edit> l{kBackgrounds, pictures, texts, &kTextColours};
    return l;
}

struct Language {
    const char* code;
    QChar column;  // of the translation table
    const char16_t* title;
};
// In the order the handler tests them. The titles are the window's own, not the workbook's.
constexpr Language kLanguages[] = {
    {"Kaz", u'h', u"Сақталған деректерді өндеу"},
    {"Rus", u'g', u"Редактирование сохранненых данных"},
};

hover::Button<Edit> withTemplates(ui::PictureBox Edit::*button) {
    return {button, &Edit::Image2, &Edit::Image3, kNormalPicture};
}
}  // namespace

void Edit::Text1_Change() {
    if (!skin::apply(*this, Text1.text(), look())) return;
    // A skin without its pictures keeps the design pictures: a blank delete button could not be found.
    if (Image2.picture().isNull() || Image3.picture().isNull()) showBuiltInPictures();
}

void Edit::Text2_Change() {
    for (const Language& l : kLanguages) {
        if (Text2.text() != QLatin1String(l.code)) continue;
        setCaption(QString::fromUtf16(l.title));
        for (const CaptionStep& s : kCaptionSteps) {
            const QString caption = translation(l.column, s.row);
            if (s.check) (this->*s.check).setCaption(caption);
            if (s.label) (this->*s.label).setCaption(caption);
        }
    }
}

void Edit::showNormal(ui::PictureBox Edit::*button) {
    hover::showNormal(*this, withTemplates(button));
}

void Edit::showHover(ui::PictureBox Edit::*button) {
    hover::showHover(*this, withTemplates(button));
}

void Edit::Frame1_MouseMove(const ui::MouseArgs&) {
    for (const ValueList& v : kValueLists)
        if (v.page == 1) showNormal(v.button);
}

void Edit::Frame2_MouseMove(const ui::MouseArgs&) {
    for (const ValueList& v : kValueLists)
        if (v.page == 2) showNormal(v.button);
}

}  // namespace velmox
