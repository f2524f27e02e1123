#pragma once
// A line between two points in twips of its container; it takes no mouse events.
#include "platform/color.h"
#include "platform/control.h"

namespace ui {

class Line : public Control {
public:
    Line();
    void setPoints(Twips x1, Twips y1, Twips x2, Twips y2);
    Twips x1() const { return x1_; }
    Twips y1() const { return y1_; }
    Twips x2() const { return x2_; }
    Twips y2() const { return y2_; }
    OleColor borderColor() const { return color_; }
    void setBorderColor(OleColor c);
    void print(QPainter& p) const override;

private:
    Twips x1_, y1_, x2_, y2_;
    OleColor color_ = syscolor::kWindowText;
};

}  // namespace ui
