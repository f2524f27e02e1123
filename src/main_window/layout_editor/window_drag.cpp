// The main window follows the pointer while a mouse button pressed on the font caption Label73
// drags it. The place is accumulated in the drag's own variables rather than read back from the
// window, and nothing keeps the window on the screen.
#include "main_window/vazed.h"

namespace velmox {

void Vazed::Label73_MouseDown(const ui::MouseArgs& a) {
    drag_.dragging = true;
    drag_.pressX = ui::Twips(a.x);
    drag_.pressY = ui::Twips(a.y);
    drag_.left = left();
    drag_.top = top();
}

// The pointer's distance from the press point is the window's step; each sum is formed in double
// and rounded to single precision once, when it is stored.
void Vazed::Label73_MouseMove(const ui::MouseArgs& a) {
    if (!drag_.dragging) return;
    drag_.left = ui::Twips(float(double(drag_.left.twips()) + a.x - drag_.pressX.twips()));
    drag_.top = ui::Twips(float(double(drag_.top.twips()) + a.y - drag_.pressY.twips()));
    move(drag_.left, drag_.top);
}

void Vazed::Label73_MouseUp(const ui::MouseArgs&) {
    drag_.dragging = false;
}

}  // namespace velmox
