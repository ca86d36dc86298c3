#include "imaging/HsvMask.h"

#include "imaging/PixelBlock.h"
#include "imaging/PixelStep.h"
#include "imaging/VectorClones.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kColourBytes = 3;
// Pixels tested at a time before their verdicts are applied, small enough for the stack.
constexpr std::size_t kChunkPixels = 1024;
// Pixels of whole rows tested at a time before their verdicts become mask bits.
constexpr std::size_t kBandPixels = 4096;

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

// The pass bits' byte for each of count source pixels from pixel first on.
void FetchPasses(const ImageView& source, std::size_t first, std::size_t count, const uint64_t* passBits,
                 uint8_t* fetched)
{
    const uint8_t* pixels = source.pixels + first * std::size_t(source.bytesPerPixel);
    const auto* passBytes = reinterpret_cast<const uint8_t*>(passBits);
    std::size_t from = 0;
    if (first == 0 && count > 0) {
        fetched[0] = passBytes[ColourIndexOf(pixels) >> 3];
        from = 1;
    }
    WithPixelStep(source.bytesPerPixel,
                  [&](auto pixelStep) { FetchPassBytes(pixels, pixelStep, from, count, passBytes, fetched); });
}

// 1 for each of count source pixels from pixel first on that passes, else 0.
void TestPixels(const ImageView& source, std::size_t first, std::size_t count, const uint64_t* passBits,
                uint8_t* passes)
{
    FetchPasses(source, first, count, passBits, passes);
    SelectBits(source.pixels + first * std::size_t(source.bytesPerPixel), std::size_t(source.bytesPerPixel), count,
               passes);
}

// 32 flags of 0xFF or 0 as the bits of a word, flag i into bit i: the top bit of each byte
// gathered by the byte mask instruction every x86-64 processor has, 16 at a time.
VIZMAR_CLONE_HELPER uint32_t BitsOfFlags(BlockBytes flags)
{
    using pixel_block::Lane;
    const auto lane0 = Lane<0>(flags, std::make_index_sequence<16>{});
    const auto lane1 = Lane<1>(flags, std::make_index_sequence<16>{});
#if defined(__SSE2__)
    return uint32_t(_mm_movemask_epi8(reinterpret_cast<__m128i>(lane0))) |
           uint32_t(_mm_movemask_epi8(reinterpret_cast<__m128i>(lane1))) << 16;
#else
    uint32_t bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= uint32_t(lane0[i] >> 7) << i | uint32_t(lane1[i] >> 7) << (16 + i);
    return bits;
#endif
}

// SelectBitsOfColourPixels into mask bits, row by row: pixel x's verdict into bit x of its
// row. The fetched bytes of the rows follow one another, as the rows' pixels do.
VIZMAR_VECTOR_CLONES void SelectBitsOfColourRows(const uint8_t* pixels, int width, int rows, const uint8_t* fetched,
                                                 uint64_t* bits, std::size_t stride)
{
    static_assert(kMaskWordBits % kBlockPixels == 0);
    for (int y = 0; y < rows; ++y, pixels += std::size_t(width) * 3, fetched += width, bits += stride) {
        int x = 0;
        for (; x + int(kBlockPixels) <= width; x += int(kBlockPixels)) {
            const BlockBytes bit = BitOfEach(Channel<0>(LoadPixelBlock(pixels + std::size_t(x) * 3)));
            const uint64_t blockBits = BitsOfFlags(reinterpret_cast<BlockBytes>((LoadBytes(fetched + x) & bit) != 0));
            uint64_t& word = bits[x / kMaskWordBits];
            word = x % kMaskWordBits == 0 ? blockBits : word | blockBits << kBlockPixels;
        }
        for (; x < width; ++x) {
            const uint64_t pass = (fetched[x] >> (pixels[std::size_t(x) * 3] & 7)) & 1;
            uint64_t& word = bits[x / kMaskWordBits];
            word = x % kMaskWordBits == 0 ? pass : word | pass << (x % kMaskWordBits);
        }
    }
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

// The range mask in bytes, grown and shrunk, for MaskWithMorphology.
const uint8_t* MorphedRangeMask(const ImageView& source, int firstCount, int secondCount, WorkWindow& window,
                                const HsvRange& range, MaskBuffers& buffers)
{
    std::vector<uint8_t>& mask = buffers.mask;
    std::vector<uint8_t>& readCopy = buffers.readCopy;
    mask.resize(source.pixelCount());
    const uint64_t* passBits = PassBitsFor(source, range);
    if (passBits)
        TestPixels(source, 0, mask.size(), passBits, mask.data());
    else
        std::fill(mask.begin(), mask.end(), 1);
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

const MaskBits& RangeMaskBits(const ImageView& source, const HsvRange& range, MaskBuffers& buffers)
{
    MaskBits& bits = buffers.maskBits;
    std::vector<uint8_t>& flags = buffers.bandFlags;
    bits.resize(source.width, source.height);
    const auto width = std::size_t(bits.width);
    const int bandRows = int(std::max<std::size_t>(1, kBandPixels / std::max<std::size_t>(1, width)));
    flags.resize(width * std::size_t(std::min(bandRows, bits.height)));
    const uint64_t* passBits = PassBitsFor(source, range);
    if (!passBits)
        std::fill(flags.begin(), flags.end(), 1);
    for (int top = 0; top < bits.height; top += bandRows) {
        const int rows = std::min(bandRows, bits.height - top);
        const std::size_t first = std::size_t(top) * width;
        const std::size_t count = std::size_t(rows) * width;
        if (passBits && source.bytesPerPixel == kColourBytes) {
            FetchPasses(source, first, count, passBits, flags.data());
            SelectBitsOfColourRows(source.row(top), bits.width, rows, flags.data(), bits.row(top), bits.stride);
            continue;
        }
        if (passBits)
            TestPixels(source, first, count, passBits, flags.data());
        for (int y = 0; y < rows; ++y)
            PackFlagRow(flags.data() + std::size_t(y) * width, bits.width, bits.row(top + y));
    }
    return bits;
}

const MaskBits& MorphedRangeMaskBits(const ImageView& source, int firstCount, int secondCount, WorkWindow& window,
                                     const HsvRange& range, MaskBuffers& buffers)
{
    RangeMaskBits(source, range, buffers);
    // A window without rows leaves the range mask as it is.
    if (window.top == window.bottom)
        return buffers.maskBits;
    // As with bytes: the first pass writes the other buffer, and a second, when the first left
    // a window, writes back into the first.
    MorphMaskBits(buffers.maskBits, buffers.readCopyBits, kGrowMask, window, firstCount, buffers.rowScratch);
    if (window.top == window.bottom)
        return buffers.readCopyBits;
    MorphMaskBits(buffers.readCopyBits, buffers.maskBits, kShrinkMask, window, secondCount, buffers.rowScratch);
    return buffers.maskBits;
}

int MaskWithMorphology(const ImageView& source, const ImageView& target, int firstCount, int secondCount,
                       WorkWindow& window, const HsvRange& range, MaskBuffers& buffers)
{
    const uint8_t* result = MorphedRangeMask(source, firstCount, secondCount, window, range, buffers);
    const std::size_t count = SharedPixelCount(source, target);
    KeepFlagged(target, 0, result, count);
    return int(CountFlagged(result, count));
}
