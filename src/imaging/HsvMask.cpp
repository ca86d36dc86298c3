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

// The pass bits' byte that holds each pixel's bit. A pixel's colour index is the top three
// bytes of a 4-byte read that starts one byte before it, so that the loop needs no masking;
// pixel 0 of the frame, which has no byte before it, is read byte by byte. The loop is left
// scalar: its lookups land anywhere in the bits.
template <typename Step>
void FetchPassBytes(const uint8_t* pixels, Step step, std::size_t from, std::size_t count, const uint8_t* passBytes,
                    uint8_t* fetched)
{
#pragma GCC unroll 8
    for (std::size_t k = from; k < count; ++k) {
        uint32_t fromByteBefore;
        std::memcpy(&fromByteBefore, pixels + k * step - 1, sizeof fromByteBefore);
        fetched[k] = passBytes[fromByteBefore >> 11];
    }
}

// Each fetched byte turned into its pixel's bit, bit blue % 8, as 0 or 1: in vector lanes
// for 3-byte pixels.
VIZMAR_VECTOR_CLONES void SelectBitsOfColourPixels(const uint8_t* pixels, std::size_t count, uint8_t* passes)
{
    std::size_t i = 0;
    for (; i + kBlockPixels <= count; i += kBlockPixels) {
        const BlockBytes bit = BitOfEach(Channel<0>(LoadPixelBlock(pixels + i * 3)));
        StoreBytes(passes + i, reinterpret_cast<BlockBytes>((LoadBytes(passes + i) & bit) != 0) & 1);
    }
    for (; i < count; ++i)
        passes[i] = static_cast<uint8_t>((passes[i] >> (pixels[i * 3] & 7)) & 1);
}

void SelectBits(const uint8_t* pixels, std::size_t step, std::size_t count, uint8_t* passes)
{
    if (step == std::size_t(kColourBytes)) {
        SelectBitsOfColourPixels(pixels, count, passes);
        return;
    }
    for (std::size_t i = 0; i < count; ++i)
        passes[i] = static_cast<uint8_t>((passes[i] >> (pixels[i * step] & 7)) & 1);
}

// 1 for each of count source pixels from pixel first on that passes, else 0.
void TestPixels(const ImageView& source, std::size_t first, std::size_t count, const uint64_t* passBits,
                uint8_t* passes)
{
    const auto step = std::size_t(source.bytesPerPixel);
    const uint8_t* pixels = source.pixels + first * step;
    const auto* passBytes = reinterpret_cast<const uint8_t*>(passBits);
    std::size_t from = 0;
    if (first == 0 && count > 0) {
        passes[0] = passBytes[ColourIndexOf(pixels) >> 3];
        from = 1;
    }
    WithPixelStep(source.bytesPerPixel,
                  [&](auto pixelStep) { FetchPassBytes(pixels, pixelStep, from, count, passBytes, passes); });
    SelectBits(pixels, step, count, passes);
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

const uint8_t* RangeMask(const ImageView& source, const HsvRange& range, MaskBuffers& buffers)
{
    std::vector<uint8_t>& mask = buffers.mask;
    mask.resize(source.pixelCount());
    const uint64_t* passBits = PassBitsFor(source, range);
    if (passBits)
        TestPixels(source, 0, mask.size(), passBits, mask.data());
    else
        std::fill(mask.begin(), mask.end(), 1);
    return mask.data();
}

const uint8_t* MorphedRangeMask(const ImageView& source, int firstCount, int secondCount, WorkWindow& window,
                                const HsvRange& range, MaskBuffers& buffers)
{
    std::vector<uint8_t>& mask = buffers.mask;
    std::vector<uint8_t>& readCopy = buffers.readCopy;
    RangeMask(source, range, buffers);
    readCopy.resize(mask.size());

    // Each pass starts by copying what it reads into what it writes, so the first pass reads
    // the range mask where it lies and writes the other buffer, and the second reads that back.
    MorphMask(mask.data(), readCopy.data(), source.width, source.height, kGrowMask, window, firstCount);
    // A first pass that changed nothing closes the window, and the second then leaves its
    // buffer alone: the result is the first pass's.
    if (window.top == window.bottom)
        return readCopy.data();
    MorphMask(readCopy.data(), mask.data(), source.width, source.height, kShrinkMask, window, secondCount);
    return mask.data();
}

int ApplyMask(const ImageView& target, std::size_t first, const uint8_t* flags, std::size_t count)
{
    KeepFlagged(target, first, flags, count);
    return int(CountFlagged(flags, count));
}

int MaskWithMorphology(const ImageView& source, const ImageView& target, int firstCount, int secondCount,
                       WorkWindow& window, const HsvRange& range, MaskBuffers& buffers)
{
    const uint8_t* result = MorphedRangeMask(source, firstCount, secondCount, window, range, buffers);
    return ApplyMask(target, 0, result, SharedPixelCount(source, target));
}
