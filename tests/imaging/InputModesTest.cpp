#include "imaging/InputModes.h"
#include "imaging/TestFrames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::array<uint32_t, 256> TwoLevelHistogram(int low, int high, uint32_t each)
{
    std::array<uint32_t, 256> histogram{};
    histogram[low] = each;
    histogram[high] = each;
    return histogram;
}

}  // namespace

TEST(BinaryThreshold, StartsAtTwentyAndMarksLevelsAboveIt)
{
    BinaryThreshold binary;
    EXPECT_EQ(binary.threshold, 20);
    EXPECT_EQ(binary.table[0], 0);
    EXPECT_EQ(binary.table[20], 0);
    EXPECT_EQ(binary.table[21], 1);
    EXPECT_EQ(binary.table[255], 1);

    binary.Set(-1);
    EXPECT_EQ(binary.threshold, -1);
    EXPECT_EQ(binary.table[0], 1);
    binary.Set(255);
    EXPECT_EQ(binary.table[255], 0);
}

TEST(ToGray, WritesTheWeightedGreyIntoTheFirstThreeBytes)
{
    FrameRecord frame = MakeFrame(2, 1, 32);
    ImageView view = ViewOf(frame);
    // Blue 10, green 20, red 30: (306·30 + 601·20 + 117·10) >> 10 = 22370 >> 10 = 21.
    SetPixel(view, 0, 0, {10, 20, 30});
    SetPixel(view, 0, 1, {0, 0, 255});
    view.pixel(0, 0)[3] = 99;

    ToGray(view);

    EXPECT_EQ(PixelAt(view, 0, 0), Grey(21));
    EXPECT_EQ(view.pixel(0, 0)[3], 99);
    EXPECT_EQ(PixelAt(view, 0, 1), Grey(306 * 255 >> 10));
}

TEST(FrameDelta, UniformFrameShowsItsGreyFirstAndThenBlack)
{
    FrameRecord previous = MakeFrame(4, 3);
    FrameRecord frame = MakeFrame(4, 3);
    ImageView view = ViewOf(frame);
    // (306·150 + 601·100 + 117·50) >> 10 = 111850 >> 10 = 109.
    const Bgr colour{50, 100, 150};

    Fill(view, colour);
    FrameDelta(ViewOf(previous), view);
    EXPECT_EQ(PixelAt(view, 0, 0), Grey(109));
    EXPECT_EQ(PixelAt(view, 2, 3), Grey(109));
    EXPECT_EQ(ViewOf(previous).pixels[5 * 3], 109);
    EXPECT_EQ(ViewOf(previous).pixels[5 * 3 + 1], 0);

    Fill(view, colour);
    FrameDelta(ViewOf(previous), view);
    EXPECT_EQ(PixelAt(view, 1, 1), Grey(0));
    EXPECT_EQ(PixelAt(view, 2, 3), Grey(0));
}

TEST(FrameBinary, TurnsWhiteOnlyAboveTheThreshold)
{
    struct Case {
        uint8_t before;
        uint8_t after;
        uint8_t expected;
    };
    const std::vector<Case> cases{
        {100, 120, 0}, {100, 121, 255}, {100, 80, 0}, {100, 79, 255}, {0, 255, 255}, {7, 7, 0},
    };
    const BinaryThreshold binary;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.before) << " -> " << int(c.after));
        FrameRecord previous = MakeFrame(1, 1);
        FrameRecord frame = MakeFrame(1, 1);
        ImageView view = ViewOf(frame);
        Fill(view, Grey(c.before));
        FrameBinary(ViewOf(previous), view, binary);
        Fill(view, Grey(c.after));

        FrameBinary(ViewOf(previous), view, binary);
        EXPECT_EQ(PixelAt(view, 0, 0), Grey(c.expected));
        EXPECT_EQ(ViewOf(previous).pixels[0], c.after);
    }
}

TEST(FrameBinary, AlternatingWithDeltaKeepsTheDifferenceChain)
{
    FrameRecord previous = MakeFrame(1, 1);
    FrameRecord frame = MakeFrame(1, 1);
    ImageView view = ViewOf(frame);
    Fill(view, Grey(50));
    FrameBinary(ViewOf(previous), view, BinaryThreshold{});
    Fill(view, Grey(90));
    FrameDelta(ViewOf(previous), view);
    EXPECT_EQ(PixelAt(view, 0, 0), Grey(40));
    Fill(view, Grey(100));
    FrameBinary(ViewOf(previous), view, BinaryThreshold{});
    EXPECT_EQ(PixelAt(view, 0, 0), Grey(0));
}

TEST(OtsuThreshold, SplitsAfterTheLastBinOfTheLowerClass)
{
    struct Case {
        const char* name;
        std::array<uint32_t, 256> histogram;
        uint32_t total;
        int expected;
    };
    std::array<uint32_t, 256> allZero{};
    allZero[0] = 1000;
    const std::vector<Case> cases{
        {"all bytes 0", allZero, 1000, -1},
        {"half 10, half 200", TwoLevelHistogram(10, 200, 500), 1000, 10},
        {"half 60, half 200", TwoLevelHistogram(60, 200, 500), 1000, 60},
        {"half 0, half 255", TwoLevelHistogram(0, 255, 8), 16, 0},
        {"empty", {}, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OtsuThreshold(c.histogram, c.total), c.expected);
    }
}

TEST(UpdateOtsuThreshold, CountsTheFirstHeightTimesWidthBytesAndFloorsAtTwenty)
{
    struct Case {
        uint8_t low;
        uint8_t high;
        int expected;
    };
    const std::vector<Case> cases{{60, 200, 60}, {10, 200, 20}, {0, 0, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.low) << "/" << int(c.high));
        const int height = 4;
        const int width = 6;
        // Three bytes per pixel; only the first third of the bytes takes part.
        std::vector<uint8_t> pixels(height * width * 3, 255);
        for (int i = 0; i < height * width; ++i)
            pixels[i] = i % 2 ? c.high : c.low;
        BinaryThreshold binary;
        binary.Set(99);

        UpdateOtsuThreshold(height, width, pixels.data(), binary);

        EXPECT_EQ(binary.threshold, c.expected);
        EXPECT_EQ(binary.table[c.expected], 0);
        EXPECT_EQ(binary.table[c.expected + 1], 1);
    }
}

TEST(UpdateOtsuThreshold, EmptyFrameGivesTheFloor)
{
    BinaryThreshold binary;
    binary.Set(99);
    UpdateOtsuThreshold(0, 0, nullptr, binary);
    EXPECT_EQ(binary.threshold, 20);
}

class HistoryTest : public testing::Test {
protected:
    static constexpr int kSlots = 13;

    HistoryTest()
    {
        for (int i = 0; i < kSlots + 1; ++i)
            buffers.push_back(MakeFrame(2, 1));
    }

    // Runs one binary frame whose pixel 0 is set or clear; returns the output level of pixel 0.
    int Step(bool set)
    {
        ImageView view = ViewOf(frame);
        Fill(view, Grey(0));
        SetPixel(view, 0, 0, Grey(set ? 255 : 0));
        AccumulateHistory(view, ViewOf(buffers[newest]), ViewOf(buffers[oldest]), ViewOf(buffers[kSlots]));
        newest = (newest + 1) % kSlots;
        oldest = (oldest + 1) % kSlots;
        EXPECT_EQ(PixelAt(view, 0, 1), Grey(0));
        const Bgr out = PixelAt(view, 0, 0);
        EXPECT_EQ(out, Grey(out[0]));
        return out[0];
    }

    std::vector<FrameRecord> buffers;
    FrameRecord frame = MakeFrame(2, 1);
    int newest = 0;
    int oldest = 1;
};

TEST_F(HistoryTest, PixelSetInEveryFrameRisesToOneHundredTwenty)
{
    std::vector<int> levels;
    for (int f = 0; f < 16; ++f)
        levels.push_back(Step(true));
    const std::vector<int> expected{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 120, 120, 120, 120};
    EXPECT_EQ(levels, expected);
}

TEST_F(HistoryTest, PixelSetOnceIsRememberedForTwelveFrames)
{
    std::vector<int> levels{Step(true)};
    for (int f = 1; f < 14; ++f)
        levels.push_back(Step(false));
    const std::vector<int> expected{10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 0, 0};
    EXPECT_EQ(levels, expected);
}

TEST(InputModes, BuffersSmallerThanTheFrameLeaveEverythingUnchanged)
{
    FrameRecord small = MakeFrame(2, 2);
    FrameRecord frame = MakeFrame(3, 3);
    ImageView view = ViewOf(frame);
    Fill(view, {1, 2, 3});

    FrameDelta(ViewOf(small), view);
    EXPECT_EQ(PixelAt(view, 2, 2), (Bgr{1, 2, 3}));
    FrameBinary(ViewOf(small), view, BinaryThreshold{});
    EXPECT_EQ(PixelAt(view, 2, 2), (Bgr{1, 2, 3}));
    AccumulateHistory(view, ViewOf(small), ViewOf(small), ViewOf(small));

    EXPECT_EQ(PixelAt(view, 2, 2), (Bgr{1, 2, 3}));
    EXPECT_EQ(PixelAt(view, 0, 0), (Bgr{1, 2, 3}));
    EXPECT_EQ(ViewOf(small).pixels[0], 0);
}
