#pragma once

#include "sources/ffmpeg/FfmpegPointers.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes the JPEG pictures of an MJPEG camera into 24-bit BGR frames.
class MjpegDecoder {
public:
    MjpegDecoder();

    bool IsOpen() const { return m_context != nullptr; }
    // One picture into width × height bottom-up BGR rows (scaled when its own size
    // differs). False when it cannot be decoded.
    bool DecodeBottomUp(const uint8_t* data, std::size_t length, int width, int height, uint8_t* destination);

private:
    bool ConvertFrame(int width, int height, uint8_t* destination);

    CodecContextPtr m_context;
    FramePtr m_frame;
    PacketPtr m_packet;
    ScalerPtr m_scaler;
    std::vector<uint8_t> m_padded;
    std::vector<uint8_t> m_scratch;
};

// Whether this build's FFmpeg can open an MJPEG decoder: without one, MJPEG is not offered.
bool MjpegDecodingAvailable();
