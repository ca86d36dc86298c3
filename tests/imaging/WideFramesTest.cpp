#include "imaging/EffectFilters.h"
#include "imaging/HsvMask.h"
#include "imaging/InputModes.h"
#include "imaging/Mirror.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

// The operations run 3-byte frames in vector blocks of many pixels and finish pixel by pixel.
// These frames are wide enough for both, with random content, and each result is held against
// the per-pixel rule.

namespace {

struct Frame {
    int width, height, step;
    std::vector<uint8_t> bytes;

    Frame(int w, int h, int s, unsigned seed) : width(w), height(h), step(s), bytes(std::size_t(w) * h * s)
    {
        std::mt19937 random(seed);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random());
    }

    ImageView view() { return ImageView{width, height, step, bytes.data()}; }
    std::size_t pixels() const { return std::size_t(width) * std::size_t(height); }
    uint8_t* pixel(std::size_t i) { return bytes.data() + i * std::size_t(step); }
    uint8_t* pixel(int y, int x) { return pixel(std::size_t(y) * std::size_t(width) + std::size_t(x)); }
};

// Pixel counts around the 32-pixel blocks, and one 4-byte frame that takes the plain path.
struct Shape {
    int width, height, step;
};
const Shape kShapes[] = {{70, 3, 3}, {32, 1, 3}, {33, 2, 3}, {31, 5, 3}, {129, 4, 3}, {40, 3, 4}};

TEST(WideFrames, GreyIsTheWeightedSumOfEveryPixel)
{
    for (const Shape& s : kShapes) {
        Frame frame(s.width, s.height, s.step, 1);
        const Frame before = frame;
        ToGray(frame.view());
        for (std::size_t i = 0; i < frame.pixels(); ++i) {
            const uint8_t* old = before.bytes.data() + i * std::size_t(s.step);
            const auto grey = static_cast<uint8_t>((306 * old[2] + 601 * old[1] + 117 * old[0]) >> 10);
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(frame.pixel(i)[c], grey) << s.width << "x" << s.height << " pixel " << i;
            }
            if (s.step == 4) {
                ASSERT_EQ(frame.pixel(i)[3], old[3]);
            }
        }
    }
}

// Every one of the 16,777,216 colours, so that the vector blocks' grey formula, which differs
// from the weighted sum in form, is held against it everywhere.
TEST(WideFrames, GreyOfEveryColourIsTheWeightedSum)
{
    Frame frame(4096, 4096, 3, 0);
    for (std::size_t i = 0; i < frame.pixels(); ++i) {
        frame.pixel(i)[0] = static_cast<uint8_t>(i);
        frame.pixel(i)[1] = static_cast<uint8_t>(i >> 8);
        frame.pixel(i)[2] = static_cast<uint8_t>(i >> 16);
    }
    ToGray(frame.view());
    for (std::size_t i = 0; i < frame.pixels(); ++i) {
        const auto grey = static_cast<uint8_t>((306 * (i >> 16) + 601 * (i >> 8 & 255) + 117 * (i & 255)) >> 10);
        ASSERT_EQ(frame.pixel(i)[1], grey) << "colour " << i;
    }
}

struct DeltaExpectation {
    std::vector<uint8_t> frame;
    std::vector<uint8_t> previous;
};

// The rule pixel by pixel; table null for the difference, else the binary picture.
DeltaExpectation ExpectedDelta(const Frame& frame, const Frame& previous, const std::array<uint8_t, 256>* table)
{
    DeltaExpectation e{frame.bytes, previous.bytes};
    const std::size_t step = std::size_t(frame.step);
    for (std::size_t i = 0; i < frame.pixels(); ++i) {
        uint8_t* p = e.frame.data() + i * step;
        const int grey = (306 * p[2] + 601 * p[1] + 117 * p[0]) >> 10;
        const int change = std::abs(grey - e.previous[i * step]);
        e.previous[i * step] = static_cast<uint8_t>(grey);
        const int out = table ? 255 * (*table)[change] : change;
        std::fill_n(p, 3, static_cast<uint8_t>(out));
    }
    return e;
}

// The previous greys sit at every pixel's byte 0; the other bytes are random and must stay.
TEST(WideFrames, DifferenceAndBinaryFollowThePreviousGreyOfEveryPixel)
{
    BinaryThreshold binary;
    binary.Set(37);
    BinaryThreshold unusual;
    for (int level = 0; level < 256; ++level)
        unusual.table[level] = level % 3 == 0 ? 1 : 0;
    for (const Shape& s : kShapes) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << "x" << s.step);
        Frame frame(s.width, s.height, s.step, 2);
        Frame previous(s.width, s.height, s.step, 3);
        const DeltaExpectation delta = ExpectedDelta(frame, previous, nullptr);
        FrameDelta(previous.view(), frame.view());
        EXPECT_EQ(frame.bytes, delta.frame);
        EXPECT_EQ(previous.bytes, delta.previous);

        for (const BinaryThreshold* table : {&binary, &unusual}) {
            Frame next(s.width, s.height, s.step, 4);
            const DeltaExpectation expected = ExpectedDelta(next, previous, &table->table);
            FrameBinary(previous.view(), next.view(), *table);
            EXPECT_EQ(next.bytes, expected.frame);
            EXPECT_EQ(previous.bytes, expected.previous);
        }
    }
}

const int kKernels[4][9] = {
    {1, 1, 1, 1, 1, 1, 1, 1, 1},
    {0, -1, 0, -1, 4, -1, 0, -1, 0},
    {-1, 0, 1, -2, 0, 2, -1, 0, 1},
    {-1, -1, -1, 0, 0, 0, 1, 1, 1},
};

// The filter rule on byte 0 of a copy: interior pixels get |sum| modulo 256, the rest black.
std::vector<uint8_t> ExpectedFilter(Frame frame, int kernel)
{
    Frame out = frame;
    std::fill(out.bytes.begin(), out.bytes.end(), 0);
    for (int y = 1; y < frame.height - 1; ++y)
        for (int x = 1; x < frame.width - 1; ++x) {
            int sum = 0;
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    sum += kKernels[kernel][r * 3 + c] * frame.pixel(y - 1 + r, x - 1 + c)[0];
            if (kernel == kGaussian)
                sum /= 9;
            std::fill_n(out.pixel(y, x), 3, static_cast<uint8_t>(std::abs(sum) & 0xFF));
        }
    return out.bytes;
}

TEST(WideFrames, FiltersComputeEveryInteriorPixel)
{
    std::vector<uint8_t> temp;
    for (const Shape& s : kShapes)
        for (int kernel = kGaussian; kernel <= kPrewitt; ++kernel) {
            SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << "x" << s.step << " kernel " << kernel);
            Frame frame(s.width, s.height, s.step, 5);
            const std::vector<uint8_t> expected = ExpectedFilter(frame, kernel);
            Convolve(frame.view(), kernel, temp);
            EXPECT_EQ(frame.bytes, expected);

            Frame colour(s.width, s.height, s.step, 6);
            Frame grey = colour;
            ToGray(grey.view());
            GrayConvolve(colour.view(), kernel, temp);
            EXPECT_EQ(colour.bytes, ExpectedFilter(grey, kernel));
        }
}

TEST(WideFrames, MirrorReversesEveryRow)
{
    for (int width = 1; width <= 70; ++width)
        for (int step : {3, 4}) {
            Frame frame(width, 2, step, unsigned(width));
            Frame before = frame;
            MirrorFrame(frame.view());
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < width; ++x)
                    for (int c = 0; c < step; ++c)
                        ASSERT_EQ(frame.pixel(y, x)[c], before.pixel(y, width - 1 - x)[c])
                            << "width " << width << " step " << step << " at " << y << "," << x;
        }
}

class WideMask : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(BuildHsvTable()); }
    static void TearDownTestSuite() { FreeHsvTable(); }
};

const HsvRange kWideRange{40, 200, 20, 255, 30, 255};

TEST_F(WideMask, BlackensExactlyThePixelsWhoseColourFails)
{
    for (const Shape& s : kShapes) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << "x" << s.step);
        Frame source(s.width, s.height, s.step, 7);
        Frame target(s.width, s.height, s.step, 8);
        Frame expected = target;
        for (std::size_t i = 0; i < source.pixels(); ++i) {
            const uint8_t* p = source.pixel(i);
            if (!InHsvRange(p[0], p[1], p[2], kWideRange))
                std::fill_n(expected.pixel(i), 3, 0);
        }
        ApplyHsvMask(source.view(), target.view(), kWideRange);
        EXPECT_EQ(target.bytes, expected.bytes);
    }
}

// The mask as the rule builds it: tested, copied, grown, copied again, shrunk, applied.
TEST_F(WideMask, MorphologyMaskEqualsTheRuleStepByStep)
{
    for (const Shape& s : kShapes) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << "x" << s.step);
        Frame source(s.width, s.height, s.step, 9);
        Frame target(s.width, s.height, s.step, 10);
        Frame expected = target;
        std::vector<uint8_t> mask(source.pixels());
        for (std::size_t i = 0; i < mask.size(); ++i)
            mask[i] = static_cast<uint8_t>(
                InHsvRange(source.pixel(i)[0], source.pixel(i)[1], source.pixel(i)[2], kWideRange));
        WorkWindow expectedWindow{0, 0, s.width, s.height};
        std::vector<uint8_t> readCopy = mask;
        MorphMask(readCopy.data(), mask.data(), s.width, s.height, kGrowMask, expectedWindow, 2);
        readCopy = mask;
        MorphMask(readCopy.data(), mask.data(), s.width, s.height, kShrinkMask, expectedWindow, 1);
        int kept = 0;
        for (std::size_t i = 0; i < mask.size(); ++i) {
            if (mask[i] != 0)
                ++kept;
            else
                std::fill_n(expected.pixel(i), 3, 0);
        }

        MaskBuffers buffers;
        WorkWindow window{0, 0, s.width, s.height};
        EXPECT_EQ(MaskWithMorphology(source.view(), target.view(), 2, 1, window, kWideRange, buffers), kept);
        EXPECT_EQ(target.bytes, expected.bytes);
        EXPECT_EQ(window, expectedWindow);
        EXPECT_EQ(buffers.mask, mask);
    }
}

}  // namespace
