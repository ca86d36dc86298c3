#include "imaging/HsvTable.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

class HsvPassBitsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(BuildHsvTable()); }
    static void TearDownTestSuite() { FreeHsvTable(); }
};

uint32_t IndexOf(int r, int g, int b)
{
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

// Ranges at the edges of the test: wrapping hues, empty and single-value intervals, bounds
// outside 0-255 and past 720.
const std::vector<HsvRange> kEdgeRanges{
    {0, 359, 0, 255, 0, 255},   {350, 370, 30, 255, 30, 255}, {100, 90, 0, 255, 0, 255},
    {120, 120, 0, 0, 255, 255}, {-5, 3, -1, 300, 10, 10},     {300, 800, 128, 127, 0, 255},
};

TEST_F(HsvPassBitsTest, AgreeWithTheRangeTestForEveryColour)
{
    for (const HsvRange& range : {kEdgeRanges[1], kEdgeRanges[4]}) {
        const uint64_t* bits = HsvPassBits(range);
        ASSERT_NE(bits, nullptr);
        for (int r = 0; r < 256; ++r)
            for (int g = 0; g < 256; ++g)
                for (int b = 0; b < 256; ++b)
                    ASSERT_EQ(PassBit(bits, IndexOf(r, g, b)), InHsvRange(uint8_t(b), uint8_t(g), uint8_t(r), range))
                        << r << "," << g << "," << b << " in range from hue " << range.hueLow;
    }
}

// Each range in turn replaces the bits of the one before.
TEST_F(HsvPassBitsTest, FollowEveryChangeOfTheRange)
{
    std::vector<HsvRange> ranges = kEdgeRanges;
    std::mt19937 random(5);
    for (int i = 0; i < 20; ++i) {
        const int h0 = int(random() % 400) - 20;
        const int s0 = int(random() % 256);
        const int v0 = int(random() % 256);
        ranges.push_back({h0, h0 + int(random() % 400), s0, s0 + int(random() % 100), v0, 255});
    }
    for (const HsvRange& range : ranges) {
        const uint64_t* bits = HsvPassBits(range);
        std::mt19937 colours(11);
        for (int i = 0; i < 20000; ++i) {
            const uint32_t index = colours() & 0xFFFFFF;
            const int expected = InHsvRange(uint8_t(index), uint8_t(index >> 8), uint8_t(index >> 16), range);
            ASSERT_EQ(PassBit(bits, index), expected)
                << "colour " << index << " in range from hue " << range.hueLow << " to " << range.hueHigh;
        }
    }
}

TEST(HsvPassBitsTable, AreNullWithoutATableAndFollowARebuiltOne)
{
    FreeHsvTable();
    EXPECT_EQ(HsvPassBits(kEdgeRanges[0]), nullptr);

    ASSERT_TRUE(BuildHsvTable());
    const HsvRange redOnly{350, 370, 100, 255, 100, 255};
    EXPECT_TRUE(PassBit(HsvPassBits(redOnly), IndexOf(255, 0, 0)));
    FreeHsvTable();
    EXPECT_EQ(HsvPassBits(redOnly), nullptr);
    ASSERT_TRUE(BuildHsvTable());
    EXPECT_TRUE(PassBit(HsvPassBits(redOnly), IndexOf(255, 0, 0)));
    EXPECT_FALSE(PassBit(HsvPassBits(redOnly), IndexOf(0, 0, 255)));
    FreeHsvTable();
}

}  // namespace
