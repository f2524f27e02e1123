#include "platform/line.h"

#include <QPainter>
#include <algorithm>

namespace ui {

Line::Line() : Control(newTwipsPaintedWidget(this)) {
    widget()->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Line::setPoints(Twips x1, Twips y1, Twips x2, Twips y2) {
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    // The widget covers the line's bounding box plus one pixel, so a straight line has width.
    const Twips pixel = Twips::fromPixels(1);
    rect_ = {min(x1, x2), min(y1, y2), max(x1, x2) - min(x1, x2) + pixel, max(y1, y2) - min(y1, y2) + pixel};
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
    const Twips half(kTwipsPerPixel / 2);
    auto at = [&](Twips x, Twips y) {
        return QPointF((x - rect_.left + half).twips(), (y - rect_.top + half).twips());
    };
    p.drawLine(at(x1_, y1_), at(x2_, y2_));
}

}  // namespace ui
