#pragma once
// A line between two points in twips of its container; it takes no mouse events.
#include "platform/color.h"
#include "platform/control.h"

namespace ui {

class Line : public Control {
public:
    Line();
    void setPoints(float x1, float y1, float x2, float y2);
    float x1() const { return x1_; }
    float y1() const { return y1_; }
    float x2() const { return x2_; }
    float y2() const { return y2_; }
    OleColor borderColor() const { return color_; }
    void setBorderColor(OleColor c);
    void print(QPainter& p) const override;

private:
    float x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    OleColor color_ = syscolor::kWindowText;
};

}  // namespace ui
