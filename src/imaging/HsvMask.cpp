#include "HsvMask.h"

#include "PixelStep.h"
#include "VectorClones.h"

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
    for (std::size_t k = 0; k < wideCount; ++k)
        passes[k] = PassBit(passBits, ColourIndexReadWide(pixels + k * step)) ? 1 : 0;
    for (std::size_t k = wideCount; k < count; ++k)
        passes[k] = PassBit(passBits, ColourIndexOf(pixels + k * step)) ? 1 : 0;
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

// Blackens the colour bytes of the pixels whose flag is 0 and counts the others; a fourth
// byte is written back as it was. At most kChunkPixels at a time, so that the count fits in
// 16-bit vector lanes.
template <typename Step>
VIZMAR_VECTOR_CLONES std::size_t KeepFlaggedChunk(uint8_t* pixels, Step step, const uint8_t* flags, std::size_t count)
{
    uint16_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t keep = flags[i] != 0 ? 0xFF : 0x00;
        for (std::size_t c = 0; c < step; ++c)
            pixels[i * step + c] &= c < std::size_t(kColourBytes) ? keep : 0xFF;
        kept = static_cast<uint16_t>(kept + (flags[i] != 0 ? 1 : 0));
    }
    return kept;
}

// KeepFlaggedChunk for count target pixels from pixel first on, flags[0] being pixel first's.
std::size_t KeepFlagged(const ImageView& target, std::size_t first, const uint8_t* flags, std::size_t count)
{
    return WithPixelStep(target.bytesPerPixel, [&](auto step) {
        std::size_t kept = 0;
        for (std::size_t done = 0; done < count; done += kChunkPixels) {
            uint8_t* pixels = target.pixels + (first + done) * step;
            kept += KeepFlaggedChunk(pixels, step, flags + done, std::min(kChunkPixels, count - done));
        }
        return kept;
    });
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
        passing += KeepFlagged(target, first, passes.data(), chunk);
    }
    return int(passing);
}

int MaskWithMorphology(const ImageView& source, const ImageView& target, int firstCount, int secondCount,
                       WorkWindow& window, const HsvRange& range, MaskBuffers& buffers)
{
    std::vector<uint8_t>& mask = buffers.mask;
    std::vector<uint8_t>& readCopy = buffers.readCopy;
    BuildRangeMask(source, range, mask);

    readCopy.assign(mask.begin(), mask.end());
    MorphMask(readCopy.data(), mask.data(), source.width, source.height, kGrowMask, window, firstCount);
    readCopy.assign(mask.begin(), mask.end());
    MorphMask(readCopy.data(), mask.data(), source.width, source.height, kShrinkMask, window, secondCount);

    return int(KeepFlagged(target, 0, mask.data(), SharedPixelCount(source, target)));
}
