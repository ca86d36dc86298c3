#include "imaging/Mirror.h"
#include "imaging/TestFrames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const Bgr kRed{0, 0, 255};
const Bgr kBlue{255, 0, 0};

std::vector<Bgr> Row(const ImageView& view, int y)
{
    std::vector<Bgr> row;
    for (int x = 0; x < view.width; ++x)
        row.push_back(PixelAt(view, y, x));
    return row;
}

}  // namespace

TEST(MirrorFrame, LeftRedRightBlueBecomesLeftBlueRightRed)
{
    FrameRecord frame = MakeFrame(4, 3);
    ImageView view = ViewOf(frame);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            SetPixel(view, y, x, x < 2 ? kRed : kBlue);

    MirrorFrame(view);

    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(Row(view, y), (std::vector<Bgr>{kBlue, kBlue, kRed, kRed}));
}

TEST(MirrorFrame, ReversesEachRowAndKeepsTheMiddleColumnOfAnOddWidth)
{
    FrameRecord frame = MakeFrame(5, 2);
    ImageView view = ViewOf(frame);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            SetPixel(view, y, x, {uint8_t(x), uint8_t(10 * y), uint8_t(100 + x)});

    MirrorFrame(view);

    for (int y = 0; y < 2; ++y) {
        std::vector<Bgr> expected;
        for (int x = 4; x >= 0; --x)
            expected.push_back({uint8_t(x), uint8_t(10 * y), uint8_t(100 + x)});
        EXPECT_EQ(Row(view, y), expected);
    }
}

TEST(MirrorFrame, SwapsWholeFourBytePixels)
{
    FrameRecord frame = MakeFrame(3, 1, 32);
    ImageView view = ViewOf(frame);
    for (int i = 0; i < 12; ++i)
        view.pixels[i] = uint8_t(i);

    MirrorFrame(view);

    EXPECT_EQ(std::vector<uint8_t>(view.pixels, view.pixels + 12),
              (std::vector<uint8_t>{8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3}));
}
