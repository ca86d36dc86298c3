#include "sources/avi/DecodedFrames.h"

#include <utility>

extern "C" {
#include <libavutil/frame.h>
}

bool DecodedFrames::Allocate()
{
    current.reset(av_frame_alloc());
    upcoming.reset(av_frame_alloc());
    return current && upcoming;
}

void DecodedFrames::Clear()
{
    av_frame_unref(current.get());
    av_frame_unref(upcoming.get());
    currentNumber.reset();
    upcomingNumber.reset();
}

void DecodedFrames::AdvanceTo(int64_t position, const std::function<bool()>& decodeNext)
{
    while (!currentNumber || *currentNumber != position) {
        if (!upcomingNumber && !decodeNext())
            return;
        if (*upcomingNumber > position)
            return;
        std::swap(current, upcoming);
        av_frame_unref(upcoming.get());
        currentNumber = std::exchange(upcomingNumber, std::nullopt);
    }
}
