#pragma once

#include "sources/camera/CaptureDriver.h"
#include "sources/v4l2/MjpegDecoder.h"
#include "sources/v4l2/V4l2PixelFormats.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// The negotiated format of a V4L2 stream.
struct V4l2StreamFormat {
    const V4l2PixelLayout* layout = nullptr;
    int width = 0;
    int height = 0;
    std::size_t bytesPerLine = 0;
};

// Turns each dequeued V4L2 buffer into the frame the stream callback gets: YUY2 lines top
// first and without padding, RGB rows bottom-up in blue-green-red order, MJPEG decoded to
// 24-bit BGR.
class V4l2FrameConverter {
public:
    explicit V4l2FrameConverter(const V4l2StreamFormat& format);

    // Nothing for a frame that cannot be handed on: RGB rows missing, a picture that does
    // not decode. A short YUY2 frame is handed on short; the camera decides about it.
    std::optional<VideoHeader> Convert(const uint8_t* data, std::size_t bytesUsed);

private:
    std::optional<VideoHeader> ConvertYuy2(const uint8_t* data, std::size_t bytesUsed);
    std::optional<VideoHeader> ConvertRgb(const uint8_t* data, std::size_t bytesUsed);
    std::optional<VideoHeader> ConvertMjpeg(const uint8_t* data, std::size_t bytesUsed);
    VideoHeader Delivered(std::size_t length) const { return VideoHeader{m_delivered.data(), length}; }

    V4l2StreamFormat m_format;
    std::vector<uint8_t> m_delivered;
    std::unique_ptr<MjpegDecoder> m_decoder;
};
