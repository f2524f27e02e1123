#pragma once
// Positions arrive in twips (1440 to the inch) and are shown at 15 twips per pixel; a point is
// 20 twips. Keeping them in their own type stops a pixel from being stored where a twip belongs.
#include <cmath>

namespace ui {

constexpr float kTwipsPerPixel = 15.0f;
constexpr float kTwipsPerPoint = 20.0f;
constexpr float kTwipsPerInch = 1440.0f;

struct Twips {
    float value = 0;  // exactly what was written, never rounded
    constexpr Twips() = default;
    constexpr explicit Twips(float v) : value(v) {}
    int toPixels() const { return int(std::lround(value / kTwipsPerPixel)); }
    constexpr double toPoints() const { return value / kTwipsPerPoint; }
    static Twips fromPixels(int px) { return Twips(float(px) * kTwipsPerPixel); }
    friend constexpr bool operator==(Twips, Twips) = default;
};

// A design rectangle as the window tables give it: Left, Top, Width, Height in twips.
struct TwipsRect {
    float left = 0, top = 0, width = 0, height = 0;
};

}  // namespace ui
