#pragma once
// The editor's tables: the 21 lists with their place, caption, file and delete button, and the
// captions the language writes. One loop reads each.
#include "value_lists/edit.h"

namespace velmox::value_lists {

using MouseHandler = void (Edit::*)(const ui::MouseArgs&);

struct ValueList {
    int n;       // list N reads and writes data\N.txt
    int page;    // 1: Frame1 (left part of the blank), 2: Frame2 (right part)
    int column;  // 0 left, 1 right
    int row;     // 1 at the top
    ui::ListBox Edit::*list;
    ui::Label Edit::*caption;
    ui::PictureBox Edit::*button;
    void (Edit::*click)();
    MouseHandler buttonDown, buttonMove, listMove;
};
extern const ValueList kValueLists[21];
inline const ValueList& valueList(int n) {
    return kValueLists[n - 1];
}

// One caption the language writes, in the order of its writes: a page switch or a list caption,
// the translation table's row, and the caption as designed.
struct CaptionStep {
    int row;
    ui::CheckBox Edit::*check;
    ui::Label Edit::*label;
    const char16_t* design;
};
extern const CaptionStep kCaptionSteps[23];

}  // namespace velmox::value_lists
