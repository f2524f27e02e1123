#include "platform/text_box.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include "platform/dispatch.h"

namespace ui {

namespace {
QLineEdit* edit(QWidget* w) {
    return static_cast<QLineEdit*>(w);
}

void applyColours(QWidget* w, OleColor fore, OleColor back) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Text, toQColor(fore));
    pal.setColor(QPalette::Base, toQColor(back));
    w->setPalette(pal);
}
}  // namespace

TextBox::TextBox() : Control(new QLineEdit) {
    QLineEdit* e = edit(widget());
    e->setMaxLength(32767 * 32);  // the old box had no practical limit
    e->setFont(toScreenFont(font_));
    QObject::connect(e, &QLineEdit::textEdited, e, [this](const QString& t) {
        if (t == text_) return;
        text_ = t;
        dispatchEvent([this] { fire(onChange); });
    });
    watchKeyPress(e, &onKeyPress);
}

void TextBox::showText() {
    QLineEdit* e = edit(widget());
    const QSignalBlocker block(e);
    e->setText(text_);
    e->setCursorPosition(0);
}

void TextBox::setText(const QString& t) {
    if (t == text_) return;
    text_ = t;
    showText();
    fire(onChange);
}

void TextBox::setDesignText(const QString& t) {
    text_ = t;
    showText();
}

void TextBox::setFont(const FontSpec& f) {
    font_ = f;
    widget()->setFont(toScreenFont(f));
}

void TextBox::setForeColor(OleColor c) {
    fore_ = c;
    applyColours(widget(), fore_, back_);
}

void TextBox::setBackColor(OleColor c) {
    back_ = c;
    applyColours(widget(), fore_, back_);
}

void TextBox::setLocked(bool l) {
    edit(widget())->setReadOnly(l);
}

}  // namespace ui
