// Arbitrary bytes as the buffers a V4L2 camera fills, for every pixel format the capture
// layer accepts and an arbitrary bytesused, through the conversion the capture thread runs and
// on into the work record as the camera object fills it. The buffer holds exactly bytesused
// bytes, so reading past what the device wrote is caught.

#include "imaging/FormatConversion.h"
#include "sources/v4l2/V4l2FrameConverter.h"
#include "support/FuzzCheck.h"
#include "support/FuzzInput.h"

extern "C" {
#include <libavutil/log.h>
}
#include <linux/videodev2.h>

#include <array>
#include <vector>

namespace {
constexpr std::array kPixelFormats{V4L2_PIX_FMT_YUYV,   V4L2_PIX_FMT_BGR24,  V4L2_PIX_FMT_RGB24,  V4L2_PIX_FMT_BGR32,
                                   V4L2_PIX_FMT_ABGR32, V4L2_PIX_FMT_XBGR32, V4L2_PIX_FMT_ARGB32, V4L2_PIX_FMT_XRGB32,
                                   V4L2_PIX_FMT_BGRA32, V4L2_PIX_FMT_BGRX32, V4L2_PIX_FMT_RGBA32, V4L2_PIX_FMT_RGBX32,
                                   V4L2_PIX_FMT_MJPEG,  V4L2_PIX_FMT_JPEG};
constexpr int kLargestSide = 256;
constexpr int kFramesPerInput = 2;

void TakeDelivered(const V4l2PixelLayout& layout, int width, int height, const VideoHeader& frame)
{
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    FuzzCheck(frame.length == pixels * std::size_t(layout.deliveredBits / 8),
              "a delivered frame has the bytes its header promises");
    std::vector<uint8_t> work(pixels * 3 + 1);
    if (layout.kind == V4l2PixelLayout::Kind::Yuy2)
        Yuy2ToRgb24(width, height, frame.data, work.data());
    else
        work.assign(frame.data, frame.data + frame.length);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    // FFmpeg's complaints about broken input would fill the log and slow every run.
    av_log_set_level(AV_LOG_QUIET);
    const uint32_t pixelFormat = kPixelFormats[input.Take<uint8_t>() % kPixelFormats.size()];
    const V4l2PixelLayout* layout = FindPixelLayout(pixelFormat);
    FuzzCheck(layout != nullptr, "every accepted format has a layout");
    if (!IsDeliverable(pixelFormat))
        return 0;
    V4l2StreamFormat format{layout, input.TakeInRange(1, kLargestSide), input.TakeInRange(1, kLargestSide),
                            input.Take<uint16_t>(), 33333};
    V4l2FrameConverter converter(format);
    for (int i = 0; i < kFramesPerInput; ++i) {
        const uint32_t bytesUsed = input.Take<uint32_t>();
        const std::span<const uint8_t> mapped = input.TakeBytes(input.Take<uint16_t>());
        // The capture thread hands on no more than the mapped buffer's length.
        const std::size_t used = std::min<std::size_t>(bytesUsed, mapped.size());
        const std::vector<uint8_t> buffer(mapped.begin(), mapped.begin() + used);
        if (const std::optional<VideoHeader> frame = converter.Convert(buffer.data(), buffer.size()))
            TakeDelivered(*layout, format.width, format.height, *frame);
    }
    return 0;
}
