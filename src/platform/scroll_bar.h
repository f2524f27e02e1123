#pragma once
// Scroll bars with a 16-bit Value between Min and Max. Change runs after an arrow click
// (SmallChange), a track click (LargeChange), a key, the release of a dragged thumb, and a
// write from code that changes the Value; Scroll runs for each new thumb position while the
// thumb is dragged. An operator never leaves the range; a write from code outside it throws.
#include <cstdint>

#include "platform/control.h"

namespace ui {

class ScrollBar : public Control {
public:
    std::int16_t value() const { return value_; }
    void setValue(int v);
    // Shows a Value without running Change, for a caller that must show a place it does not mean
    // to store. Outside the range it throws, as setValue does.
    void setValueWithoutChange(int v);
    std::int16_t min() const { return min_; }
    std::int16_t max() const { return max_; }
    void setRange(int min, int max);
    std::int16_t smallChange() const { return small_; }
    std::int16_t largeChange() const { return large_; }
    void setSmallChange(int s);
    void setLargeChange(int l);

    std::function<void()> onChange;
    std::function<void()> onScroll;

protected:
    explicit ScrollBar(Qt::Orientation o);

private:
    void showValue();
    std::int16_t value_ = 0, min_ = 0, max_ = 32767, small_ = 1, large_ = 1;
    std::int16_t valueAtPress_ = 0;
};

class HScrollBar : public ScrollBar {
public:
    HScrollBar() : ScrollBar(Qt::Horizontal) {}
};

class VScrollBar : public ScrollBar {
public:
    VScrollBar() : ScrollBar(Qt::Vertical) {}
};

}  // namespace ui
