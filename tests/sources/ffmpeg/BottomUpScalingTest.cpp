#include "sources/ffmpeg/BottomUpScaling.h"
#include "sources/ffmpeg/FfmpegPointers.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr uint8_t kGuard = 0xAB;
constexpr std::size_t kGuardBytes = 256;

FramePtr RandomPicture(AVPixelFormat format, int width, int height, std::mt19937& random)
{
    FramePtr picture(av_frame_alloc());
    picture->format = format;
    picture->width = width;
    picture->height = height;
    EXPECT_EQ(av_frame_get_buffer(picture.get(), 0), 0);
    for (int plane = 0; plane < AV_NUM_DATA_POINTERS && picture->data[plane] != nullptr; ++plane)
        for (int i = 0; i < picture->linesize[plane] * height; ++i)
            picture->data[plane][i] = uint8_t(random());
    return picture;
}

ScalerPtr MakeScaler(const AVFrame& picture, int width, int height)
{
    return ScalerPtr(sws_getContext(picture.width, picture.height, AVPixelFormat(picture.format), width, height,
                                    AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr));
}

// What the scaler makes of the picture, top row first, written with a row of room after
// every row.
std::vector<uint8_t> TopDownReference(const AVFrame& picture, int width, int height)
{
    const int rowBytes = width * 3;
    const int stride = rowBytes + 256;
    std::vector<uint8_t> spacious(std::size_t(stride) * std::size_t(height + 1));
    const ScalerPtr scaler = MakeScaler(picture, width, height);
    uint8_t* const rows[4] = {spacious.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {stride, 0, 0, 0};
    sws_scale(scaler.get(), picture.data, picture.linesize, 0, picture.height, rows, strides);
    std::vector<uint8_t> packed(std::size_t(rowBytes) * std::size_t(height));
    for (int row = 0; row < height; ++row)
        std::memcpy(packed.data() + std::size_t(row * rowBytes), spacious.data() + std::size_t(row * stride),
                    std::size_t(rowBytes));
    return packed;
}

// Every width, scaled or not, from the planar formats decoders give: the rows come out
// bottom-up, equal to the scaler's own, and nothing is written past the pixels.
TEST(BottomUpScalingTest, RowsAreTheScalersOwnAndNothingRunsOverTheEnd)
{
    std::mt19937 random(11);
    std::vector<uint8_t> scratch;
    for (const AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUV444P, AV_PIX_FMT_GRAY8})
        for (int sourceWidth = 1; sourceWidth <= 80; ++sourceWidth)
            for (const int height : {1, 6}) {
                const FramePtr picture = RandomPicture(format, sourceWidth, height, random);
                for (const int width : {sourceWidth, sourceWidth + 5}) {
                    const std::size_t rowBytes = std::size_t(width) * 3;
                    const std::vector<uint8_t> expected = TopDownReference(*picture, width, height);
                    std::vector<uint8_t> pixels(rowBytes * std::size_t(height) + kGuardBytes, kGuard);
                    const ScalerPtr scaler = MakeScaler(*picture, width, height);
                    ASSERT_TRUE(ScaleBottomUp(*scaler, *picture, width, height, pixels.data(), scratch));
                    bool rowsEqual = true;
                    for (int row = 0; row < height; ++row)
                        rowsEqual &= std::memcmp(pixels.data() + std::size_t(height - 1 - row) * rowBytes,
                                                 expected.data() + std::size_t(row) * rowBytes, rowBytes)
                                  == 0;
                    bool guardKept = true;
                    for (std::size_t i = rowBytes * std::size_t(height); i < pixels.size(); ++i)
                        guardKept &= pixels[i] == kGuard;
                    EXPECT_TRUE(rowsEqual) << "format " << format << ", " << sourceWidth << " to " << width << " x "
                                           << height;
                    EXPECT_TRUE(guardKept) << "format " << format << ", " << sourceWidth << " to " << width << " x "
                                           << height;
                }
            }
}

}  // namespace
