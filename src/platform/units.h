#pragma once
// Positions arrive in twips (1440 to the inch) and are shown at 15 twips per pixel; a point is
// 20 twips. Keeping them in their own type stops a pixel from being stored where a twip belongs:
// geometry is computed in Twips and unwrapped to a number only where Qt takes one.
#include <cmath>
#include <compare>

namespace ui {

constexpr float kTwipsPerPixel = 15.0f;
constexpr float kTwipsPerPoint = 20.0f;
constexpr float kTwipsPerInch = 1440.0f;

struct Twips {
    float value = 0;  // exactly what was written, never rounded
    constexpr Twips() = default;
    constexpr explicit Twips(float v) : value(v) {}
    static constexpr Twips fromPixels(int px) { return Twips(float(px) * kTwipsPerPixel); }
    static constexpr Twips fromPoints(double pt) { return Twips(float(pt * kTwipsPerPoint)); }

    // The number for a Qt call on a painter whose unit is one twip.
    constexpr float twips() const { return value; }
    int toPixels() const { return int(std::lround(value / kTwipsPerPixel)); }
    constexpr double toPoints() const { return value / kTwipsPerPoint; }

    constexpr Twips operator-() const { return Twips(-value); }
    constexpr Twips& operator+=(Twips t) { return value += t.value, *this; }
    constexpr Twips& operator-=(Twips t) { return value -= t.value, *this; }
    constexpr Twips& operator*=(float k) { return value *= k, *this; }
    constexpr Twips& operator/=(float k) { return value /= k, *this; }
    friend constexpr Twips operator+(Twips a, Twips b) { return a += b; }
    friend constexpr Twips operator-(Twips a, Twips b) { return a -= b; }
    friend constexpr Twips operator*(Twips a, float k) { return a *= k; }
    friend constexpr Twips operator*(float k, Twips a) { return a *= k; }
    friend constexpr Twips operator/(Twips a, float k) { return a /= k; }
    // How many times `b` fits into `a`.
    friend constexpr float operator/(Twips a, Twips b) { return a.value / b.value; }
    friend constexpr bool operator==(Twips, Twips) = default;
    // Against a plain number of twips as a design table writes it.
    friend constexpr bool operator==(Twips a, float twips) { return a.value == twips; }
    friend constexpr std::partial_ordering operator<=>(Twips a, Twips b) { return a.value <=> b.value; }
    friend constexpr Twips min(Twips a, Twips b) { return b < a ? b : a; }
    friend constexpr Twips max(Twips a, Twips b) { return a < b ? b : a; }
};

// A design rectangle as the window tables give it: Left, Top, Width, Height in twips.
struct TwipsRect {
    Twips left, top, width, height;
    constexpr TwipsRect() = default;
    constexpr TwipsRect(Twips l, Twips t, Twips w, Twips h) : left(l), top(t), width(w), height(h) {}
    // The tables' rows: plain numbers of twips.
    constexpr TwipsRect(float l, float t, float w, float h)
        : TwipsRect(Twips(l), Twips(t), Twips(w), Twips(h)) {}
    constexpr Twips right() const { return left + width; }
    constexpr Twips bottom() const { return top + height; }
    friend constexpr bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

}  // namespace ui
