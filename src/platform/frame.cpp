#include "platform/frame.h"

#include <QPainter>

namespace ui {

namespace {
class FrameWidget : public QWidget {
public:
    explicit FrameWidget(const Frame* f) : frame_(f) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), toQColor(frame_->backColor()));
        if (frame_->borderStyle()) {
            p.setPen(QColor(0x80, 0x80, 0x80));
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
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
}

void Frame::print(QPainter& p) const {
    p.save();
    p.setClipRect(areaOf(rect_.width, rect_.height), Qt::IntersectClip);
    p.fillRect(areaOf(rect_.width, rect_.height), toQColor(back_));
    printChildren(p, *this);
    p.restore();
}

void printChildren(QPainter& p, const Container& c) {
    for (const Control* child : c.children()) {
        if (!child->visible()) continue;
        p.save();
        p.translate(child->left().twips(), child->top().twips());
        child->print(p);
        p.restore();
    }
}

}  // namespace ui
