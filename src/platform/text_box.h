#pragma once
#include <QString>

#include "platform/color.h"
#include "platform/control.h"
#include "platform/font.h"
#include "platform/key_press.h"

namespace ui {

class TextBox : public Control {
public:
    TextBox();

    const QString& text() const { return text_; }
    // Runs Change when the text really changes; an operator's edit takes the same path.
    void setText(const QString& t);
    // The design text: set while building the window, runs nothing.
    void setDesignText(const QString& t);

    void setFont(const FontSpec& f);
    const FontSpec& font() const { return font_; }
    void setForeColor(OleColor c);
    void setBackColor(OleColor c);
    bool multiLine() const { return multiLine_; }
    void setMultiLine(bool m) { multiLine_ = m; }
    void setLocked(bool l);

    std::function<void()> onChange;
    KeyPressHandler onKeyPress;

private:
    void showText();
    QString text_;
    FontSpec font_;
    bool multiLine_ = false;
    OleColor fore_ = syscolor::kWindowText, back_ = syscolor::kWindowBackground;
};

}  // namespace ui
