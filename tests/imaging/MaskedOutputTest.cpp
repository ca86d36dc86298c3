#include "imaging/HsvMask.h"
#include "imaging/HsvTable.h"
#include "imaging/Mirror.h"
#include "imaging/Pipeline.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// A masked frame that arrives as is takes one pass over the frame for the copies, the mask
// and the mirror; it must come out as the stages run one after another would leave it.
class MaskedAsIsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(BuildHsvTable()); }
    static void TearDownTestSuite() { FreeHsvTable(); }
};

// Random colours, so that about half pass the range and the morphology changes many pixels.
FrameRecord RandomFrame(int width, int height, int bitCount, unsigned seed)
{
    FrameRecord frame(MakeBitmapHeader(width, height, bitCount));
    std::mt19937 random(seed);
    const ImageView view = *frame.view();
    for (std::size_t i = 0; i < view.byteCount(); ++i)
        view.pixels[i] = static_cast<uint8_t>(random());
    return frame;
}

std::vector<uint8_t> BytesOf(const FrameRecord& frame)
{
    return std::vector<uint8_t>(frame.data(), frame.data() + frame.size());
}

struct StageOutputs {
    std::vector<uint8_t> frame;
    std::vector<uint8_t> unprocessed;
    double passingPercent = 0;
};

StageOutputs RunStagesByHand(const FrameRecord& arrived, const PipelineOptions& options, const HsvRange& range)
{
    FrameRecord frame = arrived;
    FrameRecord unprocessed = arrived;
    const ImageView view = *frame.view();
    WorkWindow window{0, 0, view.width, view.height};
    MaskBuffers buffers;
    const int passing = options.morphology ? MaskWithMorphology(*unprocessed.view(), view, options.erosionCount,
                                                                options.dilationCount, window, range, buffers)
                                           : ApplyHsvMask(*unprocessed.view(), view, range);
    if (options.sourceMode == kCameraSource)
        MirrorFrame(view);
    return {BytesOf(frame), BytesOf(unprocessed), 100.0 * passing / double(view.pixelCount())};
}

struct Shape {
    int width;
    int height;
    int bitCount;
};

TEST_F(MaskedAsIsTest, LeavesTheFrameTheCopiesAndTheShareAsTheStagesInTurnDo)
{
    // Odd widths leave pixels outside the vector blocks; 300 rows of 100 pixels make several
    // bands; 32-bit pixels keep their fourth byte.
    const Shape shapes[] = {{1, 1, 24}, {7, 3, 24}, {37, 9, 24}, {100, 300, 24}, {33, 5, 32}, {641, 20, 24}};
    HsvRange range;
    range.hueLow = 20;
    range.hueHigh = 200;
    for (const Shape& s : shapes)
        for (const bool morphology : {false, true})
            for (const int sourceMode : {kCameraSource, kAviFileSource}) {
                SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << "x" << s.bitCount
                                                << " morphology " << morphology << " source " << sourceMode);
                PipelineOptions options;
                options.mask = true;
                options.morphology = morphology;
                options.sourceMode = sourceMode;
                PipelineState state;
                state.hsvRange = range;
                // The second frame finds the buffers the first one allocated.
                for (unsigned seed : {1u, 2u}) {
                    FrameRecord frame = RandomFrame(s.width, s.height, s.bitCount, seed);
                    const StageOutputs expected = RunStagesByHand(frame, options, range);
                    const FrameReport report = ProcessFrame(frame, state, options, FrameContext{});
                    EXPECT_EQ(BytesOf(frame), expected.frame);
                    EXPECT_EQ(BytesOf(state.unprocessedCopy), expected.unprocessed);
                    EXPECT_EQ(BytesOf(state.bufferSet[kLastOutputBuffer]), expected.frame);
                    ASSERT_TRUE(report.passingPercent.has_value());
                    EXPECT_DOUBLE_EQ(*report.passingPercent, expected.passingPercent);
                }
            }
}

}  // namespace
