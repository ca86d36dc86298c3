#include "imaging/BitmapFile.h"
#include "imaging/HsvTable.h"
#include "imaging/Pipeline.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bgr = std::array<uint8_t, 3>;

FrameRecord MakeFrame(int width, int height, Bgr fill = {0, 0, 0}, int bitCount = 24)
{
    FrameRecord frame(MakeBitmapHeader(width, height, bitCount));
    const ImageView view = *frame.view();
    const int filled = std::min(view.bytesPerPixel, 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::copy_n(fill.begin(), filled, view.pixel(y, x));
    return frame;
}

void SetPixel(FrameRecord& frame, int y, int x, Bgr colour)
{
    std::copy(colour.begin(), colour.end(), frame.view()->pixel(y, x));
}

Bgr PixelAt(FrameRecord& frame, int y, int x)
{
    const uint8_t* p = frame.view()->pixel(y, x);
    return {p[0], p[1], p[2]};
}

PipelineOptions FileOptions()
{
    PipelineOptions options;
    options.sourceMode = kAviFileSource;
    return options;
}

class PipelineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(BuildHsvTable()); }
    static void TearDownTestSuite() { FreeHsvTable(); }

    FrameReport Run(FrameRecord& frame, const PipelineOptions& options, int rate = 0)
    {
        FrameContext context;
        context.rate = rate;
        context.clockMs = 1234;
        context.snapshotFolder = folder.string();
        return ProcessFrame(frame, state, options, context);
    }

    PipelineState state;
    std::filesystem::path folder = std::filesystem::temp_directory_path();
};

TEST_F(PipelineTest, CameraFramesAreOnlyMirroredAsIsAndFileFramesStayUnchanged)
{
    FrameRecord camera = MakeFrame(3, 1);
    SetPixel(camera, 0, 0, {255, 0, 0});
    SetPixel(camera, 0, 2, {0, 0, 255});
    const FrameReport report = Run(camera, PipelineOptions{});
    EXPECT_TRUE(report.processed);
    EXPECT_EQ(PixelAt(camera, 0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(camera, 0, 2), (Bgr{255, 0, 0}));

    FrameRecord file = MakeFrame(3, 1);
    SetPixel(file, 0, 0, {255, 0, 0});
    Run(file, FileOptions());
    EXPECT_EQ(PixelAt(file, 0, 0), (Bgr{255, 0, 0}));
}

TEST_F(PipelineTest, FrameCounterWrapsFrom20000To20AndRunsTheTwentiethFrameTasksAtBoth)
{
    FrameRecord frame = MakeFrame(2, 2);
    state.fpsFrames = 19998;
    EXPECT_FALSE(Run(frame, FileOptions()).showThreshold);
    EXPECT_EQ(state.fpsFrames, 19999);
    const FrameReport at20000 = Run(frame, FileOptions());
    EXPECT_TRUE(at20000.showThreshold);
    EXPECT_EQ(at20000.threshold, 20);
    EXPECT_EQ(state.fpsFrames, 20000);
    EXPECT_TRUE(Run(frame, FileOptions()).showThreshold);
    EXPECT_EQ(state.fpsFrames, 20);
}

TEST_F(PipelineTest, CameraRatesAreAveragedEveryTwentiethFrameAndFileFramesLeaveThemAlone)
{
    FrameRecord frame = MakeFrame(2, 2);
    FrameReport report;
    for (int i = 1; i <= 20; ++i)
        report = Run(frame, PipelineOptions{}, i % 2 == 0 ? 31 : 30);
    EXPECT_TRUE(report.showFps);
    EXPECT_EQ(report.fpsAverage, 30);  // 610 / 20 truncated
    EXPECT_EQ(state.fpsSum, 0);

    Run(frame, PipelineOptions{}, 25);
    EXPECT_EQ(state.fpsSum, 25);
    const FrameReport file = Run(frame, FileOptions(), 99);
    EXPECT_FALSE(file.showFps);
    EXPECT_EQ(state.fpsSum, 25);
    EXPECT_EQ(state.fpsAverage, 30);
}

TEST_F(PipelineTest, GrayScaleWritesTheGreyValueIntoAllThreeBytes)
{
    FrameRecord frame = MakeFrame(1, 1, {30, 20, 10});  // B 30, G 20, R 10
    PipelineOptions options = FileOptions();
    options.inputMode = kGrayScale;
    Run(frame, options);
    const uint8_t grey = (306 * 10 + 601 * 20 + 117 * 30) >> 10;  // 17
    EXPECT_EQ(PixelAt(frame, 0, 0), (Bgr{grey, grey, grey}));
}

TEST_F(PipelineTest, DeltaShowsTheGreyFirstThenBlackForAnIdenticalFrame)
{
    PipelineOptions options = FileOptions();
    options.inputMode = kDelta;
    FrameRecord first = MakeFrame(2, 1, {100, 100, 100});
    Run(first, options);
    EXPECT_EQ(PixelAt(first, 0, 1), (Bgr{100, 100, 100}));  // the weights sum to 1024
    FrameRecord second = MakeFrame(2, 1, {100, 100, 100});
    Run(second, options);
    EXPECT_EQ(PixelAt(second, 0, 1), (Bgr{0, 0, 0}));
}

TEST_F(PipelineTest, BinaryTurnsAChangeAboveTwentyWhite)
{
    PipelineOptions options = FileOptions();
    options.inputMode = kBinary;
    FrameRecord dark = MakeFrame(2, 1, {0, 0, 0});
    Run(dark, options);
    FrameRecord changed = MakeFrame(2, 1, {20, 20, 20});
    SetPixel(changed, 0, 1, {21, 21, 21});
    Run(changed, options);
    EXPECT_EQ(PixelAt(changed, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(changed, 0, 1), (Bgr{255, 255, 255}));
}

TEST_F(PipelineTest, HistoryRisesByTenPerSetFrameAndRestartsAfterAReset)
{
    PipelineOptions options = FileOptions();
    options.inputMode = kHistory;
    // Alternating black and white frames keep the binary pixel set in every frame.
    for (int i = 1; i <= 14; ++i) {
        FrameRecord frame = MakeFrame(1, 1, i % 2 ? Bgr{255, 255, 255} : Bgr{0, 0, 0});
        Run(frame, options);
        EXPECT_EQ(PixelAt(frame, 0, 0)[0], std::min(i, 12) * 10) << "frame " << i;
    }
    ResetPipelineState(state);
    EXPECT_TRUE(state.bufferSet[0].empty());
    EXPECT_EQ(state.newestSlot, 0);
    EXPECT_EQ(state.oldestSlot, 1);
    FrameRecord frame = MakeFrame(1, 1, {255, 255, 255});
    Run(frame, options);
    EXPECT_EQ(PixelAt(frame, 0, 0)[0], 10);
}

TEST_F(PipelineTest, MaskTestsTheCameraColoursEvenWhereTheBinaryImageIsWhite)
{
    PipelineOptions options = FileOptions();
    options.inputMode = kBinary;
    options.mask = true;
    state.hsvRange = HsvRange{0, 10, 200, 255, 200, 255};  // bright, saturated reds
    FrameRecord black = MakeFrame(2, 1);
    Run(black, options);
    FrameRecord frame = MakeFrame(2, 1, {0, 0, 250});  // red
    SetPixel(frame, 0, 1, {250, 0, 0});                // blue
    Run(frame, options);
    EXPECT_EQ(PixelAt(frame, 0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(PixelAt(frame, 0, 1), (Bgr{0, 0, 0}));
}

TEST_F(PipelineTest, WhileTheMaskIsOnTheReportGivesTheShareThatPasses)
{
    PipelineOptions options = FileOptions();
    state.hsvRange = HsvRange{0, 10, 200, 255, 200, 255};
    // 1000 pixels, 234 of them red.
    FrameRecord frame = MakeFrame(40, 25, {250, 0, 0});
    for (int i = 0; i < 234; ++i)
        SetPixel(frame, i / 40, i % 40, {0, 0, 250});
    const FrameRecord original = frame;
    EXPECT_EQ(Run(frame, options).passingPercent, std::nullopt) << "mask off";
    options.mask = true;
    frame = original;
    EXPECT_DOUBLE_EQ(Run(frame, options).passingPercent.value(), 23.4);
    // With grow and shrink the count is what is left in the mask: here a frame of one colour
    // loses its cleared border, 40 + 40 + 23 + 23 = 126 pixels (top and bottom rows, and the
    // first and last columns of the rows between).
    options.morphology = true;
    options.erosionCount = 1;
    options.dilationCount = 1;
    FrameRecord red = MakeFrame(40, 25, {0, 0, 250});
    EXPECT_DOUBLE_EQ(Run(red, options).passingPercent.value(), 100.0 * (1000 - 126) / 1000);
}

TEST_F(PipelineTest, MorphologyAloneActsOnlyOnBinaryModes)
{
    PipelineOptions options = FileOptions();
    options.morphology = true;
    options.erosionCount = 1;
    options.dilationCount = 0;
    FrameRecord asIs = MakeFrame(5, 5, {255, 255, 255});
    Run(asIs, options);
    EXPECT_EQ(PixelAt(asIs, 4, 4), (Bgr{255, 255, 255}));

    options.inputMode = kBinary;
    FrameRecord black = MakeFrame(5, 5);
    Run(black, options);
    FrameRecord white = MakeFrame(5, 5, {255, 255, 255});
    Run(white, options);
    EXPECT_EQ(PixelAt(white, 2, 2), (Bgr{255, 255, 255}));  // interior untouched
    EXPECT_EQ(PixelAt(white, 2, 4), (Bgr{0, 0, 0}));        // last pixel of an interior row
    EXPECT_EQ(PixelAt(white, 4, 0), (Bgr{0, 0, 0}));        // bottom row in memory
}

TEST_F(PipelineTest, SnapshotWritesTheProcessedFrameOnceAndClearsTheRequest)
{
    FrameRecord frame = MakeFrame(3, 2);
    SetPixel(frame, 0, 0, {1, 2, 3});
    state.snapshotRequest = true;
    const FrameReport report = Run(frame, PipelineOptions{});
    ASSERT_TRUE(report.snapshotPath.has_value());
    EXPECT_EQ(std::filesystem::path(*report.snapshotPath).filename(), "VIZMAR1234.bmp");
    EXPECT_FALSE(state.snapshotRequest);

    std::ifstream file(*report.snapshotPath, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_EQ(bytes.size(), 54u + 18u);
    EXPECT_TRUE(std::equal(frame.data(), frame.data() + frame.size(), bytes.begin() + 14));
    EXPECT_EQ(bytes[54 + 6], 1);  // pixel (0, 0) was mirrored to (0, 2)
    std::filesystem::remove(*report.snapshotPath);

    EXPECT_FALSE(Run(frame, PipelineOptions{}).snapshotPath.has_value());
}

TEST_F(PipelineTest, SnapshotIntoAFolderThatCannotBeWrittenIsDroppedQuietly)
{
    folder = "/nonexistent/vizmar/folder";
    FrameRecord frame = MakeFrame(2, 2);
    state.snapshotRequest = true;
    const FrameReport report = Run(frame, PipelineOptions{});
    EXPECT_TRUE(report.processed);
    EXPECT_FALSE(report.snapshotPath.has_value());
    EXPECT_FALSE(state.snapshotRequest);
}

TEST_F(PipelineTest, LastOutputBufferHoldsTheFrameAsDrawn)
{
    FrameRecord frame = MakeFrame(2, 1);
    SetPixel(frame, 0, 0, {9, 8, 7});
    Run(frame, PipelineOptions{});
    const FrameRecord& last = state.bufferSet[kLastOutputBuffer];
    EXPECT_TRUE(std::equal(frame.data(), frame.data() + frame.size(), last.data()));
}

TEST_F(PipelineTest, FramesOfAnotherSizeOrDepthReallocateTheBuffersAndRestartHistory)
{
    PipelineOptions options = FileOptions();
    options.inputMode = kHistory;
    options.mask = true;
    options.morphology = true;
    options.lens = true;
    for (int i = 0; i < 3; ++i) {
        FrameRecord small = MakeFrame(4, 3, {255, 255, 255});
        Run(small, options);
    }
    FrameRecord large = MakeFrame(9, 7, {255, 255, 255}, 32);
    EXPECT_TRUE(Run(large, options).processed);
    EXPECT_EQ(state.bufferSet[kHistoryAccumulator].header().biWidth, 9);
    EXPECT_EQ(state.unprocessedCopy.pixelCapacity(), 9u * 7u * 4u);

    options.lens = false;
    options.mask = false;
    FrameRecord next = MakeFrame(9, 7, {0, 0, 0}, 32);
    Run(next, options);
    EXPECT_EQ(PixelAt(next, 3, 3)[0], 20);  // two set frames since the size changed
}

TEST_F(PipelineTest, FramesThatCannotBeProcessedAreSkipped)
{
    FrameRecord sixteenBit = MakeFrame(4, 4, {0, 0, 0}, 16);
    EXPECT_FALSE(Run(sixteenBit, PipelineOptions{}).processed);

    FrameRecord truncated = MakeFrame(4, 4);
    BitmapInfoHeader header = truncated.header();
    header.biWidth = 400;
    truncated.setHeader(header);
    EXPECT_FALSE(Run(truncated, PipelineOptions{}).processed);

    // No pixels at all: a bare header whose height is huge must not be walked row by row.
    for (const auto& [width, height] : {std::pair{0, 2'100'000'000}, std::pair{2'100'000'000, 0}}) {
        FrameRecord empty(MakeBitmapHeader(width, height, 24));
        ASSERT_EQ(empty.size(), kBitmapHeaderSize);
        PipelineOptions everything;
        everything.mask = everything.morphology = everything.lens = true;
        EXPECT_FALSE(Run(empty, everything).processed);
    }
    EXPECT_EQ(state.fpsFrames, 0);

}

// Every mode, filter, mask, morphology and lens on tiny and odd frames: the sanitizer
// build catches any access outside them.
TEST_F(PipelineTest, TinyAndOddFramesGoThroughEveryOption)
{
    const std::array<std::array<int, 2>, 6> sizes{{{0, 0}, {1, 1}, {2, 5}, {5, 2}, {3, 3}, {7, 4}}};
    for (const auto& [width, height] : sizes) {
        for (int mode = kAsIs; mode <= kHistory; ++mode) {
            for (int effect = 0; effect <= 4; ++effect) {
                PipelineOptions options;
                options.inputMode = mode;
                options.effect = effect;
                options.mask = effect % 2 == 0;
                options.morphology = true;
                options.lens = true;
                options.erosionCount = 3;
                options.dilationCount = 3;
                options.sourceMode = effect % 2;
                FrameRecord frame = MakeFrame(width, height, {200, 50, 50});
                EXPECT_EQ(Run(frame, options).processed, width * height > 0) << width << "x" << height;
            }
        }
    }
}

}  // namespace
