#include "imaging/EffectFilters.h"
#include "imaging/InputModes.h"
#include "imaging/TestFrames.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// Level of byte 0 of every pixel of row y.
std::vector<int> RowLevels(const ImageView& view, int y)
{
    std::vector<int> levels;
    for (int x = 0; x < view.width; ++x)
        levels.push_back(view.pixel(y, x)[0]);
    return levels;
}

void FillRandom(const ImageView& view, unsigned seed)
{
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < view.byteCount(); ++i)
        view.pixels[i] = static_cast<uint8_t>(random());
}

bool IsGreyPixel(const ImageView& view, int y, int x)
{
    const Bgr p = PixelAt(view, y, x);
    return p[0] == p[1] && p[1] == p[2];
}

}  // namespace

TEST(Convolve, UniformGreyKeepsItsLevelUnderGaussianAndVanishesUnderTheGradients)
{
    struct Case {
        int kernel;
        int interior;
    };
    for (const Case c : {Case{kGaussian, 77}, Case{kLaplacian, 0}, Case{kSobel, 0}, Case{kPrewitt, 0}}) {
        SCOPED_TRACE(c.kernel);
        FrameRecord frame = MakeFrame(5, 4);
        ImageView view = ViewOf(frame);
        Fill(view, Grey(77));
        std::vector<uint8_t> temp;

        Convolve(view, c.kernel, temp);

        EXPECT_EQ(RowLevels(view, 1), (std::vector<int>{0, c.interior, c.interior, c.interior, 0}));
        EXPECT_EQ(RowLevels(view, 2), (std::vector<int>{0, c.interior, c.interior, c.interior, 0}));
        EXPECT_EQ(RowLevels(view, 0), std::vector<int>(5, 0));
        EXPECT_EQ(RowLevels(view, 3), std::vector<int>(5, 0));
        EXPECT_EQ(PixelAt(view, 1, 2), Grey(c.interior));
    }
}

TEST(Convolve, VerticalStepWrapsSobelAndLeavesPrewittAtZero)
{
    struct Case {
        int kernel;
        std::vector<int> middleRow;
    };
    // |sum| = 255 · (1 + 2 + 1) = 1020 beside the step, written as 1020 mod 256 = 252.
    const std::vector<Case> cases{
        {kSobel, {0, 0, 252, 252, 0, 0}},
        {kPrewitt, {0, 0, 0, 0, 0, 0}},
        {kLaplacian, {0, 0, 255, 255, 0, 0}},
    };
    for (const int bytesPerPixel : {3, 4}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "kernel " << c.kernel << ", " << bytesPerPixel << " bytes");
            FrameRecord frame = MakeFrame(6, 5, bytesPerPixel * 8);
            ImageView view = ViewOf(frame);
            for (int y = 0; y < 5; ++y)
                for (int x = 3; x < 6; ++x)
                    SetPixel(view, y, x, Grey(255));
            std::vector<uint8_t> temp;

            Convolve(view, c.kernel, temp);

            EXPECT_EQ(RowLevels(view, 2), c.middleRow);
            EXPECT_TRUE(IsGreyPixel(view, 2, 2));
        }
    }
}

TEST(Convolve, HorizontalStepWrapsPrewitt)
{
    FrameRecord frame = MakeFrame(4, 6);
    ImageView view = ViewOf(frame);
    for (int y = 3; y < 6; ++y)
        for (int x = 0; x < 4; ++x)
            SetPixel(view, y, x, Grey(255));
    std::vector<uint8_t> temp;

    Convolve(view, kPrewitt, temp);

    std::vector<int> column;
    for (int y = 0; y < 6; ++y)
        column.push_back(view.pixel(y, 1)[0]);
    // |sum| = 255 · 3 = 765 beside the step, written as 765 mod 256 = 253.
    EXPECT_EQ(column, (std::vector<int>{0, 0, 253, 253, 0, 0}));
}

TEST(Convolve, SingleWhitePixelUnderLaplacianAndGaussian)
{
    struct Case {
        int kernel;
        std::vector<std::vector<int>> rows;
    };
    const std::vector<Case> cases{
        // 4 · 255 = 1020 → 252 at the pixel; −255 → 255 at its four neighbours.
        {kLaplacian, {{0, 0, 0, 0, 0}, {0, 0, 255, 0, 0}, {0, 255, 252, 255, 0}, {0, 0, 255, 0, 0}, {0, 0, 0, 0, 0}}},
        // 255 / 9 = 28.3, truncated.
        {kGaussian, {{0, 0, 0, 0, 0}, {0, 28, 28, 28, 0}, {0, 28, 28, 28, 0}, {0, 28, 28, 28, 0}, {0, 0, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kernel);
        FrameRecord frame = MakeFrame(5, 5);
        ImageView view = ViewOf(frame);
        SetPixel(view, 2, 2, Grey(255));
        std::vector<uint8_t> temp;

        Convolve(view, c.kernel, temp);

        for (int y = 0; y < 5; ++y)
            EXPECT_EQ(RowLevels(view, y), c.rows[y]) << "row " << y;
    }
}

TEST(Convolve, ReadsByteZeroAndBlackensTheBorder)
{
    FrameRecord frame = MakeFrame(3, 3);
    ImageView view = ViewOf(frame);
    Fill(view, {90, 200, 13});
    std::vector<uint8_t> temp;

    Convolve(view, kGaussian, temp);

    EXPECT_EQ(PixelAt(view, 1, 1), Grey(90));
    for (const auto& [y, x] : {std::pair{0, 0}, {0, 1}, {1, 0}, {1, 2}, {2, 1}, {2, 2}})
        EXPECT_EQ(PixelAt(view, y, x), Grey(0)) << y << "," << x;
}

TEST(GrayConvolve, EqualsGreyConversionFollowedByConvolve)
{
    const std::vector<std::pair<int, int>> sizes{{7, 5}, {3, 3}, {10, 4}, {5, 9}};
    for (const auto& [width, height] : sizes) {
        for (int kernel = kGaussian; kernel <= kPrewitt; ++kernel) {
            SCOPED_TRACE(testing::Message() << width << "x" << height << " kernel " << kernel);
            FrameRecord fused = MakeFrame(width, height);
            FillRandom(ViewOf(fused), unsigned(width * 100 + height));
            FrameRecord separate = fused;
            std::vector<uint8_t> temp;

            GrayConvolve(ViewOf(fused), kernel, temp);
            ToGray(ViewOf(separate));
            Convolve(ViewOf(separate), kernel, temp);

            EXPECT_EQ(std::vector<uint8_t>(fused.data(), fused.data() + fused.size()),
                      std::vector<uint8_t>(separate.data(), separate.data() + separate.size()));
        }
    }
}

TEST(Convolve, ReusesTheScratchBufferForFramesOfTheSameSize)
{
    FrameRecord frame = MakeFrame(8, 6);
    std::vector<uint8_t> temp;
    Convolve(ViewOf(frame), kSobel, temp);
    const uint8_t* first = temp.data();
    GrayConvolve(ViewOf(frame), kLaplacian, temp);
    Convolve(ViewOf(frame), kGaussian, temp);
    EXPECT_EQ(temp.data(), first);
}

TEST(Convolve, UnknownKernelLeavesTheFrameUnchanged)
{
    for (const int kernel : {-1, 4}) {
        FrameRecord frame = MakeFrame(4, 4);
        Fill(ViewOf(frame), {1, 2, 3});
        std::vector<uint8_t> temp;
        Convolve(ViewOf(frame), kernel, temp);
        GrayConvolve(ViewOf(frame), kernel, temp);
        EXPECT_EQ(PixelAt(ViewOf(frame), 1, 1), (Bgr{1, 2, 3}));
    }
}
