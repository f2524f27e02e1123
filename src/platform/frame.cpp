#include "platform/frame.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

namespace {
// The frame's own look on a painter whose unit is one twip: background, then with a border the
// outline, whose top edge runs through the middle of the caption, and the caption on a patch of
// background so the line does not cross it.
void paintFrame(QPainter& p, const Frame& f, Twips width, Twips height) {
    p.fillRect(areaOf(width, height), toQColor(f.backColor()));
    if (!f.borderStyle()) return;
    const QFont font = toTwipsFont(f.font());
    const QFontMetricsF m(font);
    const Twips px(kTwipsPerPixel);
    const Twips lineY = f.caption().isEmpty() ? px / 2 : Twips(float(m.height() / 2));
    QPen pen(QColor(0x80, 0x80, 0x80));
    pen.setWidthF(px.twips());
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(
        QRectF(px.twips() / 2, lineY.twips(), (width - px).twips(), (height - lineY - px / 2).twips()));
    if (f.caption().isEmpty()) return;
    const Twips inset = px * 8;
    const QRectF text(inset.twips(), 0, m.horizontalAdvance(f.caption()) + 2 * px.twips(), m.height());
    p.fillRect(text, toQColor(f.backColor()));
    p.setFont(font);
    p.setPen(toQColor(f.foreColor()));
    p.drawText(text.adjusted(px.twips(), 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, f.caption());
}

class FrameWidget : public QWidget {
public:
    explicit FrameWidget(const Frame* f) : frame_(f) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel);
        paintFrame(p, *frame_, Twips::fromPixels(width()), Twips::fromPixels(height()));
    }

private:
    const Frame* frame_;
};
}  // namespace

Frame::Frame() : Control(new FrameWidget(this)) {}

void Frame::setBackColor(OleColor c) {
    back_ = c;
    widget()->update();
}

void Frame::setBorderStyle(int style) {
    border_ = style != 0;
    widget()->update();
}

void Frame::setCaption(const QString& c) {
    caption_ = c;
    widget()->update();
}

void Frame::setFont(const FontSpec& f) {
    font_ = f;
    widget()->update();
}

void Frame::setForeColor(OleColor c) {
    fore_ = c;
    widget()->update();
}

void Frame::print(QPainter& p) const {
    p.save();
    p.setClipRect(areaOf(rect_.width, rect_.height), Qt::IntersectClip);
    paintFrame(p, *this, rect_.width, rect_.height);
    printChildren(p, *this);
    p.restore();
}

void printChildren(QPainter& p, const Container& c) {
    for (const Control* child : c.children()) {
        if (!child->visible()) continue;
        p.save();
        p.translate(child->left().twips(), child->top().twips());
        // A control wholly outside what the painter may paint on is left out. Painted, its text
        // would still go into the page whole, merely clipped from view, where a driver or a
        // reader of the file finds it beyond the window's client area.
        if (!p.hasClipping() || p.clipBoundingRect().intersects(areaOf(child->width(), child->height())))
            child->print(p);
        p.restore();
    }
}

}  // namespace ui
