#include "imaging/LensCorrection.h"
#include "imaging/TestFrames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// Gives every pixel its own colour: the row-major pixel number, little-endian in bytes 0-2.
void NumberPixels(const ImageView& view)
{
    for (int y = 0; y < view.height; ++y) {
        for (int x = 0; x < view.width; ++x) {
            const uint32_t number = uint32_t(y * view.width + x);
            SetPixel(view, y, x, {uint8_t(number), uint8_t(number >> 8), uint8_t(number >> 16)});
        }
    }
}

uint32_t ColourAt(const ImageView& view, int y, int x)
{
    const Bgr p = PixelAt(view, y, x);
    return p[0] | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

struct Place {
    int row;
    int column;
    bool operator==(const Place&) const = default;
};

// Where the source pixel (row, column) ended up, if anywhere.
std::optional<Place> FindSource(const ImageView& corrected, int row, int column)
{
    const uint32_t number = uint32_t(row * corrected.width + column);
    for (int y = 0; y < corrected.height; ++y)
        for (int x = 0; x < corrected.width; ++x)
            if (ColourAt(corrected, y, x) == number)
                return Place{y, x};
    return std::nullopt;
}

class CameraFrameLens : public testing::Test {
protected:
    CameraFrameLens()
    {
        NumberPixels(view);
        CorrectLens(view, 10, output);
    }

    FrameRecord frame = MakeFrame(320, 240);
    ImageView view = ViewOf(frame);
    std::vector<uint8_t> output;
};

}  // namespace

TEST_F(CameraFrameLens, MovesTheNamedPixelsAsWorkedOut)
{
    struct Case {
        Place source;
        Place target;
    };
    const std::vector<Case> cases{
        {{120, 160}, {120, 160}},  // the centre stays
        {{120, 161}, {120, 161}},  // 320 / 170 = 1
        {{120, 170}, {120, 178}},  // 3200 / 174 = 18
        {{120, 159}, {120, 159}},  // −320 / 170 = −1, truncated toward zero
        {{0, 0}, {0, 18}},         // 160 − 51200 / 360, 120 − 38400 / 320
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "source row " << c.source.row << " column " << c.source.column);
        EXPECT_EQ(FindSource(view, c.source.row, c.source.column), c.target);
    }
}

TEST_F(CameraFrameLens, DropsPixelsMappedAboveTheFrame)
{
    EXPECT_EQ(FindSource(view, 0, 160), std::nullopt);
}

TEST_F(CameraFrameLens, LeavesWhiteGapsBetweenSpreadPixels)
{
    // Columns 161 and 163 of the centre row are reached from 161 and 162; 162 is not.
    EXPECT_EQ(ColourAt(view, 120, 162), kWhite);
    EXPECT_EQ(ColourAt(view, 120, 163), uint32_t(120 * 320 + 162));
}

TEST(CorrectLens, FourBytePixelsMapLikeThreeBytePixelsAndKeepTheWhiteFourthByte)
{
    FrameRecord narrow = MakeFrame(64, 48);
    FrameRecord wide = MakeFrame(64, 48, 32);
    NumberPixels(ViewOf(narrow));
    NumberPixels(ViewOf(wide));
    std::vector<uint8_t> output;

    CorrectLens(ViewOf(narrow), 10, output);
    CorrectLens(ViewOf(wide), 10, output);

    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            ASSERT_EQ(PixelAt(ViewOf(wide), y, x), PixelAt(ViewOf(narrow), y, x)) << y << "," << x;
            ASSERT_EQ(ViewOf(wide).pixel(y, x)[3], 255);
        }
    }
}

TEST(CorrectLens, HugeParameterSendsEverythingToTheCentreWhereTheLastPixelWins)
{
    FrameRecord frame = MakeFrame(5, 5);
    ImageView view = ViewOf(frame);
    NumberPixels(view);
    std::vector<uint8_t> output;

    CorrectLens(view, INT32_MAX, output);

    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(ColourAt(view, y, x), (y == 2 && x == 2) ? 24u : kWhite) << y << "," << x;
}

TEST(CorrectLens, ZeroParameterOnOnePixelWideOrHighFramesKeepsTheCentre)
{
    // The centre's divisor trunc(0 + 0 + 0.5) is 0 here.
    const std::vector<std::pair<int, int>> sizes{{1, 1}, {1, 4}, {4, 1}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        FrameRecord frame = MakeFrame(width, height);
        ImageView view = ViewOf(frame);
        NumberPixels(view);
        std::vector<uint8_t> output;

        CorrectLens(view, 0, output);

        EXPECT_EQ(ColourAt(view, height / 2, width / 2), uint32_t(height / 2 * width + width / 2));
    }
}

TEST(CorrectLens, ReusesTheOutputBufferForFramesOfTheSameSize)
{
    FrameRecord frame = MakeFrame(16, 12);
    std::vector<uint8_t> output;
    CorrectLens(ViewOf(frame), 3, output);
    const uint8_t* first = output.data();
    CorrectLens(ViewOf(frame), 7, output);
    EXPECT_EQ(output.data(), first);
}

// One map through frames of changing size and parameter must give, every time, what a map
// made for that frame alone gives: a map kept from before would move pixels elsewhere.
TEST(CorrectLens, KeptMapIsRebuiltWhenTheSizeOrParameterChanges)
{
    struct Step {
        int width;
        int height;
        int32_t k;
    };
    const std::vector<Step> steps{
        {320, 240, 10}, {320, 240, 10}, {320, 240, 40}, {240, 320, 40}, {64, 48, 40}, {48, 64, 40}, {320, 240, 10},
    };
    LensMap map;
    std::vector<uint8_t> output;
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << step.width << "x" << step.height << " k " << step.k);
        FrameRecord kept = MakeFrame(step.width, step.height);
        FrameRecord fresh = MakeFrame(step.width, step.height);
        NumberPixels(ViewOf(kept));
        NumberPixels(ViewOf(fresh));

        CorrectLens(ViewOf(kept), step.k, map, output);
        CorrectLens(ViewOf(fresh), step.k, output);

        EXPECT_TRUE(std::equal(kept.data(), kept.data() + kept.size(), fresh.data()));
        EXPECT_TRUE(map.Serves(step.width, step.height, step.k));
    }
}

TEST(CorrectLens, KeptMapIsReusedWhileNothingChanges)
{
    FrameRecord frame = MakeFrame(32, 24);
    LensMap map;
    std::vector<uint8_t> output;
    CorrectLens(ViewOf(frame), 5, map, output);
    // A map marked with a different source for destination 0 shows whether it was used as kept.
    map.sources[0] = 1;
    SetPixel(ViewOf(frame), 0, 1, {1, 2, 3});

    CorrectLens(ViewOf(frame), 5, map, output);

    EXPECT_EQ(PixelAt(ViewOf(frame), 0, 0), (Bgr{1, 2, 3}));
}
