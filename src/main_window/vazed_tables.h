#pragma once
// The main window's tables, read by one loop each.
#include "main_window/vazed.h"

namespace velmox {

struct EntryControlDesign {
    const char* name;
    EntryRef control;
    ui::TwipsRect design;
};
// The 44 entry controls in tab order.
extern const EntryControlDesign kEntryControls[44];

struct CaptionLabelDesign {
    const char* name;
    ui::Label Vazed::*label;
    ui::TwipsRect design;
    ui::Alignment alignment;
    int row;  // of the translation table
    const char16_t* caption;
};
extern const CaptionLabelDesign kCaptionLabels[30];

// The order in which the language writes the captions, and the row each one reads.
struct CaptionStep {
    ui::Label Vazed::*label;
    int row;
};
extern const CaptionStep kCaptionSteps[30];
constexpr int kTitleRow = 22;

struct ButtonTip {
    ui::PictureBox Vazed::*button;
    const char16_t* rus;
    const char16_t* kaz;
};
extern const ButtonTip kButtonTips[9];

struct DateTip {
    ui::TextBox Vazed::*box;
    const char16_t* rus;
    const char16_t* kaz;
};
extern const DateTip kDateTips[10];

}  // namespace velmox
