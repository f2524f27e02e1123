// The editor's skin, language and hover pictures. One template pair serves all 21 delete buttons:
// Image2 holds the normal picture, Image3 the hover picture.
#include <array>

#include "common/hover_button.h"
#include "common/language.h"
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

// The title is the window's own, not the workbook's; the captions follow in their steps' order.
const std::array<language::Text<Edit>, 24>& languageTable() {
    static const auto table = [] {
        std::array<language::Text<Edit>, 24> out{};
        out[0] = language::title<Edit>(u"Редактирование сохранненых данных", u"Сақталған деректерді өндеу");
        for (std::size_t i = 0; i < 23; ++i) {
            const CaptionStep& s = kCaptionSteps[i];
            out[i + 1] = s.check ? language::caption(s.check, s.row) : language::caption(s.label, s.row);
        }
        return out;
    }();
    return table;
}

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
    language::apply<Edit>(*this, Text2.text(), languageTable(), translationRow);
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
