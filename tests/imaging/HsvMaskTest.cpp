#include "imaging/HsvMask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Red passes kRedOnly, blue fails it.
const HsvRange kRedOnly{350, 370, 100, 255, 100, 255};

// A frame drawn with one letter per pixel, rows in memory order: 'r' red, 'b' blue.
struct ColourFrame {
    std::vector<uint8_t> bytes;
    ImageView view;

    ColourFrame(const std::vector<std::string>& rows, int bytesPerPixel)
    {
        const int width = rows.empty() ? 0 : int(rows[0].size());
        const int height = int(rows.size());
        bytes.assign(std::size_t(width) * std::size_t(height) * std::size_t(bytesPerPixel), 0);
        view = ImageView{width, height, bytesPerPixel, bytes.data()};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = view.pixel(y, x);
                p[rows[y][x] == 'b' ? 0 : 2] = 255;
                if (bytesPerPixel == 4)
                    p[3] = 99;
            }
    }
};

// A processed frame of one grey level, with a fourth byte of 99 where pixels have one.
std::vector<uint8_t> UniformPixels(std::size_t count, int bytesPerPixel, uint8_t level)
{
    std::vector<uint8_t> bytes(count * std::size_t(bytesPerPixel), level);
    if (bytesPerPixel == 4)
        for (std::size_t i = 3; i < bytes.size(); i += 4)
            bytes[i] = 99;
    return bytes;
}

// Per pixel: '#' the target's level kept, '.' blackened.
std::vector<std::string> Kept(const ImageView& target)
{
    std::vector<std::string> rows;
    for (int y = 0; y < target.height; ++y) {
        std::string row;
        for (int x = 0; x < target.width; ++x) {
            const uint8_t* p = target.pixel(y, x);
            row += p[0] == 0 && p[1] == 0 && p[2] == 0 ? '.' : '#';
            if (target.bytesPerPixel == 4) {
                EXPECT_EQ(p[3], 99) << "fourth byte changed at " << y << "," << x;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

class HsvMaskTest : public testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(BuildHsvTable()); }
    static void TearDownTestSuite() { FreeHsvTable(); }
};

INSTANTIATE_TEST_SUITE_P(BytesPerPixel, HsvMaskTest, testing::Values(3, 4));

TEST_P(HsvMaskTest, BlackensWhereTheSourceColourFailsEvenOverWhite)
{
    const ColourFrame source({"rrb", "brr"}, GetParam());
    std::vector<uint8_t> white = UniformPixels(6, GetParam(), 255);
    const ImageView target{3, 2, GetParam(), white.data()};

    ApplyHsvMask(source.view, target, kRedOnly);
    EXPECT_EQ(Kept(target), (std::vector<std::string>{"##.", ".##"}));
}

// Grown by one step, then shrunk by one; worked through by hand from the mask rules.
TEST_P(HsvMaskTest, MaskWithMorphologyGrowsThenShrinksTheRangeMask)
{
    const ColourFrame source({"bbbbbb",
                              "brrrbb",
                              "brbrbb",
                              "brrrbr",
                              "bbbbbb"},
                             GetParam());
    std::vector<uint8_t> grey = UniformPixels(30, GetParam(), 128);
    const ImageView target{6, 5, GetParam(), grey.data()};
    WorkWindow window{0, 0, 6, 5};
    MaskBuffers buffers;

    EXPECT_EQ(MaskWithMorphology(source.view, target, 1, 1, window, kRedOnly, buffers), 2);
    EXPECT_EQ(Kept(target), (std::vector<std::string>{"......",
                                                      "......",
                                                      "..##..",
                                                      "......",
                                                      "......"}));
    EXPECT_EQ(window, (WorkWindow{0, 1, 2, 3}));
}

TEST_P(HsvMaskTest, FirstCountZeroStillClearsTheTopRowAndKeepsTheFullWindow)
{
    const ColourFrame source({"rrrrr", "rrrrr", "rrrrr", "rrrrr"}, GetParam());
    std::vector<uint8_t> grey = UniformPixels(20, GetParam(), 128);
    const ImageView target{5, 4, GetParam(), grey.data()};
    WorkWindow window{0, 0, 5, 4};
    MaskBuffers buffers;

    EXPECT_EQ(MaskWithMorphology(source.view, target, 0, 1, window, kRedOnly, buffers), 3);
    EXPECT_EQ(Kept(target), (std::vector<std::string>{".....", ".....", ".###.", "....."}));
    EXPECT_EQ(window, (WorkWindow{0, 0, 4, 2}));
}

TEST_P(HsvMaskTest, AGrowPassThatChangesNothingStillClearsTheBorder)
{
    // Nothing to grow into: the first pass clears the border and closes the window, so the
    // shrink pass does nothing and the cleared border is the result.
    const ColourFrame source({"rrrrr", "rrrrr", "rrrrr", "rrrrr"}, GetParam());
    std::vector<uint8_t> grey = UniformPixels(20, GetParam(), 128);
    const ImageView target{5, 4, GetParam(), grey.data()};
    WorkWindow window{0, 0, 5, 4};
    MaskBuffers buffers;

    EXPECT_EQ(MaskWithMorphology(source.view, target, 1, 1, window, kRedOnly, buffers), 6);
    EXPECT_EQ(Kept(target), (std::vector<std::string>{".....", ".###.", ".###.", "....."}));
    EXPECT_EQ(window, (WorkWindow{0, 0, 0, 0}));
}

TEST(HsvMaskBuffers, AreReusedOnceTheSizeIsStable)
{
    const ColourFrame source({"rbr", "brb", "rbr"}, 3);
    std::vector<uint8_t> grey = UniformPixels(9, 3, 128);
    const ImageView target{3, 3, 3, grey.data()};
    MaskBuffers buffers;
    WorkWindow window{0, 0, 3, 3};
    MaskWithMorphology(source.view, target, 1, 1, window, kRedOnly, buffers);
    const uint8_t* mask = buffers.mask.data();
    const uint8_t* readCopy = buffers.readCopy.data();

    window = {0, 0, 3, 3};
    MaskWithMorphology(source.view, target, 1, 1, window, kRedOnly, buffers);
    EXPECT_EQ(buffers.mask.data(), mask);
    EXPECT_EQ(buffers.readCopy.data(), readCopy);
}

TEST(HsvMaskSizes, TargetSmallerThanTheSourceIsNeverWrittenPast)
{
    ASSERT_TRUE(BuildHsvTable());
    const ColourFrame source({"bbbb", "bbbb"}, 3);
    std::vector<uint8_t> small = UniformPixels(3, 3, 128);
    const ImageView target{3, 1, 3, small.data()};
    MaskBuffers buffers;
    WorkWindow window{0, 0, 4, 2};

    ApplyHsvMask(source.view, target, kRedOnly);
    EXPECT_EQ(Kept(target), (std::vector<std::string>{"..."}));
    EXPECT_EQ(MaskWithMorphology(source.view, target, 1, 1, window, kRedOnly, buffers), 0);
    EXPECT_EQ(Kept(target), (std::vector<std::string>{"..."}));
    FreeHsvTable();
}

// Exactly sized buffers, where the sanitizers catch any access outside them.
TEST(HsvMaskSizes, TinyFramesStayInsideTheirBuffers)
{
    const int sizes[][2] = {{0, 0}, {1, 1}, {2, 1}, {1, 2}, {0, 3}, {3, 0}, {2, 5}, {3, 3}};
    MaskBuffers buffers;
    for (const auto& size : sizes)
        for (int count = 0; count < 3; ++count) {
            const int w = size[0];
            const int h = size[1];
            std::vector<uint8_t> source(std::size_t(w) * std::size_t(h) * 3, 255);
            std::vector<uint8_t> target(source);
            const ImageView sourceView{w, h, 3, source.data()};
            const ImageView targetView{w, h, 3, target.data()};
            WorkWindow window{0, 0, w, h};
            EXPECT_LE(MaskWithMorphology(sourceView, targetView, count, count, window, kRedOnly, buffers), w * h);
            ApplyHsvMask(sourceView, targetView, kRedOnly);
        }
}

TEST(HsvMaskSizes, SourceWithoutColourBytesPassesEveryPixel)
{
    ASSERT_TRUE(BuildHsvTable());
    std::vector<uint8_t> source(4, 0);
    std::vector<uint8_t> grey = UniformPixels(4, 3, 128);
    const ImageView target{2, 2, 3, grey.data()};

    ApplyHsvMask(ImageView{2, 2, 1, source.data()}, target, kRedOnly);
    EXPECT_EQ(Kept(target), (std::vector<std::string>{"##", "##"}));
    FreeHsvTable();
}

}  // namespace
