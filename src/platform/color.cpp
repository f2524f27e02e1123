#include "platform/color.h"

namespace ui {

namespace {
struct SystemColour {
    std::uint32_t index;
    QRgb rgb;
};
// The classic desktop scheme's values.
constexpr SystemColour kSystemColours[] = {
    {0x00, 0xC8C8C8},  // scroll bar
    {0x01, 0x3A6EA5},  // desktop
    {0x02, 0x0A246A},  // active title
    {0x03, 0x808080},  // inactive title
    {0x04, 0xD4D0C8},  // menu
    {0x05, 0xFFFFFF},  // window background
    {0x06, 0x000000},  // window frame
    {0x07, 0x000000},  // menu text
    {0x08, 0x000000},  // window text
    {0x09, 0xFFFFFF},  // active title text
    {0x0A, 0xD4D0C8},  // active border
    {0x0B, 0xD4D0C8},  // inactive border
    {0x0C, 0x808080},  // application workspace
    {0x0D, 0x0A246A},  // highlight
    {0x0E, 0xFFFFFF},  // highlight text
    {0x0F, 0xD4D0C8},  // button face
    {0x10, 0x808080},  // button shadow
    {0x11, 0x808080},  // grey text
    {0x12, 0x000000},  // button text
    {0x13, 0x000000},  // inactive title text: black as on current desktops; the classic grey
                       // left captions drawn in it unreadable on the skins' light backgrounds
    {0x14, 0xFFFFFF},  // button highlight
    {0x15, 0x404040},  // 3D dark shadow
    {0x16, 0xD4D0C8},  // 3D light
    {0x17, 0x000000},  // tooltip text
    {0x18, 0xFFFFE1},  // tooltip background
};
}  // namespace

QColor toQColor(OleColor c) {
    if (c & 0x80000000u) {
        const std::uint32_t index = c & 0xFFu;
        for (const auto& s : kSystemColours)
            if (s.index == index) return QColor::fromRgb(s.rgb);
        return QColor(Qt::black);
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

}  // namespace ui
