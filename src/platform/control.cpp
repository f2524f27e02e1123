#include "platform/control.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "platform/dispatch.h"

namespace ui {

Container::~Container() {
    for (Control* c : children_) c->parent_ = nullptr;
}

void Container::release(Control* c) {
    children_.erase(std::remove(children_.begin(), children_.end(), c), children_.end());
}

bool Container::isBareSurface(const QPoint& pos) const {
    for (const Control* c : children_) {
        if (!c->visible() || !c->enabled() || !c->widget()) continue;
        if (c->widget()->testAttribute(Qt::WA_TransparentForMouseEvents)) continue;
        if (c->widget()->geometry().contains(pos)) return false;
    }
    return true;
}

MouseArgs mouseArgs(const QMouseEvent* e) {
    MouseArgs a;
    const Qt::MouseButtons b = e->type() == QEvent::MouseMove ? e->buttons() : Qt::MouseButtons(e->button());
    if (b & Qt::LeftButton) a.button |= 1;
    if (b & Qt::RightButton) a.button |= 2;
    if (b & Qt::MiddleButton) a.button |= 4;
    const Qt::KeyboardModifiers m = e->modifiers();
    if (m & Qt::ShiftModifier) a.shift |= 1;
    if (m & Qt::ControlModifier) a.shift |= 2;
    if (m & Qt::AltModifier) a.shift |= 4;
    a.x = float(e->position().x()) * kTwipsPerPixel;
    a.y = float(e->position().y()) * kTwipsPerPixel;
    return a;
}

// Turns a widget's mouse events into the control's MouseDown, MouseMove, MouseUp and Click.
class ControlEvents : public QObject {
public:
    explicit ControlEvents(Control* c) : control_(c) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::MouseButtonRelease:
                break;
            default:
                return false;
        }
        if (!control_->enabled_ || !control_->handlesMouse()) return false;
        auto* e = static_cast<QMouseEvent*>(event);
        auto* w = static_cast<QWidget*>(watched);
        MouseArgs a = mouseArgs(e);
        if (w != control_->widget_) {
            const QPointF p = w->mapTo(control_->widget_, e->position().toPoint());
            a.x = float(p.x()) * kTwipsPerPixel;
            a.y = float(p.y()) * kTwipsPerPixel;
        }
        Control* c = control_;
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                pressed_ = true;
                if (c->onMouseDown) dispatchEvent([&] { c->onMouseDown(a); });
                break;
            case QEvent::MouseMove:
                if (c->onMouseMove) dispatchEvent([&] { c->onMouseMove(a); });
                break;
            case QEvent::MouseButtonRelease: {
                const bool wasPressed = pressed_;
                pressed_ = false;
                if (c->onMouseUp) dispatchEvent([&] { c->onMouseUp(a); });
                // The control may be gone after MouseUp; a click needs it still under the pointer.
                if (wasPressed && e->button() == Qt::LeftButton && c->clicksByMouse() && c->onClick &&
                    w->rect().contains(e->position().toPoint()))
                    dispatchEvent([&] { c->onClick(); });
                break;
            }
            default:
                break;
        }
        return false;
    }

private:
    Control* control_;
    bool pressed_ = false;
};

Control::Control(QWidget* widget) : widget_(widget), events_(std::make_unique<ControlEvents>(this)) {
    widget->setMouseTracking(true);
    // Mouse events reach only the control under the pointer, never its container as well.
    widget->setAttribute(Qt::WA_NoMousePropagation);
    widget->installEventFilter(events_.get());
}

Control::~Control() {
    if (parent_) parent_->release(this);
    delete widget_.data();
}

void Control::watch(QWidget* inner) {
    inner->setMouseTracking(true);
    inner->installEventFilter(events_.get());
}

QRectF areaOf(Twips width, Twips height) {
    return QRectF(0, 0, width.twips(), height.twips());
}

void drawPixelBorder(QPainter& p, Twips width, Twips height) {
    QPen pen(Qt::black);
    pen.setWidthF(kTwipsPerPixel);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const Twips pixel = Twips::fromPixels(1), half = pixel / 2;
    p.drawRect(QRectF(half.twips(), half.twips(), (width - pixel).twips(), (height - pixel).twips()));
}

void Control::create(Container& parent, const QString& name, const TwipsRect& rect) {
    name_ = name;
    parent_ = &parent;
    parent.adopt(this);
    widget_->setObjectName(name);
    widget_->setParent(parent.surface());
    rect_ = rect;
    applyGeometry();
    widget_->setVisible(visible_);
}

void Control::applyGeometry() {
    if (!widget_) return;
    const int x = rect_.left.toPixels();
    const int y = rect_.top.toPixels();
    const int r = rect_.right().toPixels();
    const int b = rect_.bottom().toPixels();
    widget_->setGeometry(x, y, std::max(0, r - x), std::max(0, b - y));
}

void Control::setLeft(Twips v) {
    rect_.left = v;
    applyGeometry();
}
void Control::setTop(Twips v) {
    rect_.top = v;
    applyGeometry();
}
void Control::setWidth(Twips v) {
    rect_.width = v;
    applyGeometry();
}
void Control::setHeight(Twips v) {
    rect_.height = v;
    applyGeometry();
}
void Control::move(Twips left, Twips top) {
    rect_.left = left;
    rect_.top = top;
    applyGeometry();
}

void Control::setVisible(bool v) {
    visible_ = v;
    if (widget_ && parent_) widget_->setVisible(v);
}

void Control::setEnabled(bool e) {
    enabled_ = e;
    if (widget_) widget_->setEnabled(e);
}

void Control::setToolTipText(const QString& t) {
    toolTip_ = t;
    if (widget_) widget_->setToolTip(t);
}

namespace {
class TwipsPaintedWidget : public QWidget {
public:
    explicit TwipsPaintedWidget(const Control* c) : control_(c) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.scale(1.0 / kTwipsPerPixel, 1.0 / kTwipsPerPixel);
        control_->print(p);
    }

private:
    const Control* control_;
};
}  // namespace

QWidget* newTwipsPaintedWidget(const Control* control) {
    return new TwipsPaintedWidget(control);
}

void Control::print(QPainter& p) const {
    if (!widget_) return;
    p.save();
    p.scale(kTwipsPerPixel, kTwipsPerPixel);
    widget_->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
    p.restore();
}

}  // namespace ui
