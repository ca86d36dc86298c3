#include "imaging/BitmapFile.h"
#include "imaging/EffectFilters.h"
#include "imaging/FormatConversion.h"
#include "imaging/InputModes.h"
#include "imaging/LensCorrection.h"
#include "imaging/Mirror.h"
#include "imaging/TestFrames.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

// Tiny, thin and odd-sized frames through every operation: nothing may read or write outside
// the frame (the sanitizer build checks), and the results must still make sense.

namespace {

struct Size {
    int width;
    int height;
    int bitCount;
};

const std::vector<Size> kSizes{
    {0, 0, 24}, {0, 5, 24}, {5, 0, 24}, {1, 1, 24}, {2, 1, 24}, {2, 7, 24}, {7, 2, 24},
    {3, 3, 24}, {5, 3, 24}, {7, 5, 24}, {1, 1, 32}, {2, 5, 32}, {5, 5, 32}, {9, 4, 32},
};

FrameRecord RandomFrame(const Size& size)
{
    FrameRecord frame = MakeFrame(size.width, size.height, size.bitCount);
    std::mt19937 random(unsigned(size.width * 31 + size.height));
    ImageView view = ViewOf(frame);
    for (std::size_t i = 0; i < view.byteCount(); ++i)
        view.pixels[i] = static_cast<uint8_t>(random());
    return frame;
}

bool AllGrey(const ImageView& view)
{
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x) {
            const Bgr p = PixelAt(view, y, x);
            if (p[0] != p[1] || p[1] != p[2])
                return false;
        }
    return true;
}

bool IsBorder(const ImageView& view, int y, int x)
{
    return y == 0 || x == 0 || y == view.height - 1 || x == view.width - 1;
}

class FrameSizes : public testing::TestWithParam<Size> {};

}  // namespace

TEST_P(FrameSizes, InputModesGiveGreyPixels)
{
    FrameRecord frame = RandomFrame(GetParam());
    FrameRecord previous = MakeFrame(GetParam().width, GetParam().height, GetParam().bitCount);
    std::vector<FrameRecord> ring(3, previous);
    ImageView view = ViewOf(frame);

    // Against a black previous frame the difference is the grey itself.
    FrameRecord grey = frame;
    ToGray(ViewOf(grey));

    FrameDelta(ViewOf(previous), view);
    EXPECT_TRUE(std::equal(frame.data(), frame.data() + frame.size(), grey.data()));
    FrameBinary(ViewOf(previous), view, BinaryThreshold{});
    EXPECT_TRUE(AllGrey(view));
    AccumulateHistory(view, ViewOf(ring[0]), ViewOf(ring[1]), ViewOf(ring[2]));
    EXPECT_TRUE(AllGrey(view));
    BinaryThreshold binary;
    UpdateOtsuThreshold(GetParam().height, GetParam().width, view.pixels, binary);
    EXPECT_GE(binary.threshold, 20);
}

TEST_P(FrameSizes, FiltersComputeTheInteriorAndBlackenTheBorder)
{
    std::vector<uint8_t> temp;
    for (int kernel = kGaussian; kernel <= kPrewitt; ++kernel) {
        FrameRecord frame = RandomFrame(GetParam());
        ImageView view = ViewOf(frame);
        if (kernel % 2)
            GrayConvolve(view, kernel, temp);
        else
            Convolve(view, kernel, temp);
        for (int y = 0; y < view.height; ++y)
            for (int x = 0; x < view.width; ++x)
                if (IsBorder(view, y, x)) {
                    EXPECT_EQ(PixelAt(view, y, x), Grey(0)) << y << "," << x;
                }
        EXPECT_TRUE(AllGrey(view));
    }
}

TEST_P(FrameSizes, MirrorTwiceRestoresTheFrame)
{
    FrameRecord frame = RandomFrame(GetParam());
    FrameRecord original = frame;
    MirrorFrame(ViewOf(frame));
    if (GetParam().width > 1 && GetParam().height > 0) {
        EXPECT_EQ(PixelAt(ViewOf(frame), 0, 0), PixelAt(ViewOf(original), 0, GetParam().width - 1));
    }
    MirrorFrame(ViewOf(frame));
    EXPECT_TRUE(std::equal(frame.data(), frame.data() + frame.size(), original.data()));
}

TEST_P(FrameSizes, LensCorrectionStaysInsideTheFrame)
{
    std::vector<uint8_t> output;
    for (const int32_t k : {0, 1, 10, -10, INT32_MAX, INT32_MIN}) {
        FrameRecord frame = RandomFrame(GetParam());
        CorrectLens(ViewOf(frame), k, output);
        EXPECT_EQ(output.size(), ViewOf(frame).byteCount());
    }
}

TEST_P(FrameSizes, ConversionsFillExactlyTheDestination)
{
    const Size size = GetParam();
    const std::size_t pixels = std::size_t(size.width) * std::size_t(size.height);
    const std::vector<uint8_t> yuy2(pixels * 2, 128);
    std::vector<uint8_t> rgb(pixels * 3, 1);
    Yuy2ToRgb24(size.width, size.height, yuy2.data(), rgb.data());
    EXPECT_EQ(rgb, std::vector<uint8_t>(pixels * 3, 110));

    FrameRecord source = MakeFrame(size.width, size.height, 16);
    FrameRecord destination;
    ASSERT_TRUE(Rgb555ToRgb24(source, destination));
    EXPECT_EQ(destination.size(), 40 + pixels * 3);
}

TEST_P(FrameSizes, SnapshotHoldsTheWholeFrame)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vizmar-size-XXXXXX").string();
    const std::filesystem::path folder = mkdtemp(pattern.data());
    const std::filesystem::path path = folder / "VIZMAR0.bmp";
    FrameRecord frame = RandomFrame(GetParam());

    EXPECT_TRUE(SaveBitmapFile(&frame, path.string()));
    EXPECT_EQ(std::filesystem::file_size(path), 54 + ViewOf(frame).byteCount());
    std::filesystem::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Imaging, FrameSizes, testing::ValuesIn(kSizes), [](const auto& info) {
    const Size& s = info.param;
    return std::to_string(s.width) + "x" + std::to_string(s.height) + "x" + std::to_string(s.bitCount);
});
