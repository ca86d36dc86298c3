#include "HsvMask.h"

#include "VectorClones.h"

#include <algorithm>
#include <array>

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

// 1 for each of count source pixels from pixel first on that passes, else 0.
void TestPixels(const ImageView& source, std::size_t first, std::size_t count, const uint64_t* passBits,
                uint8_t* passes)
{
    const std::size_t step = std::size_t(source.bytesPerPixel);
    const uint8_t* pixel = source.pixels + first * step;
    for (std::size_t k = 0; k < count; ++k, pixel += step)
        passes[k] = PassBit(passBits, ColourIndexOf(pixel)) ? 1 : 0;
}

// Blackens the colour bytes of the pixels whose flag is 0 and counts the others; a fourth
// byte is left as it is.
template <int step>
VIZMAR_VECTOR_CLONES std::size_t KeepFlaggedPixels(uint8_t* pixels, const uint8_t* flags, std::size_t count)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t keep = flags[i] != 0 ? 0xFF : 0x00;
        for (int c = 0; c < kColourBytes; ++c)
            pixels[i * step + c] &= keep;
        kept += flags[i] != 0 ? 1 : 0;
    }
    return kept;
}

std::size_t KeepFlaggedPixelsOfAnyWidth(uint8_t* pixels, int bytesPerPixel, const uint8_t* flags, std::size_t count)
{
    const int colourBytes = std::min(kColourBytes, bytesPerPixel);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (flags[i] != 0)
            ++kept;
        else
            std::fill_n(pixels + i * std::size_t(bytesPerPixel), colourBytes, 0);
    }
    return kept;
}

// KeepFlaggedPixels for count target pixels from pixel first on, flags[0] being pixel first's.
std::size_t KeepFlagged(const ImageView& target, std::size_t first, const uint8_t* flags, std::size_t count)
{
    uint8_t* pixels = target.pixels + first * std::size_t(target.bytesPerPixel);
    switch (target.bytesPerPixel) {
    case 3:
        return KeepFlaggedPixels<3>(pixels, flags, count);
    case 4:
        return KeepFlaggedPixels<4>(pixels, flags, count);
    default:
        return KeepFlaggedPixelsOfAnyWidth(pixels, target.bytesPerPixel, flags, count);
    }
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
