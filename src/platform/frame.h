#pragma once
// A frame holds controls, places them relative to itself and clips them. It gets mouse events
// only over its bare surface. With a border it draws a grey outline and its caption in the
// outline's top edge; without one the caption is kept but not drawn.
#include <QString>

#include "platform/color.h"
#include "platform/control.h"
#include "platform/font.h"

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
    const FontSpec& font() const { return font_; }
    void setFont(const FontSpec& f);
    OleColor foreColor() const { return fore_; }
    void setForeColor(OleColor c);

    void print(QPainter& p) const override;

protected:
    bool clicksByMouse() const override { return true; }

private:
    OleColor back_ = syscolor::kButtonFace;
    bool border_ = false;
    QString caption_;
    FontSpec font_;
    OleColor fore_ = syscolor::kButtonText;
};

// Paints a container's visible controls, bottom first, each at its twips position; a control that
// lies wholly outside the painter's clip is not painted at all.
void printChildren(QPainter& p, const Container& c);

}  // namespace ui
