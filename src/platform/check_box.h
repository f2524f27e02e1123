#pragma once
#include <QString>

#include "platform/color.h"
#include "platform/control.h"
#include "platform/font.h"

namespace ui {

class CheckBox : public Control {
public:
    CheckBox();
    // 0 unchecked, 1 checked; a change from code or from the operator runs Click.
    int value() const { return value_; }
    void setValue(int v);
    const QString& caption() const { return caption_; }
    void setCaption(const QString& c);
    void setFont(const FontSpec& f);
    void setForeColor(OleColor c);
    void setBackColor(OleColor c);

private:
    int value_ = 0;
    QString caption_;
};

}  // namespace ui
