#include "platform/line.h"

#include <QPainter>
#include <algorithm>

namespace ui {

Line::Line() : Control(newTwipsPaintedWidget(this)) {
    widget()->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Line::setPoints(float x1, float y1, float x2, float y2) {
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    // The widget covers the line's bounding box plus one pixel, so a straight line has width.
    rect_ = {std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + kTwipsPerPixel,
             std::abs(y2 - y1) + kTwipsPerPixel};
    applyGeometry();
    widget()->update();
}

void Line::setBorderColor(OleColor c) {
    color_ = c;
    widget()->update();
}

void Line::print(QPainter& p) const {
    QPen pen(toQColor(color_));
    pen.setWidthF(kTwipsPerPixel);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    const float h = kTwipsPerPixel / 2;
    p.drawLine(QPointF(x1_ - rect_.left + h, y1_ - rect_.top + h),
               QPointF(x2_ - rect_.left + h, y2_ - rect_.top + h));
}

}  // namespace ui
