#pragma once
// Where a part of a scroll bar (an arrow, the track, the thumb) is now, in the bar's pixels, so a
// test can click it as an operator would.
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

inline QRect scrollBarPart(const QScrollBar* b, QStyle::SubControl part) {
    QStyleOptionSlider o;
    o.initFrom(b);
    o.subControls = QStyle::SC_All;
    o.orientation = b->orientation();
    o.minimum = b->minimum();
    o.maximum = b->maximum();
    o.sliderPosition = b->sliderPosition();
    o.sliderValue = b->value();
    o.singleStep = b->singleStep();
    o.pageStep = b->pageStep();
    o.upsideDown = b->invertedAppearance();
    if (b->orientation() == Qt::Horizontal) o.state |= QStyle::State_Horizontal;
    return b->style()->subControlRect(QStyle::CC_ScrollBar, &o, part, b);
}
