#pragma once
// A control's font as the window tables give it. Sizes are points (single precision, 9.75 and
// 6.75 are common); painting happens in twips, so a font is realised at size * 20 units.
#include <QFont>
#include <QString>
#include <thread>

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

// Loads the system's font configuration on a side thread from its construction, so that it is ready
// when the first window measures its first text instead of being loaded then; made before the
// application connects to the display, the two overlap. The destructor waits for it.
class FontConfigurationWarmUp {
public:
    FontConfigurationWarmUp();
    ~FontConfigurationWarmUp();
    FontConfigurationWarmUp(const FontConfigurationWarmUp&) = delete;
    FontConfigurationWarmUp& operator=(const FontConfigurationWarmUp&) = delete;

private:
    std::thread loading_;
};

}  // namespace ui
