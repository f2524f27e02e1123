#pragma once
// KeyPress: every key that produces a character reaches the handler as a signed 16-bit code it
// may replace (0 or a control code the box does not insert refuses the key).
#include <QObject>
#include <cstdint>
#include <functional>

class QLineEdit;

namespace ui {

using KeyPressHandler = std::function<void(std::int16_t& keyAscii)>;

// The code of a typed character: its Windows-1251 byte where it has one, else its Unicode value.
std::int16_t keyCodeOf(QChar c);

// Installs the KeyPress translation on an edit field.
void watchKeyPress(QLineEdit* edit, const KeyPressHandler* handler);
// The same for keys that reach `watched` (a combo box) and are typed into `edit`, its edit field.
void watchKeyPress(QObject* watched, QLineEdit* edit, const KeyPressHandler* handler);

}  // namespace ui
