#include "imaging/Morphology.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Picture = std::vector<std::string>;

// A binary frame drawn with '#' for white and '.' for black, rows in memory order.
struct BinaryFrame {
    std::vector<uint8_t> bytes;
    ImageView view;

    BinaryFrame(const Picture& rows, int bytesPerPixel)
    {
        const int width = rows.empty() ? 0 : int(rows[0].size());
        bytes.assign(std::size_t(width) * rows.size() * std::size_t(bytesPerPixel), 0);
        view = ImageView{width, int(rows.size()), bytesPerPixel, bytes.data()};
        for (int y = 0; y < view.height; ++y)
            for (int x = 0; x < width; ++x)
                if (rows[y][x] == '#')
                    std::fill_n(view.pixel(y, x), bytesPerPixel, 255);
    }

    // Every byte of a pixel must agree, as the operations write whole pixels.
    Picture picture() const
    {
        Picture rows;
        for (int y = 0; y < view.height; ++y) {
            std::string row;
            for (int x = 0; x < view.width; ++x) {
                const uint8_t* p = view.pixel(y, x);
                for (int i = 1; i < view.bytesPerPixel; ++i)
                    EXPECT_EQ(p[i], p[0]) << "pixel " << y << "," << x;
                row += p[0] == 0 ? '.' : '#';
            }
            rows.push_back(row);
        }
        return rows;
    }
};

class MorphFrameTest : public testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(BytesPerPixel, MorphFrameTest, testing::Values(3, 4));

TEST_P(MorphFrameTest, WhiteFrameLosesItsRightColumnAndBottomRowThenTheWindowCollapses)
{
    BinaryFrame frame({"#####", "#####", "#####", "#####"}, GetParam());
    WorkWindow window{0, 0, 5, 4};
    std::vector<uint8_t> snapshot;

    MorphFrame(frame.view, kErodeFrame, window, 1, snapshot);
    EXPECT_EQ(window, (WorkWindow{0, 0, 0, 0}));
    MorphFrame(frame.view, kDilateFrame, window, 1, snapshot);
    EXPECT_EQ(frame.picture(), (Picture{"#####", "####.", "####.", "....."}));
    EXPECT_EQ(window, (WorkWindow{0, 0, 0, 0}));
}

TEST_P(MorphFrameTest, BlackFrameStaysBlackAndCollapsesTheWindow)
{
    BinaryFrame frame({".....", ".....", ".....", "....."}, GetParam());
    WorkWindow window{0, 0, 5, 4};
    std::vector<uint8_t> snapshot;

    MorphFrame(frame.view, kErodeFrame, window, 3, snapshot);
    EXPECT_EQ(window, (WorkWindow{0, 0, 0, 0}));
    MorphFrame(frame.view, kDilateFrame, window, 3, snapshot);
    EXPECT_EQ(frame.picture(), (Picture{".....", ".....", ".....", "....."}));
}

TEST_P(MorphFrameTest, OneErosionRemovesAnIsolatedPixel)
{
    BinaryFrame frame({".....", ".....", "..#..", ".....", "....."}, GetParam());
    WorkWindow window{0, 0, 5, 5};
    std::vector<uint8_t> snapshot;

    MorphFrame(frame.view, kErodeFrame, window, 1, snapshot);
    EXPECT_EQ(frame.picture(), (Picture{".....", ".....", ".....", ".....", "....."}));
    EXPECT_EQ(window, (WorkWindow{0, 1, 3, 3}));
}

// The first change, in row 1, sets the top to row 0, which still equals the iteration's top, so
// the next change moves it again; the right accumulator stays at 3 after the change in column 3.
TEST_P(MorphFrameTest, DilationGrowsAPixelIntoACrossAndTracksTheWindow)
{
    BinaryFrame frame({".....", ".....", "..#..", ".....", "....."}, GetParam());
    WorkWindow window{0, 0, 5, 5};
    std::vector<uint8_t> snapshot;

    MorphFrame(frame.view, kDilateFrame, window, 1, snapshot);
    EXPECT_EQ(frame.picture(), (Picture{".....", "..#..", ".###.", "..#..", "....."}));
    EXPECT_EQ(window, (WorkWindow{0, 1, 3, 4}));
}

// Within one call the second iteration tests only row 2 of the window the first one left,
// changes nothing, yet blackens its bottom row, and the accumulators keep the window. A new
// call starts its accumulators afresh, so an iteration without change collapses the window.
TEST_P(MorphFrameTest, LaterIterationsWorkInTheWindowTheFirstLeft)
{
    const Picture start{"#######", "#######", "##.####", "#######", "#######", "#######"};
    std::vector<uint8_t> snapshot;

    BinaryFrame once(start, GetParam());
    WorkWindow window{0, 0, 7, 6};
    MorphFrame(once.view, kErodeFrame, window, 1, snapshot);
    EXPECT_EQ(once.picture(), (Picture{"#######", "##.###.", "#...##.", "##.###.", "######.", "......."}));
    EXPECT_EQ(window, (WorkWindow{0, 1, 3, 4}));

    BinaryFrame twice(start, GetParam());
    window = {0, 0, 7, 6};
    MorphFrame(twice.view, kErodeFrame, window, 2, snapshot);
    EXPECT_EQ(twice.picture(), (Picture{"#######", "##.###.", "#...##.", ".......", "######.", "......."}));
    EXPECT_EQ(window, (WorkWindow{0, 1, 3, 4}));

    MorphFrame(once.view, kErodeFrame, window, 1, snapshot);
    EXPECT_EQ(once.picture(), twice.picture());
    EXPECT_EQ(window, (WorkWindow{0, 1, 0, 1}));
}

TEST(MorphFrame, WindowReachingOutsideTheFrameWorksAsTheFullFrame)
{
    const Picture start{"#####", "##.##", "#####", "#####"};
    BinaryFrame cut(start, 3);
    BinaryFrame full(start, 3);
    WorkWindow outside{-3, -2, 9, 8};
    WorkWindow whole{0, 0, 5, 4};
    std::vector<uint8_t> snapshot;

    MorphFrame(cut.view, kErodeFrame, outside, 2, snapshot);
    MorphFrame(full.view, kErodeFrame, whole, 2, snapshot);
    EXPECT_EQ(cut.picture(), full.picture());
    EXPECT_EQ(outside, whole);
}

// A window of zero height comes back as it was given; any other comes back inside the frame.
void ExpectInsideFrameOrUntouched(const WorkWindow& window, const WorkWindow& start, int width, int height)
{
    if (window == start)
        return;
    EXPECT_TRUE(window.left >= 0 && window.right >= 0 && window.left <= width && window.right <= width);
    EXPECT_TRUE(window.top >= 0 && window.bottom >= 0 && window.top <= height && window.bottom <= height);
}

// Runs both operations each way with counts up to 3 on exactly sized buffers, where the
// sanitizers catch any access outside them.
TEST(Morphology, TinyAndOddFramesStayInsideTheirBuffers)
{
    const int sizes[][2] = {{0, 0}, {1, 1}, {2, 1}, {2, 5}, {5, 2}, {0, 3}, {3, 0}, {1, 4}, {3, 7}, {7, 3}};
    for (const auto& size : sizes) {
        const int w = size[0];
        const int h = size[1];
        const WorkWindow windows[] = {
            {0, 0, w, h}, {-2, -2, w + 3, h + 3}, {0, 0, 0, h}, {w, 1, 0, h + 1}, {1, h, w, 0}};
        for (const WorkWindow& start : windows)
            for (int mode = 0; mode < 2; ++mode)
                for (int count = 0; count < 4; ++count) {
                    SCOPED_TRACE(testing::Message() << w << "x" << h << " mode " << mode << " count " << count);
                    for (int bytesPerPixel : {3, 4}) {
                        std::vector<uint8_t> white(std::size_t(w) * std::size_t(h) * std::size_t(bytesPerPixel), 255);
                        const ImageView frame{w, h, bytesPerPixel, white.data()};
                        std::vector<uint8_t> snapshot;
                        WorkWindow window = start;
                        MorphFrame(frame, mode, window, count, snapshot);
                        MorphFrame(frame, 1 - mode, window, count, snapshot);
                        ExpectInsideFrameOrUntouched(window, start, w, h);
                    }
                    std::vector<uint8_t> readCopy(std::size_t(w) * std::size_t(h), 1);
                    std::vector<uint8_t> mask(readCopy.size(), 0);
                    WorkWindow window = start;
                    MorphMask(readCopy.data(), mask.data(), w, h, mode, window, count);
                    MorphMask(readCopy.data(), mask.data(), w, h, 1 - mode, window, count);
                    ExpectInsideFrameOrUntouched(window, start, w, h);
                }
    }
}

TEST(MorphMask, CountZeroStillCopiesAndClearsTheTopRow)
{
    std::vector<uint8_t> readCopy{1, 1, 1, 1, 0, 1, 1, 1, 1};
    std::vector<uint8_t> mask(9, 7);
    WorkWindow window{0, 0, 3, 3};

    MorphMask(readCopy.data(), mask.data(), 3, 3, kGrowMask, window, 0);
    EXPECT_EQ(mask, (std::vector<uint8_t>{0, 0, 0, 1, 0, 1, 1, 1, 1}));
    EXPECT_EQ(window, (WorkWindow{0, 0, 3, 3}));
}

TEST(MorphMask, WindowOfZeroHeightLeavesTheMaskAlone)
{
    std::vector<uint8_t> readCopy(9, 1);
    std::vector<uint8_t> mask(9, 7);
    WorkWindow window{0, 2, 3, 2};

    MorphMask(readCopy.data(), mask.data(), 3, 3, kShrinkMask, window, 2);
    EXPECT_EQ(mask, std::vector<uint8_t>(9, 7));
    EXPECT_EQ(window, (WorkWindow{0, 2, 3, 2}));
}

// Growing clears the window's left and right columns and its bottom row as it goes.
TEST(MorphMask, GrowFillsAHoleAndClearsTheWindowBorder)
{
    std::vector<uint8_t> readCopy{1, 1, 1, 1,
                                  1, 0, 1, 1,
                                  1, 1, 1, 1,
                                  1, 1, 1, 1};
    std::vector<uint8_t> mask(16, 0);
    WorkWindow window{0, 0, 4, 4};

    MorphMask(readCopy.data(), mask.data(), 4, 4, kGrowMask, window, 1);
    EXPECT_EQ(mask, (std::vector<uint8_t>{0, 0, 0, 0,
                                          0, 1, 1, 0,
                                          0, 1, 1, 0,
                                          0, 0, 0, 0}));
    EXPECT_EQ(readCopy, mask);
    EXPECT_EQ(window, (WorkWindow{0, 0, 2, 2}));
}

}  // namespace
