#include "platform/key_press.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStringDecoder>
#include <QStringEncoder>

#include "platform/dispatch.h"

namespace ui {

std::int16_t keyCodeOf(QChar c) {
    if (c.unicode() < 0x80) return std::int16_t(c.unicode());
    QStringEncoder enc("windows-1251");
    const QByteArray b = enc.encode(QString(c));
    if (!enc.hasError() && b.size() == 1 && b[0] != '?') return std::int16_t(quint8(b[0]));
    return std::int16_t(c.unicode());
}

namespace {
QString charOfCode(std::int16_t code) {
    if (code >= 0x80 && code < 0x100) {
        QStringDecoder dec("windows-1251");
        return dec.decode(QByteArray(1, char(code)));
    }
    return QString(QChar(char16_t(code)));
}

class KeyPressFilter : public QObject {
public:
    KeyPressFilter(QObject* watched, QLineEdit* edit, const KeyPressHandler* h)
        : QObject(watched), edit_(edit), handler_(h) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !*handler_) return false;
        auto* k = static_cast<QKeyEvent*>(event);
        const QString text = k->text();
        // Keys that produce no character (arrows, Delete, F-keys, Tab) never reach KeyPress.
        if (text.isEmpty() || k->key() == Qt::Key_Delete || k->key() == Qt::Key_Tab ||
            k->key() == Qt::Key_Backtab)
            return false;
        const std::int16_t original = keyCodeOf(text[0]);
        std::int16_t code = original;
        bool failed = true;
        dispatchEvent([&] {
            (*handler_)(code);
            failed = false;
        });
        if (failed || code == original) return false;
        if (code == 0) return true;
        if (code == 8) {
            edit_->backspace();
            return true;
        }
        if (code > 0 && code < 32) return true;  // a control code the box does not insert
        edit_->insert(charOfCode(code));
        return true;
    }

private:
    QLineEdit* edit_;
    const KeyPressHandler* handler_;
};
}  // namespace

void watchKeyPress(QLineEdit* edit, const KeyPressHandler* handler) {
    watchKeyPress(edit, edit, handler);
}

void watchKeyPress(QObject* watched, QLineEdit* edit, const KeyPressHandler* handler) {
    watched->installEventFilter(new KeyPressFilter(watched, edit, handler));
}

}  // namespace ui
