#include "Mirror.h"

#include <algorithm>

void MirrorFrame(const ImageView& frame)
{
    if (frame.pixels == nullptr || frame.bytesPerPixel <= 0)
        return;
    const std::size_t step = std::size_t(frame.bytesPerPixel);
    for (int y = 0; y < frame.height; ++y) {
        for (int j = 0; j < frame.width / 2; ++j) {
            uint8_t* left = frame.pixel(y, j);
            std::swap_ranges(left, left + step, frame.pixel(y, frame.width - 1 - j));
        }
    }
}
