#pragma once

#include <cstdint>

struct AVFrame;

// A video stream whose frames can be fetched by position, whatever file holds it.
class VideoStream {
public:
    virtual ~VideoStream() = default;

    virtual int64_t FrameCount() const = 0;
    // Frames of raw DIB streams keep their depth; all others are converted to 24 bits.
    virtual bool IsRawVideo() const = 0;
    // The decoded frame at position, valid until the next call; nullptr when it cannot be
    // decoded.
    virtual const AVFrame* FrameAt(int64_t position) = 0;
};
