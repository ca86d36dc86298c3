#include "imaging/HsvMask.h"

#include "imaging/PixelBlock.h"
#include "imaging/PixelStep.h"
#include "imaging/VectorClones.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int kColourBytes = 3;
// Pixels tested at a time before their verdicts are applied, small enough for the stack.
constexpr std::size_t kChunkPixels = 1024;

// The pixels both frames hold, so that a target of other dimensions is never written past.
std::size_t SharedPixelCount(const ImageView& source, const ImageView& target)
{
    return std::min(source.pixelCount(), target.pixelCount());
}

// The pass bits for the range, or null when every pixel passes: without a table, and for a
// source without blue, green and red bytes, which cannot be tested.
const uint64_t* PassBitsFor(const ImageView& source, const HsvRange& range)
{
    return source.bytesPerPixel < kColourBytes ? nullptr : HsvPassBits(range);
}

uint32_t ColourIndexOf(const uint8_t* bgr)
{
    return uint32_t(bgr[0]) | uint32_t(bgr[1]) << 8 | uint32_t(bgr[2]) << 16;
}

// The same index from one 4-byte read, which may take in the next pixel's first byte.
uint32_t ColourIndexReadWide(const uint8_t* bgr)
{
    uint32_t fourBytes;
    std::memcpy(&fourBytes, bgr, sizeof fourBytes);
    return fourBytes & 0xFFFFFF;
}

template <typename Step>
VIZMAR_VECTOR_CLONES void TestPixelsIn(const uint8_t* pixels, Step step, std::size_t count, std::size_t wideCount,
                                       const uint64_t* passBits, uint8_t* passes)
{
    // Unrolled, so that the loop's own counting is shared by several lookups.
#pragma GCC unroll 4
    for (std::size_t k = 0; k < wideCount; ++k)
        passes[k] = PassBit(passBits, ColourIndexReadWide(pixels + k * step));
    for (std::size_t k = wideCount; k < count; ++k)
        passes[k] = PassBit(passBits, ColourIndexOf(pixels + k * step));
}

// 1 for each of count source pixels from pixel first on that passes, else 0. Every pixel but
// the frame's very last one has a byte after its colour bytes, so it is read wide.
void TestPixels(const ImageView& source, std::size_t first, std::size_t count, const uint64_t* passBits,
                uint8_t* passes)
{
    const bool endsTheFrame = first + count == source.pixelCount() && source.bytesPerPixel == kColourBytes;
    const std::size_t wideCount = endsTheFrame && count > 0 ? count - 1 : count;
    const uint8_t* pixels = source.pixels + first * std::size_t(source.bytesPerPixel);
    WithPixelStep(source.bytesPerPixel,
                  [&](auto step) { TestPixelsIn(pixels, step, count, wideCount, passBits, passes); });
}

// The number of non-zero flags, at most kChunkPixels at a time so that the count fits in
// 16-bit vector lanes.
VIZMAR_VECTOR_CLONES std::size_t CountFlagged(const uint8_t* flags, std::size_t count)
{
    std::size_t flagged = 0;
    for (std::size_t done = 0; done < count; done += kChunkPixels) {
        uint16_t chunk = 0;
        for (std::size_t i = done; i < std::min(count, done + kChunkPixels); ++i)
            chunk = static_cast<uint16_t>(chunk + (flags[i] != 0 ? 1 : 0));
        flagged += chunk;
    }
    return flagged;
}

// Blackens the colour bytes of the 3-byte pixels whose flag is 0.
VIZMAR_VECTOR_CLONES void KeepFlaggedColourPixels(uint8_t* pixels, const uint8_t* flags, std::size_t count)
{
    std::size_t i = 0;
    for (; i + kBlockPixels <= count; i += kBlockPixels) {
        const auto keep = reinterpret_cast<BlockBytes>(LoadBytes(flags + i) != 0);
        const PixelBlock kept = Spread(keep);
        PixelBlock block = LoadPixelBlock(pixels + i * 3);
        for (int k = 0; k < 3; ++k)
            block.part[k] &= kept.part[k];
        StorePixelBlock(pixels + i * 3, block);
    }
    for (; i < count; ++i)
        if (flags[i] == 0)
            std::fill_n(pixels + i * 3, kColourBytes, 0);
}

// The same for pixels of any other width; a fourth byte is left as it is.
void KeepFlaggedPixels(uint8_t* pixels, int bytesPerPixel, const uint8_t* flags, std::size_t count)
{
    const int colourBytes = std::min(kColourBytes, bytesPerPixel);
    for (std::size_t i = 0; i < count; ++i)
        if (flags[i] == 0)
            std::fill_n(pixels + i * std::size_t(bytesPerPixel), colourBytes, 0);
}

// Blackens count target pixels from pixel first on whose flag is 0, flags[0] being pixel
// first's.
void KeepFlagged(const ImageView& target, std::size_t first, const uint8_t* flags, std::size_t count)
{
    uint8_t* pixels = target.pixels + first * std::size_t(target.bytesPerPixel);
    if (target.bytesPerPixel == kColourBytes)
        KeepFlaggedColourPixels(pixels, flags, count);
    else
        KeepFlaggedPixels(pixels, target.bytesPerPixel, flags, count);
}

void BuildRangeMask(const ImageView& source, const HsvRange& range, std::vector<uint8_t>& mask)
{
    mask.resize(source.pixelCount());
    const uint64_t* passBits = PassBitsFor(source, range);
    if (passBits)
        TestPixels(source, 0, mask.size(), passBits, mask.data());
    else
        std::fill(mask.begin(), mask.end(), 1);
}

}  // namespace

int ApplyHsvMask(const ImageView& source, const ImageView& target, const HsvRange& range)
{
    const std::size_t count = SharedPixelCount(source, target);
    const uint64_t* passBits = PassBitsFor(source, range);
    if (!passBits)
        return int(count);
    std::array<uint8_t, kChunkPixels> passes;
    std::size_t passing = 0;
    for (std::size_t first = 0; first < count; first += kChunkPixels) {
        const std::size_t chunk = std::min(kChunkPixels, count - first);
        TestPixels(source, first, chunk, passBits, passes.data());
        KeepFlagged(target, first, passes.data(), chunk);
        passing += CountFlagged(passes.data(), chunk);
    }
    return int(passing);
}

int MaskWithMorphology(const ImageView& source, const ImageView& target, int firstCount, int secondCount,
                       WorkWindow& window, const HsvRange& range, MaskBuffers& buffers)
{
    std::vector<uint8_t>& mask = buffers.mask;
    std::vector<uint8_t>& readCopy = buffers.readCopy;
    BuildRangeMask(source, range, mask);
    readCopy.resize(mask.size());

    // Each pass starts by copying what it reads into what it writes, so the first pass reads
    // the range mask where it lies and writes the other buffer, and the second reads that back.
    MorphMask(mask.data(), readCopy.data(), source.width, source.height, kGrowMask, window, firstCount);
    // A first pass that changed nothing closes the window, and the second then leaves its
    // buffer alone: the result is the first pass's.
    const std::size_t count = SharedPixelCount(source, target);
    const uint8_t* result = readCopy.data();
    if (window.top != window.bottom) {
        MorphMask(readCopy.data(), mask.data(), source.width, source.height, kShrinkMask, window, secondCount);
        result = mask.data();
    }
    KeepFlagged(target, 0, result, count);
    return int(CountFlagged(result, count));
}
