// The toolbar's hover pictures and the QR button. A move over a button lights it and puts the
// normal picture back on the buttons of its reset list; a press, or a move over the bare entry
// panel, shows the normal picture. There is no release handling.
#include "main_window/entry_panel/toolbar.h"

#include <span>

#include "platform/paths.h"

namespace velmox {

namespace {
using Picture = ui::PictureBox Vazed::*;
using MouseHandler = void (Vazed::*)(const ui::MouseArgs&);

constexpr Picture kResets1[] = {&Vazed::Image10};
constexpr Picture kResets201[] = {&Vazed::Image10, &Vazed::Image21, &Vazed::Image18, &Vazed::Image15,
                                  &Vazed::Image4};
constexpr Picture kResets4[] = {&Vazed::Image10, &Vazed::Image21, &Vazed::Image18, &Vazed::Image15,
                                &Vazed::Image201};
constexpr Picture kResets15[] = {&Vazed::Image10, &Vazed::Image21, &Vazed::Image18, &Vazed::Image201,
                                 &Vazed::Image4};
constexpr Picture kResets18[] = {&Vazed::Image10,  &Vazed::Image24, &Vazed::Image21,
                                 &Vazed::Image201, &Vazed::Image4,  &Vazed::Image15};
constexpr Picture kResets24[] = {&Vazed::Image18, &Vazed::Image10, &Vazed::Image21};
constexpr Picture kResets21[] = {&Vazed::Image10, &Vazed::Image24, &Vazed::Image201, &Vazed::Image15,
                                 &Vazed::Image18};
constexpr Picture kResets21After[] = {&Vazed::Image4};
constexpr Picture kResets10[] = {&Vazed::Image7,  &Vazed::Image24, &Vazed::Image21, &Vazed::Image18,
                                 &Vazed::Image15, &Vazed::Image4,  &Vazed::Image1,  &Vazed::Image201};
constexpr Picture kResets7[] = {&Vazed::Image10};

// Each button's handlers and the buttons its move restores, before and after lighting it.
struct HoverRule {
    Picture button;
    MouseHandler down, move;
    std::span<const Picture> resets;
    std::span<const Picture> resetsAfter = {};
};
// clang-format off
constexpr HoverRule kHoverRules[9] = {
    {&Vazed::Image1,   &Vazed::Image1_MouseDown,   &Vazed::Image1_MouseMove,   kResets1},
    {&Vazed::Image201, &Vazed::Image201_MouseDown, &Vazed::Image201_MouseMove, kResets201},
    {&Vazed::Image4,   &Vazed::Image4_MouseDown,   &Vazed::Image4_MouseMove,   kResets4},
    {&Vazed::Image15,  &Vazed::Image15_MouseDown,  &Vazed::Image15_MouseMove,  kResets15},
    {&Vazed::Image18,  &Vazed::Image18_MouseDown,  &Vazed::Image18_MouseMove,  kResets18},
    {&Vazed::Image24,  &Vazed::Image24_MouseDown,  &Vazed::Image24_MouseMove,  kResets24},
    {&Vazed::Image21,  &Vazed::Image21_MouseDown,  &Vazed::Image21_MouseMove,  kResets21, kResets21After},
    {&Vazed::Image10,  &Vazed::Image10_MouseDown,  &Vazed::Image10_MouseMove,  kResets10},
    {&Vazed::Image7,   &Vazed::Image7_MouseDown,   &Vazed::Image7_MouseMove,   kResets7},
};
// clang-format on

// The order in which a move over the bare panel restores the buttons.
constexpr Picture kPanelResets[9] = {&Vazed::Image7,  &Vazed::Image24,  &Vazed::Image21,
                                     &Vazed::Image18, &Vazed::Image15,  &Vazed::Image4,
                                     &Vazed::Image1,  &Vazed::Image201, &Vazed::Image10};

const hover::Button<Vazed>& buttonOf(Picture p) {
    for (const auto& b : kToolbar)
        if (b.button == p) return b;
    throw std::logic_error("no toolbar button");
}

const HoverRule& ruleOf(Picture p) {
    for (const HoverRule& r : kHoverRules)
        if (r.button == p) return r;
    throw std::logic_error("no toolbar button");
}

void showNormal(Vazed& v, Picture p) {
    hover::showNormal(v, buttonOf(p));
}

void moveOver(Vazed& v, Picture p) {
    const HoverRule& r = ruleOf(p);
    for (Picture reset : r.resets) showNormal(v, reset);
    hover::showHover(v, buttonOf(p));
    for (Picture reset : r.resetsAfter) showNormal(v, reset);
}
}  // namespace

void Vazed::bindToolbar() {
    Text47.onChange = [this] { Text47_Change(); };
    Frame1.onMouseMove = [this](const ui::MouseArgs& a) { Frame1_MouseMove(a); };
    for (const HoverRule& r : kHoverRules) {
        ui::PictureBox& b = this->*r.button;
        b.onMouseDown = [this, down = r.down](const ui::MouseArgs& a) { (this->*down)(a); };
        b.onMouseMove = [this, move = r.move](const ui::MouseArgs& a) { (this->*move)(a); };
    }
    Image7.onClick = [this] { Image7_Click(); };
}

void Vazed::Frame1_MouseMove(const ui::MouseArgs&) {
    for (Picture p : kPanelResets) showNormal(*this, p);
}

void Vazed::Image1_MouseDown(const ui::MouseArgs&) {
    showNormal(*this, &Vazed::Image1);
}
void Vazed::Image1_MouseMove(const ui::MouseArgs&) {
    moveOver(*this, &Vazed::Image1);
}
void Vazed::Image201_MouseDown(const ui::MouseArgs&) {
    showNormal(*this, &Vazed::Image201);
}
void Vazed::Image201_MouseMove(const ui::MouseArgs&) {
    moveOver(*this, &Vazed::Image201);
}
void Vazed::Image4_MouseDown(const ui::MouseArgs&) {
    showNormal(*this, &Vazed::Image4);
}
void Vazed::Image4_MouseMove(const ui::MouseArgs&) {
    moveOver(*this, &Vazed::Image4);
}
void Vazed::Image15_MouseDown(const ui::MouseArgs&) {
    showNormal(*this, &Vazed::Image15);
}
void Vazed::Image15_MouseMove(const ui::MouseArgs&) {
    moveOver(*this, &Vazed::Image15);
}
void Vazed::Image18_MouseDown(const ui::MouseArgs&) {
    showNormal(*this, &Vazed::Image18);
}
void Vazed::Image18_MouseMove(const ui::MouseArgs&) {
    moveOver(*this, &Vazed::Image18);
}
void Vazed::Image24_MouseDown(const ui::MouseArgs&) {
    showNormal(*this, &Vazed::Image24);
}
void Vazed::Image24_MouseMove(const ui::MouseArgs&) {
    moveOver(*this, &Vazed::Image24);
}
void Vazed::Image21_MouseDown(const ui::MouseArgs&) {
    showNormal(*this, &Vazed::Image21);
}
void Vazed::Image21_MouseMove(const ui::MouseArgs&) {
    moveOver(*this, &Vazed::Image21);
}
void Vazed::Image10_MouseDown(const ui::MouseArgs&) {
    showNormal(*this, &Vazed::Image10);
}
void Vazed::Image10_MouseMove(const ui::MouseArgs&) {
    moveOver(*this, &Vazed::Image10);
}
void Vazed::Image7_MouseDown(const ui::MouseArgs&) {
    showNormal(*this, &Vazed::Image7);
}
void Vazed::Image7_MouseMove(const ui::MouseArgs&) {
    moveOver(*this, &Vazed::Image7);
}

// QR is looked for in the program folder only; a failed start is reported there and the main
// window goes on as it was.
void Vazed::Image7_Click() {
    ui::startProgramFromFolder(QStringLiteral("QR.exe"), ui::WindowStyle::MinimizedFocus);
}

}  // namespace velmox
