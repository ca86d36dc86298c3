#include "imaging/MaskedOutput.h"

#include "imaging/HsvMask.h"
#include "imaging/Mirror.h"
#include "imaging/PixelRun.h"
#include "imaging/VectorClones.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kColourBytes = 3;

// Bands of about this many pixel bytes stay in the first-level cache with their flags.
constexpr std::size_t kBandBytes = 24 * 1024;

int RowsPerBand(const ImageView& frame)
{
    return int(std::max<std::size_t>(1, kBandBytes / std::max<std::size_t>(1, frame.rowBytes())));
}

// The 32 bits of a row's bits from pixel x on; the word after x's is always there to read.
uint32_t ThirtyTwoBits(const uint64_t* bits, int x)
{
    const int shift = x % kMaskWordBits;
    const uint64_t next = (bits[x / kMaskWordBits + 1] << 1) << (kMaskWordBits - 1 - shift);
    return static_cast<uint32_t>((bits[x / kMaskWordBits] >> shift) | next);
}

void KeepPixel(const uint8_t* from, uint8_t* to, bool kept)
{
    for (int c = 0; c < kColourBytes; ++c)
        to[c] = kept ? from[c] : 0;
}

// The outputs of rows of 3-byte pixels, each row in one pass: blocks of 32 pixels are copied
// into the unprocessed copy, masked and, mirrored, stored from both ends into the frame and
// the last output.
struct ColourRows {
    uint8_t* frame;
    uint8_t* unprocessed;
    uint8_t* lastOutput;
    const uint64_t* bits;
};

VIZMAR_CLONE_HELPER PixelBlock LoadAndCopyBlock(const ColourRows& row, int x)
{
    const uint8_t* from = row.frame + x * kColourBytes;
    uint8_t* to = row.unprocessed + x * kColourBytes;
    const BlockBytes low = LoadBytes(from);
    const BlockBytes middle = LoadBytes(from + kBlockPixels);
    const BlockBytes high = LoadBytes(from + 2 * kBlockPixels);
    StoreBytes(to, low);
    StoreBytes(to + kBlockPixels, middle);
    StoreBytes(to + 2 * kBlockPixels, high);
    return BlockOfBytes(low, middle, high);
}

VIZMAR_CLONE_HELPER void FinishBlock(const ColourRows& row, int from, PixelBlock block, int to, bool mirror)
{
    const PixelBlock kept = Spread(FlagsOfBits(ThirtyTwoBits(row.bits, from)));
    for (int k = 0; k < 3; ++k)
        block.part[k] &= kept.part[k];
    if (mirror)
        block = Reversed(block);
    StorePixelBlock(row.frame + to * kColourBytes, block);
    StorePixelBlock(row.lastOutput + to * kColourBytes, block);
}

// The pixels from left to right − 1 one at a time, in pairs from both ends.
void FinishPixels(const ColourRows& row, int left, int right, bool mirror)
{
    for (int p = left, q = right - 1; p <= q; ++p, --q) {
        uint8_t pixelP[kColourBytes];
        uint8_t pixelQ[kColourBytes];
        std::copy_n(row.frame + p * kColourBytes, kColourBytes, pixelP);
        std::copy_n(row.frame + q * kColourBytes, kColourBytes, pixelQ);
        std::copy_n(pixelP, kColourBytes, row.unprocessed + p * kColourBytes);
        std::copy_n(pixelQ, kColourBytes, row.unprocessed + q * kColourBytes);
        KeepPixel(pixelQ, row.frame + (mirror ? p : q) * kColourBytes, BitAt(row.bits, q));
        KeepPixel(pixelP, row.frame + (mirror ? q : p) * kColourBytes, BitAt(row.bits, p));
        std::copy_n(row.frame + p * kColourBytes, kColourBytes, row.lastOutput + p * kColourBytes);
        std::copy_n(row.frame + q * kColourBytes, kColourBytes, row.lastOutput + q * kColourBytes);
    }
}

VIZMAR_VECTOR_CLONES void FinishColourRows(ColourRows rows, int width, int height, std::size_t bitStride, bool mirror)
{
    constexpr int kBlock = int(kBlockPixels);
    const std::size_t rowBytes = std::size_t(width) * kColourBytes;
    for (int y = 0; y < height; ++y) {
        int left = 0;
        int right = width;
        if (mirror) {
            for (; right - left >= 2 * kBlock; left += kBlock) {
                right -= kBlock;
                const PixelBlock leftBlock = LoadAndCopyBlock(rows, left);
                const PixelBlock rightBlock = LoadAndCopyBlock(rows, right);
                FinishBlock(rows, left, leftBlock, right, true);
                FinishBlock(rows, right, rightBlock, left, true);
            }
        } else {
            for (; right - left >= kBlock; left += kBlock)
                FinishBlock(rows, left, LoadAndCopyBlock(rows, left), left, false);
        }
        FinishPixels(rows, left, right, mirror);
        rows.frame += rowBytes;
        rows.unprocessed += rowBytes;
        rows.lastOutput += rowBytes;
        rows.bits += bitStride;
    }
}

// Blackens the band's pixels whose bit is 0, pixel by pixel, its row 0 having row firstRow of
// the bits; a fourth byte is left as it is. Returns how many of those rows' bits are set.
int KeepFlaggedPixels(const ImageView& band, const MaskBits& bits, int firstRow)
{
    int kept = 0;
    for (int y = 0; y < band.height; ++y)
        for (int x = 0; x < band.width; ++x) {
            const bool keep = bits.at(firstRow + y, x);
            kept += keep ? 1 : 0;
            if (!keep)
                std::fill_n(band.pixel(y, x), std::min(kColourBytes, band.bytesPerPixel), 0);
        }
    return kept;
}

// Pixels of other widths: band by band, stage after stage.
int FinishBands(const ImageView& frame, const MaskBits& flags, uint8_t* unprocessedPixels, uint8_t* lastOutputPixels,
                bool mirror)
{
    const int bandRows = RowsPerBand(frame);
    int kept = 0;
    for (int top = 0; top < frame.height; top += bandRows) {
        const ImageView band{frame.width, std::min(bandRows, frame.height - top), frame.bytesPerPixel, frame.row(top)};
        const std::size_t offset = std::size_t(top) * frame.rowBytes();
        std::memcpy(unprocessedPixels + offset, band.pixels, band.byteCount());
        kept += KeepFlaggedPixels(band, flags, top);
        if (mirror)
            MirrorFrame(band);
        std::memcpy(lastOutputPixels + offset, band.pixels, band.byteCount());
    }
    return kept;
}

int CountBits(const MaskBits& flags)
{
    int count = 0;
    for (int y = 0; y < flags.height; ++y)
        for (int word = 0; word * kMaskWordBits < flags.width; ++word)
            count += __builtin_popcountll(flags.row(y)[word]);
    return count;
}

}  // namespace

int FinishMaskedFrame(const ImageView& frame, const MaskBits& flags, uint8_t* unprocessedPixels,
                      uint8_t* lastOutputPixels, bool mirror)
{
    if (frame.bytesPerPixel != kColourBytes)
        return FinishBands(frame, flags, unprocessedPixels, lastOutputPixels, mirror);
    FinishColourRows({frame.pixels, unprocessedPixels, lastOutputPixels, flags.row(0)}, frame.width, frame.height,
                     flags.stride, mirror);
    return CountBits(flags);
}
