#pragma once
// A frame holds controls, places them relative to itself and clips them. It gets mouse events
// only over its bare surface.
#include <QString>

#include "platform/color.h"
#include "platform/control.h"

namespace ui {

class Frame : public Control, public Container {
public:
    Frame();

    QWidget* surface() const override { return widget(); }
    OleColor backColor() const { return back_; }
    void setBackColor(OleColor c);
    int borderStyle() const { return border_ ? 1 : 0; }
    void setBorderStyle(int style);
    const QString& caption() const { return caption_; }
    void setCaption(const QString& c);

    void print(QPainter& p) const override;

protected:
    bool clicksByMouse() const override { return true; }

private:
    OleColor back_ = syscolor::kButtonFace;
    bool border_ = false;
    QString caption_;
};

// Paints a container's visible controls, bottom first, each at its twips position.
void printChildren(QPainter& p, const Container& c);

}  // namespace ui
