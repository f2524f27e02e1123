#pragma once
// The main window's tables, read by one loop each.
#include "common/language.h"
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

// What the language writes after every caption label (from its row of kCaptionLabels): the title,
// then the toolbar's and the date boxes' tooltips.
extern const language::Text<Vazed> kLanguageAfterCaptions[20];

}  // namespace velmox
