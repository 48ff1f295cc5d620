// Dialog units from a font's metrics, and the pixel placements that must grow with them.
#include "DialogUnits.h"

#include <gtest/gtest.h>

namespace corvina {
namespace {

TEST(DialogUnits, TheBaseIsTheRoundedAverageLetterWidthAndTheCharacterHeight)
{
    // 52 letters of 8.2 pixels on average round to 8; 8.6 round to 9.
    EXPECT_EQ(DialogUnits::FromFontMetrics(426, 17).BaseX(), 8);
    EXPECT_EQ(DialogUnits::FromFontMetrics(447, 17).BaseX(), 9);
    EXPECT_EQ(DialogUnits::FromFontMetrics(447, 17).BaseY(), 17);
    // A font that measures nothing (no display font) keeps the template font's base.
    EXPECT_EQ(DialogUnits::FromFontMetrics(0, 0).BaseX(), DialogUnits::kTemplateBaseX);
    EXPECT_EQ(DialogUnits::FromFontMetrics(0, 0).BaseY(), DialogUnits::kTemplateBaseY);
}

TEST(DialogUnits, TheTemplateFontMapsUnitsAsItsPlatformDoesAndKeepsPixelPlacements)
{
    const DialogUnits units;
    EXPECT_EQ(std::pair(units.X(4), units.Y(8)), std::pair(6, 13));
    EXPECT_EQ(std::pair(units.X(464), units.Y(307)), std::pair(696, 499)); // 498.875 rounds up
    EXPECT_EQ(units.Pixels(208, 230, 440, 20), (PixelRect{208, 230, 440, 20}));
}

TEST(DialogUnits, AWiderFontScalesUnitsAndPixelPlacementsAlikeAndEdgesStillTouch)
{
    const DialogUnits units(8, 17);
    EXPECT_EQ(std::pair(units.X(4), units.Y(8)), std::pair(8, 17));
    // 6 template pixels are 4 units: both become 8 pixels.
    EXPECT_EQ(units.PixelX(6), units.X(4));
    EXPECT_EQ(units.PixelY(13), units.Y(8));
    // Two controls that touch stay touching after conversion.
    const auto rightEdge = [](const PixelRect& r) { return r.x + r.width; };
    EXPECT_EQ(rightEdge(units.Rect(7, 19, 33, 10)), units.Rect(40, 19, 21, 10).x);
    EXPECT_EQ(rightEdge(units.Pixels(0, 230, 50, 20)), units.Pixels(50, 230, 10, 20).x);
    // The ruler: from 208 over 440 template pixels.
    EXPECT_EQ(units.Pixels(208, 230, 440, 20), (PixelRect{277, 301, 587, 26}));
    // Back to the template's scale, as the clip rules reckon, without drift.
    for (int x = 0; x < 700; ++x)
        ASSERT_EQ(units.TemplatePixelX(units.PixelX(x)), x) << x;
}

} // namespace
} // namespace corvina
