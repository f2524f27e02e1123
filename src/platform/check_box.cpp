#include "platform/check_box.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <stdexcept>

#include "platform/dispatch.h"

namespace ui {

namespace {
QCheckBox* box(QWidget* w) {
    return static_cast<QCheckBox*>(w);
}
}  // namespace

CheckBox::CheckBox() : Control(new QCheckBox) {
    widget()->setAutoFillBackground(true);
    QObject::connect(box(widget()), &QCheckBox::toggled, widget(), [this](bool on) {
        const int v = on ? 1 : 0;
        if (v == value_) return;
        value_ = v;
        dispatchEvent([this] { fire(onClick); });
    });
}

void CheckBox::setValue(int v) {
    if (v < 0 || v > 2) throw std::out_of_range("check box value outside 0 to 2");
    if (v == value_) return;
    value_ = v;
    {
        const QSignalBlocker block(widget());
        box(widget())->setChecked(v != 0);
    }
    fire(onClick);
}

void CheckBox::setCaption(const QString& c) {
    caption_ = c;
    box(widget())->setText(c);
}

void CheckBox::setFont(const FontSpec& f) {
    widget()->setFont(toScreenFont(f));
}

void CheckBox::setForeColor(OleColor c) {
    QPalette pal = widget()->palette();
    pal.setColor(QPalette::WindowText, toQColor(c));
    widget()->setPalette(pal);
}

void CheckBox::setBackColor(OleColor c) {
    QPalette pal = widget()->palette();
    // A check box fills its background with the button colour.
    pal.setColor(QPalette::Window, toQColor(c));
    pal.setColor(QPalette::Button, toQColor(c));
    widget()->setPalette(pal);
}

}  // namespace ui
