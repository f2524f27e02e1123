#include "platform/scroll_bar.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <stdexcept>

#include "platform/dispatch.h"

namespace ui {

namespace {
QScrollBar* bar(QWidget* w) {
    return static_cast<QScrollBar*>(w);
}

std::int16_t checked16(int v, const char* what) {
    if (v < -32768 || v > 32767) throw std::out_of_range(what);
    return std::int16_t(v);
}

// Qt runs its scroll bars' keys inverted so that Up lowers the Value, and that turns Left and
// Right round as well; the operator's Left arrow takes SmallChange off, Right adds it, on either
// kind of bar.
class ArrowKeys : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Left && key != Qt::Key_Right) return false;
        bar(static_cast<QWidget*>(watched))
            ->triggerAction(key == Qt::Key_Right ? QAbstractSlider::SliderSingleStepAdd
                                                 : QAbstractSlider::SliderSingleStepSub);
        return true;
    }
};
}  // namespace

ScrollBar::ScrollBar(Qt::Orientation o) : Control(new QScrollBar(o)) {
    QScrollBar* b = bar(widget());
    b->setRange(min_, max_);
    b->setSingleStep(small_);
    b->setPageStep(large_);
    b->setTracking(true);
    // Qt's bars never take the focus; these, like the old ones, take it by Tab or click so the
    // operator's keys reach them.
    b->setFocusPolicy(Qt::StrongFocus);
    b->installEventFilter(new ArrowKeys(b));
    QObject::connect(b, &QScrollBar::sliderPressed, b, [this] { valueAtPress_ = value_; });
    QObject::connect(b, &QScrollBar::valueChanged, b, [this, b](int v) {
        if (v == value_) return;
        value_ = std::int16_t(v);
        if (b->isSliderDown())
            dispatchEvent([this] { fire(onScroll); });
        else
            dispatchEvent([this] { fire(onChange); });
    });
    QObject::connect(b, &QScrollBar::sliderReleased, b, [this] {
        if (value_ != valueAtPress_) dispatchEvent([this] { fire(onChange); });
    });
}

void ScrollBar::showValue() {
    const QSignalBlocker block(widget());
    bar(widget())->setValue(value_);
}

void ScrollBar::setValue(int v) {
    if (v < min_ || v > max_) throw std::out_of_range("scroll bar value outside its range");
    if (v == value_) return;
    value_ = std::int16_t(v);
    showValue();
    fire(onChange);
}

void ScrollBar::setValueWithoutChange(int v) {
    if (v < min_ || v > max_) throw std::out_of_range("scroll bar value outside its range");
    value_ = std::int16_t(v);
    showValue();
}

void ScrollBar::setRange(int min, int max) {
    min_ = checked16(min, "scroll bar Min outside 16 bits");
    max_ = checked16(max, "scroll bar Max outside 16 bits");
    const QSignalBlocker block(widget());
    bar(widget())->setRange(min_, max_);
    // A Value left outside the new range moves to its nearer end, as the old bars did.
    const int clamped = std::clamp<int>(value_, std::min(min_, max_), std::max(min_, max_));
    if (clamped != value_) {
        value_ = std::int16_t(clamped);
        showValue();
    }
}

void ScrollBar::setSmallChange(int s) {
    small_ = checked16(s, "SmallChange outside 16 bits");
    bar(widget())->setSingleStep(small_);
}

void ScrollBar::setLargeChange(int l) {
    large_ = checked16(l, "LargeChange outside 16 bits");
    bar(widget())->setPageStep(large_);
}

}  // namespace ui
