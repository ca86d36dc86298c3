#pragma once

#include "sources/ffmpeg/FfmpegPointers.h"

#include <cstdint>
#include <functional>
#include <optional>

// The last frame a stream handed out and the one its decoder put out after it, each with
// its frame number while it holds a frame.
struct DecodedFrames {
    FramePtr current;
    std::optional<int64_t> currentNumber;
    FramePtr upcoming;
    std::optional<int64_t> upcomingNumber;

    // False when FFmpeg has no memory for the two frames.
    bool Allocate();
    // Forgets both frames, after a seek.
    void Clear();
    // Moves on until the current frame is the last one numbered at or before position; a
    // frame beyond it stays waiting as the upcoming one. decodeNext puts the next frame and
    // its number into upcoming, or answers false when there is none.
    void AdvanceTo(int64_t position, const std::function<bool()>& decodeNext);
};
