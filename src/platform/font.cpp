#include "platform/font.h"

#include <fontconfig/fontconfig.h>

#include <cmath>

#include "platform/units.h"

namespace ui {

namespace {
QFont baseFont(const FontSpec& f) {
    QFont q(f.name);
    // Names a machine lacks are substituted by fontconfig ("Times New Roman" → Liberation Serif).
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setKerning(false);
    return q;
}
}  // namespace

QFont toTwipsFont(const FontSpec& f) {
    QFont q = baseFont(f);
    q.setPixelSize(std::max(1, int(std::lround(f.size * kTwipsPerPoint))));
    q.setHintingPreference(QFont::PreferNoHinting);
    return q;
}

QFont toScreenFont(const FontSpec& f) {
    QFont q = baseFont(f);
    q.setPixelSize(std::max(1, int(std::lround(f.size * kTwipsPerPoint / kTwipsPerPixel))));
    return q;
}

FontConfigurationWarmUp::FontConfigurationWarmUp() : loading_([] { FcInit(); }) {}

FontConfigurationWarmUp::~FontConfigurationWarmUp() {
    loading_.join();
}

}  // namespace ui
