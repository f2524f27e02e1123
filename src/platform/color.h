#pragma once
// Colours as the stored values give them: &HBBGGRR, or a system colour index &H800000xx.
#include <QColor>
#include <cstdint>

namespace ui {

using OleColor = std::uint32_t;

namespace syscolor {
constexpr OleColor kWindowBackground = 0x80000005;
constexpr OleColor kWindowText = 0x80000008;
constexpr OleColor kButtonFace = 0x8000000F;
constexpr OleColor kInactiveTitle = 0x8000000B;  // "Белый интерактив скин" background
constexpr OleColor kButtonText = 0x80000012;
constexpr OleColor kHighlight = 0x8000000D;
constexpr OleColor kInfoBackground = 0x80000018;  // "Желтый скин" background
constexpr OleColor kButtonShadow = 0x80000010;
}  // namespace syscolor

// System colours map to fixed RGB values so screens and tests agree on every machine.
QColor toQColor(OleColor c);

}  // namespace ui
