#include "imaging/RegionRange.h"

#include "TestFrames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Table entries worked by hand from the table's rule:
// (200, 60, 40): ratio_g = 140 / 160, ratio_b = 1, h = 0.125 × 60 = 7.5 → 7; s = 160 / 200 × 255 = 204.
constexpr Bgr kBrick{40, 60, 200};
const HsvRange kBrickOnly{7, 7, 204, 204, 200, 200};
// Reds on both sides of hue 0: (255, 0, 30) → 353, (255, 0, 10) → 358, (255, 20, 0) → 4,
// (255, 40, 0) → 9; all saturation and value 255.
constexpr Bgr kRed353{30, 0, 255};
constexpr Bgr kRed358{10, 0, 255};
constexpr Bgr kRed4{0, 20, 255};
constexpr Bgr kRed9{0, 40, 255};

class RegionRangeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(BuildHsvTable()); }
    static void TearDownTestSuite() { FreeHsvTable(); }
};

std::vector<HsvEntry> Repeat(HsvEntry entry, int count)
{
    return std::vector<HsvEntry>(std::size_t(count), entry);
}

TEST_F(RegionRangeTest, AFlatRegionGivesARangeThatPassesItsColour)
{
    FrameRecord frame = MakeFrame(20, 10);
    Fill(ViewOf(frame), kBrick);
    const std::vector<HsvEntry> samples = SampleRegion(ViewOf(frame), {2, 3, 6, 7});
    EXPECT_EQ(samples.size(), 25u);
    EXPECT_EQ(RangeOfSamples(samples), kBrickOnly);
}

TEST_F(RegionRangeTest, ARedRegionAcrossHueZeroWrapsTheShortWay)
{
    FrameRecord frame = MakeFrame(8, 10);
    const ImageView view = ViewOf(frame);
    const Bgr reds[] = {kRed353, kRed358, kRed4, kRed9};
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x)
            SetPixel(view, y, x, reds[x % 4]);
    const std::optional<HsvRange> range = RangeOfSamples(SampleRegion(view, {0, 0, 7, 9}));
    ASSERT_TRUE(range);
    EXPECT_EQ(*range, (HsvRange{353, 369, 255, 255, 255, 255})) << "353 to 359, then 0 to 9: 16 degrees";
    for (const Bgr& red : reds)
        EXPECT_EQ(InHsvRange(red[0], red[1], red[2], *range), 1);
}

TEST_F(RegionRangeTest, OnePercentOfSaltChangesNothing)
{
    FrameRecord frame = MakeFrame(20, 20);
    const ImageView view = ViewOf(frame);
    Fill(view, kBrick);
    const HsvRange clean = RangeOfSamples(SampleRegion(view, {0, 0, 19, 19})).value();
    // Four of 400 pixels: green, white, black and a red far round the circle.
    SetPixel(view, 1, 3, {60, 200, 30});
    SetPixel(view, 7, 11, Grey(255));
    SetPixel(view, 12, 0, Grey(0));
    SetPixel(view, 19, 19, kRed353);
    EXPECT_EQ(RangeOfSamples(SampleRegion(view, {0, 0, 19, 19})), clean);
    EXPECT_EQ(clean, kBrickOnly);
}

TEST_F(RegionRangeTest, StraySamplesArePeeledWithinTheShare)
{
    // 50 values 100-149 and one stray at 250: 51 × 2 / 100 = 1 sample may go, and the stray
    // gives 101 levels for it.
    std::vector<HsvEntry> samples;
    for (int value = 100; value < 150; ++value)
        samples.push_back({10, 50, uint8_t(value)});
    samples.push_back({10, 50, 250});
    EXPECT_EQ(RangeOfSamples(samples), (HsvRange{10, 10, 50, 50, 100, 149}));
    // With fewer than 50 samples none may go: the stray widens the range.
    samples.erase(samples.begin(), samples.begin() + 2);
    EXPECT_EQ(RangeOfSamples(samples), (HsvRange{10, 10, 50, 50, 102, 250}));
}

TEST_F(RegionRangeTest, SamplingClipsTheRegionAndNeedsColourPixels)
{
    FrameRecord frame = MakeFrame(4, 3);
    EXPECT_EQ(SampleRegion(ViewOf(frame), {-2, -2, 10, 10}).size(), 12u);
    EXPECT_TRUE(SampleRegion(ViewOf(frame), {3, 2, 1, 1}).empty());
    EXPECT_EQ(RangeOfSamples({}), std::nullopt);
    FrameRecord grey = MakeFrame(4, 3, 16);
    EXPECT_TRUE(SampleRegion(ViewOf(grey), {0, 0, 3, 2}).empty());
}

TEST_F(RegionRangeTest, WideningTakesTheShorterArcAndTheOuterBounds)
{
    // 350-5 with 20-30: the gaps are 6-19 and 31-349, so the arc runs 350 to 30.
    EXPECT_EQ(WidenRange({350, 365, 100, 200, 50, 60}, {20, 30, 90, 150, 55, 255}),
              (HsvRange{350, 390, 90, 200, 50, 255}));
    // 10-20 with 200-210: going 200 → 20 through 0 (181 hues) beats 10 → 210 (201 hues).
    EXPECT_EQ(WidenRange({10, 20, 0, 0, 0, 0}, {200, 210, 0, 0, 0, 0}), (HsvRange{200, 380, 0, 0, 0, 0}));
    // A range inside the other changes nothing.
    EXPECT_EQ(WidenRange({0, 359, 0, 255, 0, 255}, {40, 50, 10, 20, 10, 20}), (HsvRange{0, 359, 0, 255, 0, 255}));
}

TEST_F(RegionRangeTest, ACutMovesTheSideThatKeepsTheKeptSamples)
{
    const HsvRange range{0, 60, 50, 255, 50, 255};
    const std::vector<HsvEntry> kept = Repeat({10, 200, 200}, 20);
    const std::vector<HsvEntry> cut = Repeat({50, 200, 200}, 20);
    // Only lowering the hue's upper bound below 50 keeps hue 10.
    EXPECT_EQ(CutRange(range, cut, kept), (HsvRange{0, 49, 50, 255, 50, 255}));
    // A cut of low saturation keeps everything by raising the saturation's lower bound.
    EXPECT_EQ(CutRange(range, Repeat({10, 60, 200}, 20), kept), (HsvRange{0, 60, 61, 255, 50, 255}));
    // A cut across 0 on a wrapping range: raising the start past 2 keeps hue 10.
    EXPECT_EQ(CutRange({350, 380, 0, 255, 0, 255}, Repeat({2, 100, 100}, 5), kept),
              (HsvRange{3, 20, 0, 255, 0, 255}));
}

TEST_F(RegionRangeTest, WithNothingKeptACutGivesUpTheLeastWidth)
{
    const HsvRange range{0, 60, 50, 255, 50, 255};
    // Hue down to 49 loses 11 of 360; every saturation or value move loses more of 256.
    EXPECT_EQ(CutRange(range, Repeat({50, 200, 200}, 4), {}), (HsvRange{0, 49, 50, 255, 50, 255}));
}

TEST_F(RegionRangeTest, ACutIgnoresStraysAndNeedsSomethingToCut)
{
    const HsvRange range{0, 60, 50, 255, 50, 255};
    std::vector<HsvEntry> cut = Repeat({50, 200, 200}, 99);
    cut.push_back({5, 200, 200});
    // 2 of 100 may keep passing: the stray at hue 5 does not drag the cut down to 4.
    EXPECT_EQ(CutRange(range, cut, {}), (HsvRange{0, 49, 50, 255, 50, 255}));
    EXPECT_EQ(CutRange(range, Repeat({100, 200, 200}, 10), {}), std::nullopt) << "none of it passes";
    EXPECT_EQ(CutRange(range, {}, {}), std::nullopt);
}

TEST_F(RegionRangeTest, ACutNeverLeavesOneStoredLevelBelowTheTop)
{
    // Saturation 100-101 with a cut at 101: 100-100 would give up the least width, but it would
    // be stored as width 0, "up to 255"; the hue cannot move, so the value's lower bound does.
    EXPECT_EQ(CutRange({60, 60, 100, 101, 0, 255}, Repeat({60, 101, 9}, 3), {}),
              (HsvRange{60, 60, 100, 101, 10, 255}));
}

}  // namespace
