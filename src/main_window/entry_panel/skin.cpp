// The skin of the main window: the entry panel's colour (the window itself stays white), the
// pictures of the toolbar and its holders, and the colour of 29 caption labels. Label67 keeps its
// own black under every skin.
#include "common/skins.h"
#include "main_window/entry_panel/toolbar.h"
#include "main_window/vazed.h"

namespace velmox {

namespace {
using Paint = skin::Paint<Vazed>;

constexpr Paint kBackgrounds[] = {&Vazed::Frame1};

constexpr auto kPictures = hover::skinPictures(kToolbar);

constexpr Paint kCaptions[29] = {
    &Vazed::Label73, &Vazed::Label74, &Vazed::Label75, &Vazed::Label57, &Vazed::Label45, &Vazed::Label48,
    &Vazed::Label49, &Vazed::Label50, &Vazed::Label51, &Vazed::Label66, &Vazed::Label52, &Vazed::Label53,
    &Vazed::Label47, &Vazed::Label54, &Vazed::Label55, &Vazed::Label56, &Vazed::Label58, &Vazed::Label59,
    &Vazed::Label60, &Vazed::Label62, &Vazed::Label63, &Vazed::Label64, &Vazed::Label77, &Vazed::Label65,
    &Vazed::Label68, &Vazed::Label69, &Vazed::Label70, &Vazed::Label71, &Vazed::Label72,
};

const skin::Look<Vazed> kLook{kBackgrounds, kPictures, kCaptions};
}  // namespace

void Vazed::Text47_Change() {
    skin::apply(*this, Text47.text(), kLook);
}

}  // namespace velmox
