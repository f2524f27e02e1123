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

// The letters of the Kazakh alphabet beyond the Russian one. A caption takes them from its own
// font: one taken from a fallback font of other metrics sets the whole line lower, and its
// lower part is cut off.
inline constexpr char16_t kKazakhLetters[] = u"ӘҒҚҢӨҰҮҺІәғқңөұүһі";

// The installed family that shows a font of this name: a design font ("Times New Roman",
// "Arial", "Tahoma", "MS Sans Serif") where it is installed and holds the Kazakh letters, else
// its installed twin; any other name as it is.
QString installedFamily(const FontSpec& f);

// The font at size * 20 pixels: drawn on a painter scaled to twips it has the right size on
// the screen and on paper alike, whatever either device's resolution.
QFont toTwipsFont(const FontSpec& f);
// The same font for a native widget on the screen (15 twips per pixel).
QFont toScreenFont(const FontSpec& f);

// Makes the system's fonts ready on a side thread from its construction, so that this overlaps
// with the application's connection to the display: loads the font configuration and leaves out
// every font file that lacks Kazakh letters which another file of the same family and style
// holds (an older release of a family installed beside a newer one). wait() returns when it is
// done; it must be called before the first text is measured, and the destructor calls it.
class FontPreparation {
public:
    FontPreparation();
    ~FontPreparation();
    FontPreparation(const FontPreparation&) = delete;
    FontPreparation& operator=(const FontPreparation&) = delete;
    void wait();

private:
    std::thread preparing_;
};

}  // namespace ui
