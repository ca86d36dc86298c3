#pragma once

#include "imaging/FrameRecord.h"

#include <array>
#include <cstdint>

// Small helpers to build frames and read their pixels in the imaging tests.

using Bgr = std::array<uint8_t, 3>;

inline FrameRecord MakeFrame(int width, int height, int bitCount = 24)
{
    return FrameRecord(MakeBitmapHeader(width, height, bitCount));
}

inline ImageView ViewOf(FrameRecord& frame)
{
    return *frame.view();
}

inline void SetPixel(const ImageView& view, int y, int x, Bgr colour)
{
    uint8_t* pixel = view.pixel(y, x);
    pixel[0] = colour[0];
    pixel[1] = colour[1];
    pixel[2] = colour[2];
}

inline Bgr PixelAt(const ImageView& view, int y, int x)
{
    const uint8_t* pixel = view.pixel(y, x);
    return {pixel[0], pixel[1], pixel[2]};
}

inline void Fill(const ImageView& view, Bgr colour)
{
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x)
            SetPixel(view, y, x, colour);
}

inline Bgr Grey(uint8_t level)
{
    return {level, level, level};
}
