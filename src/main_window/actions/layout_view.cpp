// "Блок" and "Открыть": the two views of the main window. The entry panel covers the window in the
// entry view; the layout view cuts it to its top strip so the field labels, the notice label and
// the layout editor's bars behind it show. Each button disables itself and enables the other.
#include "main_window/vazed.h"

namespace velmox {

namespace {
constexpr ui::Twips kLayoutViewPanel{1300};
constexpr ui::Twips kEntryViewPanel{8830};
}  // namespace

void Vazed::bindLayoutView() {
    Image15.onClick = [this] { Image15_Click(); };
    Image18.onClick = [this] { Image18_Click(); };
}

// The view switches first, so a save that fails part-way still leaves the operator in the layout
// view; the save reports what it could not write in one message and runs every other step.
void Vazed::Image15_Click() {
    Image18.setEnabled(true);
    Image15.setEnabled(false);
    Frame1.setHeight(kLayoutViewPanel);
    SaveEntryState([this] { PlaceFieldLabels(); });
}

void Vazed::Image18_Click() {
    Image15.setEnabled(true);
    Image18.setEnabled(false);
    Frame1.setHeight(kEntryViewPanel);
}

}  // namespace velmox
