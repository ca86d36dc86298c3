#include "imaging/Morphology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

// The morphology works rows in vector blocks and reconstructs the window's bookkeeping per
// row. These tests hold it against the rules applied one pixel and one change at a time, on
// random pictures wide enough for several blocks and windows of every kind.

namespace {

struct Window {
    int left, top, right, bottom, accRight, accBottom;

    static Window Inside(const WorkWindow& w, int width, int height)
    {
        const int left = std::clamp(w.left, 0, width);
        const int top = std::clamp(w.top, 0, height);
        return {left, top, std::clamp(w.right, 0, width), std::clamp(w.bottom, 0, height), left, top};
    }

    void Note(int y, int x, int iterationTop)
    {
        if (top == iterationTop)
            top = y - 1;
        if (accRight < x)
            accRight = x + 1;
        if (accBottom < y)
            accBottom = y + 1;
    }
};

void ReferenceMorphMask(std::vector<uint8_t>& readCopy, std::vector<uint8_t>& mask, int width, int height, int mode,
                        WorkWindow& window, int count)
{
    if (window.top == window.bottom)
        return;
    Window w = Window::Inside(window, width, height);
    const auto at = [&](int y, int x) { return std::size_t(y) * std::size_t(width) + std::size_t(x); };
    const auto clearRow = [&](int y) {
        if (y >= 0 && y < height)
            std::fill_n(mask.begin() + std::ptrdiff_t(at(y, 0)), width, 0);
    };
    const auto clearByte = [&](int y, int x) {
        if (x >= 0 && x < width)
            mask[at(y, x)] = 0;
    };
    mask = readCopy;
    clearRow(w.top);
    for (int iteration = 0; iteration < count; ++iteration) {
        const int iterationTop = w.top;
        for (int y = iterationTop + 1; y < w.bottom - 1; ++y) {
            clearByte(y, w.left);
            for (int x = w.left + 1; x < w.right - 1; ++x) {
                const int sum = readCopy[at(y - 1, x)] + readCopy[at(y, x - 1)] + readCopy[at(y, x + 1)] +
                                readCopy[at(y + 1, x)];
                const bool changes = mode == kShrinkMask ? readCopy[at(y, x)] == 1 && sum != 4
                                                         : readCopy[at(y, x)] == 0 && sum > 0;
                if (changes) {
                    mask[at(y, x)] = mode == kShrinkMask ? 0 : 1;
                    w.Note(y, x, iterationTop);
                }
            }
            clearByte(y, w.right - 1);
        }
        if (iterationTop < w.bottom) {
            clearRow(w.bottom - 1);
            readCopy = mask;
        }
        w.right = w.accRight;
        w.bottom = w.accBottom;
    }
    window = {w.left, w.top, w.right, w.bottom};
}

void ReferenceMorphFrame(std::vector<uint8_t>& pixels, int width, int height, int step, int mode, WorkWindow& window,
                         int count)
{
    if (window.top == window.bottom)
        return;
    Window w = Window::Inside(window, width, height);
    const auto at = [&](int y, int x) {
        return (std::size_t(y) * std::size_t(width) + std::size_t(x)) * std::size_t(step);
    };
    const auto paint = [&](int y, int x, uint8_t level) {
        std::fill_n(pixels.begin() + std::ptrdiff_t(at(y, x)), step, level);
    };
    std::vector<uint8_t> snapshot = pixels;
    for (int iteration = 0; iteration < count; ++iteration) {
        const int iterationTop = w.top;
        for (int y = iterationTop + 1; y < w.bottom - 1; ++y) {
            for (int x = w.left + 1; x < w.right - 1; ++x) {
                const int sum = snapshot[at(y - 1, x)] + snapshot[at(y, x - 1)] + snapshot[at(y, x + 1)] +
                                snapshot[at(y + 1, x)];
                const bool white = snapshot[at(y, x)] != 0;
                const bool changes = mode == kErodeFrame ? white && sum != 4 * 255 : !white && sum > 0;
                if (changes) {
                    paint(y, x, mode == kErodeFrame ? 0 : 255);
                    w.Note(y, x, iterationTop);
                }
            }
            if (width > 0)
                paint(y, width - 1, 0);
        }
        if (iterationTop < w.bottom) {
            for (int x = 0; x < width; ++x)
                paint(w.bottom - 1, x, 0);
            snapshot = pixels;
        }
        w.right = w.accRight;
        w.bottom = w.accBottom;
    }
    window = {w.left, w.top, w.right, w.bottom};
}

struct Size {
    int width, height;
};

// Widths below, at and across the 128-column blocks; a few heights.
const Size kSizes[] = {{3, 3}, {9, 6}, {130, 5}, {129, 4}, {200, 7}, {300, 9}, {257, 3}};

// Random pictures from sparse to dense; blobs give runs of changes, noise isolated ones.
std::vector<uint8_t> RandomPicture(std::mt19937& random, std::size_t count, uint8_t on)
{
    const unsigned density = 1 + random() % 9;
    std::vector<uint8_t> picture(count);
    for (uint8_t& p : picture)
        p = random() % 10 < density ? on : 0;
    return picture;
}

std::vector<WorkWindow> Windows(std::mt19937& random, int width, int height)
{
    return {{0, 0, width, height},
            {-3, -2, width + 5, height + 1},
            {int(random() % 3), int(random() % 3), width - int(random() % 3), height - int(random() % 2)},
            {0, 2, width, 2},
            {width / 2, 1, width, height}};
}

TEST(MorphologyReference, MaskGrowsAndShrinksAsTheRulesDoOneChangeAtATime)
{
    std::mt19937 random(42);
    for (const Size size : kSizes)
        for (const WorkWindow& start : Windows(random, size.width, size.height))
            for (int mode : {kGrowMask, kShrinkMask})
                for (int count : {0, 1, 2, 4}) {
                    SCOPED_TRACE(testing::Message() << size.width << "x" << size.height << " mode " << mode << " count "
                                                    << count << " window " << start.left << "," << start.top);
                    const std::size_t pixels = std::size_t(size.width) * std::size_t(size.height);
                    std::vector<uint8_t> readCopy = RandomPicture(random, pixels, 1);
                    std::vector<uint8_t> mask(pixels, 7);
                    std::vector<uint8_t> expectedReadCopy = readCopy;
                    std::vector<uint8_t> expectedMask = mask;
                    WorkWindow window = start;
                    WorkWindow expectedWindow = start;

                    MorphMask(readCopy.data(), mask.data(), size.width, size.height, mode, window, count);
                    ReferenceMorphMask(expectedReadCopy, expectedMask, size.width, size.height, mode, expectedWindow,
                                       count);

                    ASSERT_EQ(mask, expectedMask);
                    ASSERT_EQ(readCopy, expectedReadCopy);
                    ASSERT_EQ(window, expectedWindow);
                }
}

// Bytes other than 0 and 1 exercise the exact neighbour sums (for example 2 + 2 + 0 + 0 = 4).
TEST(MorphologyReference, MaskBytesBeyondOneFollowTheSums)
{
    std::mt19937 random(7);
    for (int mode : {kGrowMask, kShrinkMask}) {
        std::vector<uint8_t> readCopy(200 * 6);
        for (uint8_t& b : readCopy)
            b = std::vector<uint8_t>{0, 1, 1, 2, 4, 200, 255}[random() % 7];
        std::vector<uint8_t> mask(readCopy.size());
        std::vector<uint8_t> expectedReadCopy = readCopy;
        std::vector<uint8_t> expectedMask = mask;
        WorkWindow window{0, 0, 200, 6};
        WorkWindow expectedWindow = window;

        MorphMask(readCopy.data(), mask.data(), 200, 6, mode, window, 2);
        ReferenceMorphMask(expectedReadCopy, expectedMask, 200, 6, mode, expectedWindow, 2);

        EXPECT_EQ(mask, expectedMask);
        EXPECT_EQ(window, expectedWindow);
    }
}

TEST(MorphologyReference, FrameErodesAndDilatesAsTheRulesDoOneChangeAtATime)
{
    std::mt19937 random(3);
    for (const Size size : kSizes)
        for (int step : {3, 4})
            for (const WorkWindow& start : Windows(random, size.width, size.height))
                for (int mode : {kErodeFrame, kDilateFrame})
                    for (int count : {1, 3}) {
                        SCOPED_TRACE(testing::Message() << size.width << "x" << size.height << "x" << step << " mode "
                                                        << mode << " count " << count);
                        const std::size_t pixels = std::size_t(size.width) * std::size_t(size.height);
                        std::vector<uint8_t> levels = RandomPicture(random, pixels, 255);
                        std::vector<uint8_t> frame(pixels * std::size_t(step));
                        for (std::size_t i = 0; i < pixels; ++i)
                            std::fill_n(frame.begin() + std::ptrdiff_t(i * std::size_t(step)), step, levels[i]);
                        std::vector<uint8_t> expected = frame;
                        std::vector<uint8_t> snapshot;
                        WorkWindow window = start;
                        WorkWindow expectedWindow = start;

                        const ImageView view{size.width, size.height, step, frame.data()};
                        MorphFrame(view, mode, window, count, snapshot);
                        ReferenceMorphFrame(expected, size.width, size.height, step, mode, expectedWindow, count);

                        ASSERT_EQ(frame, expected);
                        ASSERT_EQ(window, expectedWindow);
                    }
}

struct MaskCase {
    Size size;
    WorkWindow start;
    int mode;
    int count;
};

// Every window of Windows, both modes and counts 0, 1, 2 and 4 on each size.
std::vector<MaskCase> MaskCases(std::mt19937& random, const std::vector<Size>& sizes)
{
    std::vector<MaskCase> cases;
    for (const Size size : sizes)
        for (const WorkWindow& start : Windows(random, size.width, size.height))
            for (int mode : {kGrowMask, kShrinkMask})
                for (int count : {0, 1, 2, 4})
                    cases.push_back({size, start, mode, count});
    return cases;
}

// The masks of the pipeline hold only 0s and 1s, and it grows and shrinks them as bits. Widths
// below, at and across a word of 64 bits and a vector of 512.
TEST(MorphologyReference, MaskBitsGrowAndShrinkAsTheRulesDo)
{
    std::mt19937 random(11);
    std::vector<uint64_t> rowScratch;
    for (const MaskCase& c : MaskCases(random, {{3, 3}, {63, 4}, {64, 5}, {65, 3}, {130, 5}, {511, 3}, {513, 4}, {700, 6}})) {
        const int width = c.size.width;
        const int height = c.size.height;
        SCOPED_TRACE(testing::Message() << width << "x" << height << " mode " << c.mode << " count " << c.count
                                        << " window " << c.start.left << "," << c.start.top);
        std::vector<uint8_t> expectedReadCopy = RandomPicture(random, std::size_t(width) * std::size_t(height), 1);
        std::vector<uint8_t> expectedMask(expectedReadCopy.size(), 1);
        MaskBits readCopy;
        readCopy.resize(width, height);
        for (int y = 0; y < height; ++y)
            PackFlagRow(expectedReadCopy.data() + std::size_t(y) * std::size_t(width), width, readCopy.row(y));
        MaskBits mask;
        WorkWindow window = c.start;
        WorkWindow expectedWindow = c.start;

        MorphMaskBits(readCopy, mask, c.mode, window, c.count, rowScratch);
        ReferenceMorphMask(expectedReadCopy, expectedMask, width, height, c.mode, expectedWindow, c.count);

        ASSERT_EQ(window, expectedWindow);
        if (c.start.top == c.start.bottom)
            continue;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::size_t at = std::size_t(y) * std::size_t(width) + std::size_t(x);
                ASSERT_EQ(mask.at(y, x), expectedMask[at] != 0) << "mask at " << x << "," << y;
                ASSERT_EQ(readCopy.at(y, x), expectedReadCopy[at] != 0) << "read copy at " << x << "," << y;
            }
    }
}

}  // namespace
