#pragma once
// A control's font as the window tables give it. Sizes are points (single precision, 9.75 and
// 6.75 are common); painting happens in twips, so a font is realised at size * 20 units.
#include <QFont>
#include <QString>

namespace ui {

struct FontSpec {
    QString name = QStringLiteral("MS Sans Serif");
    float size = 8.25f;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// The font at size * 20 pixels: drawn on a painter scaled to twips it has the right size on
// the screen and on paper alike, whatever either device's resolution.
QFont toTwipsFont(const FontSpec& f);
// The same font for a native widget on the screen (15 twips per pixel).
QFont toScreenFont(const FontSpec& f);

}  // namespace ui
