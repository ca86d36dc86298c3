#include "sources/ffmpeg/BottomUpScaling.h"

#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int kBytesPerPixel = 3;
// Rows of whole blocks of this many pixels are written without running over.
constexpr int kScalerBlockPixels = 16;
// More than the scaler ever writes past a row's end, and a multiple of its alignment.
constexpr std::size_t kRowSlack = 128;

bool Scale(SwsContext& scaler, const AVFrame& picture, int height, uint8_t* firstRow, int stride)
{
    uint8_t* const rows[4] = {firstRow, nullptr, nullptr, nullptr};
    const int strides[4] = {stride, 0, 0, 0};
    return sws_scale(&scaler, picture.data, picture.linesize, 0, picture.height, rows, strides) == height;
}

}  // namespace

bool ScaleBottomUp(SwsContext& scaler, const AVFrame& picture, int width, int height, uint8_t* pixels,
                   std::vector<uint8_t>& scratch)
{
    const std::size_t rowBytes = std::size_t(width) * kBytesPerPixel;
    uint8_t* const lastRow = pixels + std::size_t(height - 1) * rowBytes;
    if (width % kScalerBlockPixels == 0)
        return Scale(scaler, picture, height, lastRow, -int(rowBytes));

    const std::size_t stride = (rowBytes + kRowSlack - 1) / kRowSlack * kRowSlack + kRowSlack;
    scratch.resize(stride * std::size_t(height));
    if (!Scale(scaler, picture, height, scratch.data(), int(stride)))
        return false;
    for (std::size_t row = 0; row < std::size_t(height); ++row)
        std::memcpy(lastRow - row * rowBytes, scratch.data() + row * stride, rowBytes);
    return true;
}
