#include "imaging/Mirror.h"

#include "imaging/PixelRun.h"
#include "imaging/VectorClones.h"

#include <algorithm>

namespace {

constexpr std::size_t kColourBytes = 3;

void SwapPixels(uint8_t* row, std::size_t step, std::size_t a, std::size_t b)
{
    std::swap_ranges(row + a * step, row + a * step + step, row + b * step);
}

// Swaps runs of sixteen pixels from both ends, each reversed, then the pixels left between.
VIZMAR_VECTOR_CLONES void MirrorRowOfColourPixels(uint8_t* row, std::size_t width)
{
    std::size_t left = 0;
    std::size_t right = width;
    for (; right - left >= 2 * kRunPixels; left += kRunPixels) {
        right -= kRunPixels;
        const PixelRun leftRun = LoadRun(row + left * kColourBytes);
        const PixelRun rightRun = LoadRun(row + right * kColourBytes);
        StoreRun(row + left * kColourBytes, Reversed(rightRun));
        StoreRun(row + right * kColourBytes, Reversed(leftRun));
    }
    for (; left + 1 < right; ++left, --right)
        SwapPixels(row, kColourBytes, left, right - 1);
}

void MirrorRowOfAnyWidth(uint8_t* row, std::size_t step, std::size_t width)
{
    for (std::size_t j = 0; j < width / 2; ++j)
        SwapPixels(row, step, j, width - 1 - j);
}

}  // namespace

void MirrorFrame(const ImageView& frame)
{
    if (frame.pixels == nullptr || frame.bytesPerPixel <= 0)
        return;
    for (int y = 0; y < frame.height; ++y) {
        if (frame.bytesPerPixel == int(kColourBytes))
            MirrorRowOfColourPixels(frame.row(y), std::size_t(frame.width));
        else
            MirrorRowOfAnyWidth(frame.row(y), std::size_t(frame.bytesPerPixel), std::size_t(frame.width));
    }
}
