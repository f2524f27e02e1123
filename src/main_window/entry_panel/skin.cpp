// The skin of the main window: the entry panel's colour (the window itself stays white), the
// pictures of the toolbar and its holders, and the colour of 29 caption labels. Label67 keeps its
// own black under every skin.
#include "common/skins.h"
#include "common/text_file.h"
#include "main_window/entry_panel/toolbar.h"
#include "main_window/vazed.h"
#include "main_window/vazed_tables.h"
#include "platform/paths.h"

namespace velmox {

namespace {
using Paint = skin::Paint<Vazed>;

constexpr Paint kBackgrounds[] = {&Vazed::Frame1};

constexpr auto kPictures = hover::skinPictures(kToolbar);

// Every caption label but Label67.
const skin::Look<Vazed>& look() {
    static const auto captions = [] {
        std::vector<Paint> out;
        for (const CaptionLabelDesign& c : kCaptionLabels)
            if (c.label != &Vazed::Label67) out.emplace_back(c.label);
        return out;
    }();
    static const skin::Look<Vazed> l{kBackgrounds, kPictures, captions};
    return l;
}
}  // namespace

void Vazed::PrefetchSkinPictures() {
    // Read quietly: a file that cannot be read is reported when the window reads it for its skin.
    const QStringList skin =
        textfile::readLines(ui::programPath(QStringLiteral("data\\Skin.txt")), textfile::LoneLf::EndsLine)
            .lines;
    if (!skin.isEmpty()) skin::prefetchPictures(skin.front(), look());
}

void Vazed::Text47_Change() {
    skin::apply(*this, Text47.text(), look());
}

}  // namespace velmox
