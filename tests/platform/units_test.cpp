// Twips keep geometry in one unit: arithmetic and comparisons stay in twips, pixels and points are
// conversions at the edges.
#include "platform/units.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ui::Twips;

TEST(Twips, ArithmeticStaysInTwipsAndKeepsFractions) {
    EXPECT_EQ(Twips(1800) + Twips(240.5f), Twips(2040.5f));
    EXPECT_EQ(Twips(1800) - Twips(2040), Twips(-240));
    EXPECT_EQ(Twips(1300) * 1.5f, Twips(1950));
    EXPECT_EQ(0.5f * Twips(1300), Twips(650));
    EXPECT_EQ(Twips(1301) / 2, Twips(650.5f));
    EXPECT_EQ(-Twips(120), Twips(-120));
    EXPECT_FLOAT_EQ(Twips(1440) / Twips(480), 3.0f);
    Twips t(100);
    t += Twips(50);
    t -= Twips(30);
    t *= 2;
    EXPECT_EQ(t, Twips(240));
}

TEST(Twips, ComparesAndPicksTheSmallerAndLarger) {
    EXPECT_LT(Twips(-1), Twips(0));
    EXPECT_GT(Twips(8760), Twips(1200));
    EXPECT_LE(Twips(15), Twips(15));
    EXPECT_NE(Twips(15), Twips(15.5f));
    EXPECT_EQ(min(Twips(530), Twips(1200)), Twips(530));
    EXPECT_EQ(max(Twips(530), Twips(1200)), Twips(1200));
    EXPECT_EQ(std::min(Twips(530), Twips(1200)), Twips(530));
    EXPECT_EQ(std::max(Twips(530), Twips(1200)), Twips(1200));
    static_assert(Twips(1) + Twips(2) == Twips(3) && Twips(2) > Twips(1));
}

TEST(Twips, ConvertsToPixelsAndPointsOnlyAtTheEdges) {
    struct Case {
        float twips;
        int pixels;
    };
    // 15 twips to the pixel, rounded half away from zero.
    for (const Case c : {Case{0, 0}, {7, 0}, {7.5f, 1}, {15, 1}, {3360, 224}, {-22.5f, -2}})
        EXPECT_EQ(Twips(c.twips).toPixels(), c.pixels) << c.twips;
    EXPECT_EQ(Twips::fromPixels(224), Twips(3360));
    EXPECT_EQ(Twips::fromPoints(12), Twips(240));
    EXPECT_DOUBLE_EQ(Twips(3360).toPoints(), 168.0);
}

TEST(TwipsRect, HoldsTwipsAndKnowsItsFarEdges) {
    const ui::TwipsRect r{600, 1200, 3000, 2000.5f};
    EXPECT_EQ(r.left, Twips(600));
    EXPECT_EQ(r.height, Twips(2000.5f));
    EXPECT_EQ(r.right(), Twips(3600));
    EXPECT_EQ(r.bottom(), Twips(3200.5f));
    EXPECT_EQ(r, (ui::TwipsRect{Twips(600), Twips(1200), Twips(3000), Twips(2000.5f)}));
}

}  // namespace
