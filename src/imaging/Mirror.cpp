#include "Mirror.h"

#include "PixelBlock.h"
#include "VectorClones.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kColourBytes = 3;
// Sixteen 3-byte pixels fill three 16-byte vectors exactly.
constexpr std::size_t kSwapBlockPixels = 16;

void ReverseBytes(uint8_t* bytes, std::size_t count)
{
    for (std::size_t k = 0; k < count / 2; ++k)
        std::swap(bytes[k], bytes[count - 1 - k]);
}

void SwapFirstAndLastByte(uint8_t* pixel)
{
    std::swap(pixel[0], pixel[2]);
}

// Swaps bytes 0 and 2 of sixteen 3-byte pixels: each output vector takes its bytes from the
// input vectors it overlaps (numbered on across the two shuffled vectors).
VIZMAR_BLOCK_HELPER void SwapFirstAndLastBytesOfBlock(uint8_t* block)
{
    Bytes16 first;
    Bytes16 middle;
    Bytes16 last;
    std::memcpy(&first, block, 16);
    std::memcpy(&middle, block + 16, 16);
    std::memcpy(&last, block + 32, 16);
    const Bytes16 newFirst =
        __builtin_shufflevector(first, middle, 2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 17);
    const Bytes16 middleWithoutByte30 =
        __builtin_shufflevector(first, middle, 16, 15, 20, 19, 18, 23, 22, 21, 26, 25, 24, 29, 28, 27, 0, 31);
    const Bytes16 newMiddle = __builtin_shufflevector(middleWithoutByte30, last, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
                                                      12, 13, 16, 15);
    const Bytes16 newLast =
        __builtin_shufflevector(middle, last, 14, 19, 18, 17, 22, 21, 20, 25, 24, 23, 28, 27, 26, 31, 30, 29);
    std::memcpy(block, &newFirst, 16);
    std::memcpy(block + 16, &newMiddle, 16);
    std::memcpy(block + 32, &newLast, 16);
}

// Reversing a row's bytes puts its pixels in mirrored order with their bytes reversed too;
// swapping each pixel's first and last byte back gives the mirrored row.
VIZMAR_VECTOR_CLONES void MirrorRowOfColourPixels(uint8_t* row, std::size_t width)
{
    ReverseBytes(row, width * kColourBytes);
    std::size_t x = 0;
    for (; x + kSwapBlockPixels <= width; x += kSwapBlockPixels)
        SwapFirstAndLastBytesOfBlock(row + x * kColourBytes);
    for (; x < width; ++x)
        SwapFirstAndLastByte(row + x * kColourBytes);
}

void MirrorRowOfAnyWidth(const ImageView& frame, int y)
{
    const std::size_t step = std::size_t(frame.bytesPerPixel);
    for (int j = 0; j < frame.width / 2; ++j) {
        uint8_t* left = frame.pixel(y, j);
        std::swap_ranges(left, left + step, frame.pixel(y, frame.width - 1 - j));
    }
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
            MirrorRowOfAnyWidth(frame, y);
    }
}
