#include "imaging/Mirror.h"

#include "imaging/PixelBlock.h"
#include "imaging/VectorClones.h"

#include <algorithm>

namespace {

constexpr std::size_t kColourBytes = 3;
// Sixteen 3-byte pixels fill three 16-byte vectors exactly.
constexpr std::size_t kRunPixels = 16;

struct PixelRun {
    Bytes16 part[3];
};

VIZMAR_CLONE_HELPER PixelRun LoadRun(const uint8_t* bytes)
{
    return {{Load16(bytes), Load16(bytes + 16), Load16(bytes + 32)}};
}

VIZMAR_CLONE_HELPER void StoreRun(uint8_t* bytes, const PixelRun& run)
{
    for (int k = 0; k < 3; ++k)
        Store16(bytes + 16 * k, run.part[k]);
}

// Byte i of a reversed run of sixteen pixels is byte c of pixel 15 − p, for i = 3p + c.
constexpr int ReversedByte(int i)
{
    return 3 * (15 - i / 3) + i % 3;
}

// Each part of the reversed run from the parts it draws on, numbered from the first of the
// two shuffled: part 0 draws on parts 1 and 2, part 2 on parts 0 and 1, and part 1 on all
// three, so its one byte from part 0 is put in by a second shuffle.
constexpr int FirstPartFromLastTwo(int j)
{
    return ReversedByte(j) - 16;
}

constexpr int MiddlePartFromLastTwo(int j)
{
    return ReversedByte(16 + j) >= 16 ? ReversedByte(16 + j) - 16 : 0;
}

constexpr int MiddlePartWithItsByteOfPart0(int j)
{
    return ReversedByte(16 + j) >= 16 ? j : 16 + ReversedByte(16 + j);
}

constexpr int LastPartFromFirstTwo(int j)
{
    return ReversedByte(32 + j);
}

VIZMAR_CLONE_HELPER PixelRun Reversed(const PixelRun& run)
{
    const Bytes16 middle = Shuffle<MiddlePartFromLastTwo>(run.part[1], run.part[2]);
    return {{Shuffle<FirstPartFromLastTwo>(run.part[1], run.part[2]),
             Shuffle<MiddlePartWithItsByteOfPart0>(middle, run.part[0]),
             Shuffle<LastPartFromFirstTwo>(run.part[0], run.part[1])}};
}

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
