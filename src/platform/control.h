#pragma once
// The base of every control: a name, a place in twips inside its container, visibility, enabled
// state and tooltip. Geometry is kept exactly as written and shown at 15 twips per pixel.
// Writes of these properties run no handler; the property writes that do (Text, Caption, Value,
// ListIndex) live in the controls that have them.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/units.h"

class QPainter;
class QRectF;

namespace ui {

class Control;

// What a mouse handler learns: the buttons as bits (1 left, 2 right, 4 middle), the modifier keys
// as bits (1 Shift, 2 Ctrl, 4 Alt), and the pointer in twips from the control's top-left corner.
struct MouseArgs {
    int button = 0;
    int shift = 0;
    float x = 0, y = 0;
};
using MouseHandler = std::function<void(const MouseArgs&)>;

// A form or a frame: holds controls, places them relative to itself and clips them.
class Container {
public:
    // Leaves the children that outlive it without a container, so none reaches back to it.
    virtual ~Container();
    virtual QWidget* surface() const = 0;
    const std::vector<Control*>& children() const { return children_; }
    void adopt(Control* c) { children_.push_back(c); }
    void release(Control* c);
    // True when the point (in the surface's pixels) lies on no enabled child: the bare surface.
    bool isBareSurface(const QPoint& pos) const;

private:
    std::vector<Control*> children_;
};

class Control {
public:
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Places the control in its container at its design rectangle.
    void create(Container& parent, const QString& name, const TwipsRect& rect);

    const QString& name() const { return name_; }
    Container* parent() const { return parent_; }
    QWidget* widget() const { return widget_; }

    Twips left() const { return rect_.left; }
    Twips top() const { return rect_.top; }
    Twips width() const { return rect_.width; }
    Twips height() const { return rect_.height; }
    virtual void setLeft(Twips v);
    virtual void setTop(Twips v);
    virtual void setWidth(Twips v);
    virtual void setHeight(Twips v);
    void move(Twips left, Twips top);
    const TwipsRect& rect() const { return rect_; }

    bool visible() const { return visible_; }
    void setVisible(bool v);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    const QString& toolTipText() const { return toolTip_; }
    void setToolTipText(const QString& t);

    // Paints the control for the printer, on a painter whose unit is one twip and whose origin is
    // the control's top-left corner. The default renders the widget as the screen shows it.
    virtual void print(QPainter& p) const;

    MouseHandler onMouseDown, onMouseMove, onMouseUp;
    std::function<void()> onClick;

protected:
    explicit Control(QWidget* widget);
    // Pushes the twips rectangle to the widget.
    virtual void applyGeometry();
    // Mouse events reach the control only over its own area; a disabled control gets none.
    virtual bool handlesMouse() const { return true; }
    // Labels, pictures and frames click by mouse; the Click of a list, combo or check box is the
    // change of its selection instead, and those controls fire it themselves.
    virtual bool clicksByMouse() const { return false; }
    // Watches an inner widget (a combo box's edit field) for the control's mouse events.
    void watch(QWidget* inner);

    TwipsRect rect_;

private:
    friend class ControlEvents;
    friend class Container;
    QPointer<QWidget> widget_;
    std::unique_ptr<QObject> events_;
    QString name_;
    Container* parent_ = nullptr;
    bool visible_ = true;
    bool enabled_ = true;
    QString toolTip_;
};

// A widget that paints its control on the screen through the control's own print(), at 15 twips
// per pixel, so the screen and the paper cannot disagree.
QWidget* newTwipsPaintedWidget(const Control* control);

// A control's own area, `width` by `height` from the origin, on a painter whose unit is one twip.
QRectF areaOf(Twips width, Twips height);
// A black border one screen pixel wide, drawn inside that area.
void drawPixelBorder(QPainter& p, Twips width, Twips height);

// Where a list's selection goes when item `removed` leaves it: gone with it, or one up.
inline int selectionAfterRemoval(int selected, int removed) {
    return selected == removed ? -1 : selected > removed ? selected - 1 : selected;
}

// Twips relative to a widget from a pixel position.
MouseArgs mouseArgs(const class QMouseEvent* e);

}  // namespace ui
