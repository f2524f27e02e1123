#pragma once
// A label paints itself through one function for the screen and the paper alike, so the two
// cannot disagree about alignment, autosize, border or font.
#include <QString>

#include "platform/color.h"
#include "platform/control.h"
#include "platform/font.h"

class QRegion;

namespace ui {

enum class Alignment { Left, Right, Center };

struct LabelLook {
    QString caption;
    FontSpec font;
    Alignment alignment = Alignment::Left;
    bool autoSize = false;
    bool border = false;  // a single line around the label
    bool opaque = false;  // false: the background shows through
    OleColor foreColor = syscolor::kButtonText;
    OleColor backColor = syscolor::kButtonFace;
};

// Paints `look` into a box of `width` x `height` twips on a painter whose unit is one twip and
// whose origin is the label's top-left corner.
void paintLabel(QPainter& p, const LabelLook& look, Twips width, Twips height);
// The width and height in twips that an autosize label takes for its text and font.
std::pair<Twips, Twips> autoSizeExtent(const LabelLook& look);

class Label : public Control {
public:
    Label();

    const QString& caption() const { return look_.caption; }
    // Runs Change when the caption really changes.
    void setCaption(const QString& c);

    const FontSpec& font() const { return look_.font; }
    void setFont(const FontSpec& f);
    void setFontName(const QString& name);
    void setFontSize(float points);
    void setFontBold(bool b);
    void setFontItalic(bool i);
    Alignment alignment() const { return look_.alignment; }
    void setAlignment(Alignment a);
    bool autoSize() const { return look_.autoSize; }
    void setAutoSize(bool a);
    // 0 none, 1 fixed single.
    int borderStyle() const { return look_.border ? 1 : 0; }
    void setBorderStyle(int style);
    // 0 transparent, 1 opaque.
    int backStyle() const { return look_.opaque ? 1 : 0; }
    void setBackStyle(int style);
    OleColor foreColor() const { return look_.foreColor; }
    void setForeColor(OleColor c);
    OleColor backColor() const { return look_.backColor; }
    void setBackColor(OleColor c);
    const LabelLook& look() const { return look_; }

    void print(QPainter& p) const override;

    std::function<void()> onChange;

protected:
    bool clicksByMouse() const override { return true; }

private:
    void restyle();
    QRegion areaLeftOpen() const;
    LabelLook look_;
};

}  // namespace ui
