#include "imaging/ShownRegion.h"

#include <gtest/gtest.h>

namespace {

TEST(ShownRegionTest, AFrameShownAtItsOwnSizeMapsRowsBottomUp)
{
    const ShownFrame shown{320, 240, 320, false};
    EXPECT_EQ(ShownHeight(shown), 240);
    // Shown rows 20-24 are memory rows 239 - 24 = 215 to 239 - 20 = 219.
    EXPECT_EQ(FramePixelsUnder(shown, {10, 20, 14, 24}), (PixelRect{10, 215, 14, 219}));
}

TEST(ShownRegionTest, TheCameraMirrorTurnsColumnsRound)
{
    const ShownFrame shown{320, 240, 320, true};
    EXPECT_EQ(FramePixelsUnder(shown, {10, 20, 14, 24}), (PixelRect{305, 215, 309, 219}));
    EXPECT_EQ(FramePixelsUnder(shown, {0, 0, 0, 0}), (PixelRect{319, 239, 319, 239}));
}

TEST(ShownRegionTest, EveryFramePixelUnderTheScaledRectangleIsTaken)
{
    // Half size: one shown pixel covers two frame columns and two frame rows.
    const ShownFrame half{320, 240, 160, false};
    EXPECT_EQ(ShownHeight(half), 120);
    EXPECT_EQ(FramePixelsUnder(half, {5, 0, 5, 0}), (PixelRect{10, 238, 11, 239}));
    // 310 wide: 310 × 240 / 320 = 232 rows. The last shown column covers 309 × 320 / 310 = 318
    // to (310 × 320 − 1) / 310 = 319, the last shown row 231 × 240 / 232 = 238 to 239 from the
    // top, memory rows 0 and 1.
    const ShownFrame narrow{320, 240, 310, false};
    EXPECT_EQ(ShownHeight(narrow), 232);
    EXPECT_EQ(FramePixelsUnder(narrow, {309, 231, 309, 231}), (PixelRect{318, 0, 319, 1}));
}

TEST(ShownRegionTest, APointTakesThePixelUnderItsCentre)
{
    // 310 wide: column 210's centre 210.5 × 320 / 310 = 217.3 is column 217, mirrored 102; row
    // 50's centre 50.5 × 240 / 232 = 52.2 is row 52 from the top, memory row 187.
    const ShownFrame narrow{320, 240, 310, true};
    EXPECT_EQ(FramePixelShownAt(narrow, 210, 50), (PixelRect{102, 187, 102, 187}));
    EXPECT_EQ(FramePixelShownAt(narrow, 310, 0), std::nullopt);
    EXPECT_EQ(FramePixelShownAt(narrow, 0, 232), std::nullopt);
}

TEST(ShownRegionTest, RectanglesAreOrderedAndClippedToThePicture)
{
    const ShownFrame shown{320, 240, 320, false};
    EXPECT_EQ(FramePixelsUnder(shown, {14, 24, 10, 20}), (PixelRect{10, 215, 14, 219}));
    EXPECT_EQ(FramePixelsUnder(shown, {-5, -5, 2, 1}), (PixelRect{0, 238, 2, 239}));
    EXPECT_EQ(FramePixelsUnder(shown, {300, 230, 400, 300}), (PixelRect{300, 0, 319, 9}));
    EXPECT_EQ(FramePixelsUnder(shown, {0, 240, 10, 250}), std::nullopt) << "below the picture";
    EXPECT_EQ(FramePixelsUnder(ShownFrame{0, 0, 320, false}, {0, 0, 1, 1}), std::nullopt);
}

}  // namespace
