#include "sources/v4l2/V4l2Device.h"
#include "sources/v4l2/V4l2FrameConverter.h"
#include "sources/v4l2/V4l2PixelFormats.h"

#include <linux/videodev2.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A 2 × 2 picture, top line first: pixel (x, y) has blue 10x+y+1, green +100, red +200.
std::vector<uint8_t> SourcePicture(const V4l2PixelLayout& layout, std::size_t bytesPerLine)
{
    std::vector<uint8_t> bytes(bytesPerLine * 2, 0xEE);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            uint8_t* pixel = bytes.data() + std::size_t(y) * bytesPerLine + std::size_t(x * layout.sourceBytes);
            if (layout.sourceBytes == 4)
                pixel[6 - layout.blue - layout.green - layout.red] = 0x77;
            pixel[layout.blue] = uint8_t(10 * x + y + 1);
            pixel[layout.green] = uint8_t(10 * x + y + 101);
            pixel[layout.red] = uint8_t(10 * x + y + 201);
        }
    }
    return bytes;
}

TEST(V4l2PixelFormatsTest, RgbFormatsArriveBottomUpInBlueGreenRedOrder)
{
    const uint32_t formats[] = {
        V4L2_PIX_FMT_BGR24,  V4L2_PIX_FMT_RGB24,  V4L2_PIX_FMT_BGR32,  V4L2_PIX_FMT_ABGR32,
        V4L2_PIX_FMT_XBGR32, V4L2_PIX_FMT_ARGB32, V4L2_PIX_FMT_XRGB32, V4L2_PIX_FMT_BGRA32,
        V4L2_PIX_FMT_BGRX32, V4L2_PIX_FMT_RGBA32, V4L2_PIX_FMT_RGBX32,
    };
    for (uint32_t format : formats) {
        SCOPED_TRACE(format);
        const V4l2PixelLayout* layout = FindPixelLayout(format);
        ASSERT_NE(layout, nullptr);
        const int outBytes = layout->deliveredBits / 8;
        const std::size_t bytesPerLine = std::size_t(2 * layout->sourceBytes + 3);
        const std::vector<uint8_t> source = SourcePicture(*layout, bytesPerLine);
        std::vector<uint8_t> out(std::size_t(4 * outBytes), 0xAA);
        RepackRgbBottomUp(*layout, 2, 2, bytesPerLine, source.data(), out.data());
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) {
                const uint8_t* pixel = out.data() + std::size_t(((1 - y) * 2 + x) * outBytes);
                EXPECT_EQ(pixel[0], 10 * x + y + 1);
                EXPECT_EQ(pixel[1], 10 * x + y + 101);
                EXPECT_EQ(pixel[2], 10 * x + y + 201);
            }
        }
        const BitmapInfoHeader header = DeliveredHeader(*layout, 2, 2);
        EXPECT_EQ(header.biCompression, 0u);
        EXPECT_EQ(header.biBitCount, layout->sourceBytes * 8);
        EXPECT_EQ(header.biSizeImage, uint32_t(4 * outBytes));
        EXPECT_GT(header.biHeight, 0);
    }
}

TEST(V4l2PixelFormatsTest, YuyvIsYuy2AtSixteenBitsAndMjpegDecodesToTwentyFour)
{
    const BitmapInfoHeader yuy2 = DeliveredHeader(*FindPixelLayout(V4L2_PIX_FMT_YUYV), 320, 240);
    EXPECT_EQ(yuy2.biCompression, 0x32595559u);
    EXPECT_EQ(yuy2.biBitCount, 16);
    EXPECT_EQ(yuy2.biSizeImage, 320u * 240 * 2);

    const BitmapInfoHeader mjpeg = DeliveredHeader(*FindPixelLayout(V4L2_PIX_FMT_MJPEG), 320, 240);
    EXPECT_EQ(mjpeg.biCompression, 0u);
    EXPECT_EQ(mjpeg.biBitCount, 24);

    const BitmapInfoHeader compressed = CompressedHeader(V4L2_PIX_FMT_MJPEG, 640, 480, 1234);
    EXPECT_NE(compressed.biBitCount, 24);
    EXPECT_NE(compressed.biBitCount, 32);
    EXPECT_EQ(compressed.biSizeImage, 1234u);

    EXPECT_EQ(FindPixelLayout(V4L2_PIX_FMT_NV12), nullptr);
}

TEST(V4l2FrameConverterTest, PaddedYuyvLinesAreClosedUpAndShortFramesAreDropped)
{
    const V4l2StreamFormat format{FindPixelLayout(V4L2_PIX_FMT_YUYV), 4, 3, 12};
    V4l2FrameConverter converter(format);
    std::vector<uint8_t> source(36);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = uint8_t(i);

    const auto whole = converter.Convert(source.data(), source.size());
    ASSERT_TRUE(whole);
    ASSERT_EQ(whole->length, 24u);
    for (int y = 0; y < 3; ++y) {
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(whole->data[y * 8 + i], y * 12 + i);
    }

    EXPECT_TRUE(converter.Convert(source.data(), 32)) << "the last line needs no padding";
    EXPECT_FALSE(converter.Convert(source.data(), 31));
    EXPECT_FALSE(converter.Convert(source.data(), 20));
}

TEST(V4l2FrameConverterTest, TightYuyvIsHandedOnInPlace)
{
    V4l2FrameConverter converter({FindPixelLayout(V4L2_PIX_FMT_YUYV), 4, 2, 8});
    const std::vector<uint8_t> source(20, 1);
    const auto frame = converter.Convert(source.data(), source.size());
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->data, source.data());
    EXPECT_EQ(frame->length, 16u) << "bytes past the frame are not handed on";
    EXPECT_FALSE(converter.Convert(source.data(), 15));
}

TEST(V4l2FrameConverterTest, RgbFrameWithMissingRowsIsNotHandedOn)
{
    V4l2FrameConverter converter({FindPixelLayout(V4L2_PIX_FMT_BGR24), 2, 2, 8});
    const std::vector<uint8_t> source(14, 5);
    EXPECT_TRUE(converter.Convert(source.data(), 14)) << "the last line needs no padding";
    EXPECT_FALSE(converter.Convert(source.data(), 13));
}

TEST(V4l2FrameConverterTest, UndecodableMjpegIsNotHandedOn)
{
    V4l2FrameConverter converter({FindPixelLayout(V4L2_PIX_FMT_MJPEG), 320, 240, 0});
    const std::vector<uint8_t> garbage(1000, 0x42);
    EXPECT_FALSE(converter.Convert(garbage.data(), garbage.size()));
    EXPECT_FALSE(converter.Convert(garbage.data(), 0));
}

TEST(FrameIntervalTest, WholeRatesBecomeExactFractions)
{
    const struct {
        uint32_t microseconds;
        uint32_t numerator;
        uint32_t denominator;
    } cases[] = {
        {142857, 1, 7}, {66666, 1, 15}, {33333, 1, 30}, {16666, 1, 60}, {1000000, 1, 1}, {2500000, 2500000, 1000000},
        {40000, 1, 25}, {45000, 45000, 1000000},
    };
    for (const auto& c : cases) {
        const v4l2_fract fraction = FrameIntervalFraction(c.microseconds);
        EXPECT_EQ(fraction.numerator, c.numerator) << c.microseconds;
        EXPECT_EQ(fraction.denominator, c.denominator) << c.microseconds;
    }
    EXPECT_EQ(FrameIntervalMicroseconds({1, 30}), 33333u);
    EXPECT_EQ(FrameIntervalMicroseconds({1, 0}), 0u);
}

}  // namespace
