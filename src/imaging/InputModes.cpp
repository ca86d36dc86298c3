#include "imaging/InputModes.h"

#include "imaging/PixelBlock.h"
#include "imaging/VectorClones.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

constexpr int kLowestOtsuThreshold = 20;
constexpr uint8_t kHistoryStep = 10;

// The grey operations read and write bytes 0-2 of every pixel, so narrower pixels are left alone.
bool HasColourPixels(const ImageView& frame)
{
    return frame.pixels != nullptr && frame.bytesPerPixel >= 3;
}

// A buffer that keeps one byte per pixel at the frame's pixel offsets must reach the last one.
bool CoversFrame(const ImageView& buffer, const ImageView& frame)
{
    return buffer.pixels != nullptr && buffer.byteCount() >= frame.byteCount();
}

void SetGreyPixel(uint8_t* pixel, uint8_t value)
{
    pixel[0] = value;
    pixel[1] = value;
    pixel[2] = value;
}

// Replaces the stored grey of pixels first to count − 1 by the current one and hands each
// absolute change to writeChange(pixel, change).
template <typename WriteChange>
void ForEachGreyChange(const ImageView& previousGrey, const ImageView& frame, std::size_t first,
                       WriteChange writeChange)
{
    const std::size_t step = std::size_t(frame.bytesPerPixel);
    const std::size_t count = frame.pixelCount();
    for (std::size_t i = first; i < count; ++i) {
        uint8_t* pixel = frame.pixels + i * step;
        uint8_t& stored = previousGrey.pixels[i * step];
        const int grey = GreyValue(pixel);
        const int change = std::abs(grey - stored);
        stored = static_cast<uint8_t>(grey);
        writeChange(pixel, change);
    }
}

// Whole blocks of a 3-byte frame; frames of other widths go pixel by pixel.
std::size_t WholeBlocks(const ImageView& frame)
{
    return frame.bytesPerPixel == 3 ? frame.pixelCount() / kBlockPixels : 0;
}

// The grey of each pixel of a block, after storing it over the previous grey and returning the
// absolute change from it; in byte 0 order, as the frame's block gets it back by a spread.
VIZMAR_CLONE_HELPER BlockBytes GreyChangeOfBlock(uint8_t* previousGrey, const PixelBlock& pixels)
{
    const BlockBytes grey = GreyInByte0Order(pixels);
    const PixelBlock previous = LoadPixelBlock(previousGrey);
    const BlockBytes old = ChannelInByte0Order<0>(previous);
    StorePixelBlock(previousGrey, WithByte0FromByte0Order(previous, grey));
    return grey > old ? grey - old : old - grey;
}

VIZMAR_VECTOR_CLONES void GreyBlocks(uint8_t* pixels, std::size_t blocks)
{
    for (std::size_t b = 0; b < blocks; ++b) {
        uint8_t* bytes = pixels + b * kBlockBytes;
        StorePixelBlock(bytes, SpreadFromByte0Order(GreyInByte0Order(LoadPixelBlock(bytes))));
    }
}

// FrameDelta over whole blocks.
VIZMAR_VECTOR_CLONES void DeltaBlocks(uint8_t* previousGrey, uint8_t* pixels, std::size_t blocks)
{
    for (std::size_t b = 0; b < blocks; ++b) {
        uint8_t* bytes = pixels + b * kBlockBytes;
        StorePixelBlock(bytes, SpreadFromByte0Order(
                                   GreyChangeOfBlock(previousGrey + b * kBlockBytes, LoadPixelBlock(bytes))));
    }
}

// FrameBinary over whole blocks, for a table that sets exactly the levels above threshold.
VIZMAR_VECTOR_CLONES void BinaryBlocks(uint8_t* previousGrey, uint8_t* pixels, std::size_t blocks, uint8_t threshold)
{
    for (std::size_t b = 0; b < blocks; ++b) {
        uint8_t* bytes = pixels + b * kBlockBytes;
        const BlockBytes change = GreyChangeOfBlock(previousGrey + b * kBlockBytes, LoadPixelBlock(bytes));
        StorePixelBlock(bytes, SpreadFromByte0Order(reinterpret_cast<BlockBytes>(change > threshold)));
    }
}

// The threshold t, 0 to 255, of a table whose entry g is 1 exactly for g > t; nothing for any
// other table (all zeros, all ones, or not a step), which is looked up entry by entry.
std::optional<uint8_t> StepOf(const std::array<uint8_t, 256>& table)
{
    const auto firstSet = std::find(table.begin(), table.end(), 1);
    if (firstSet == table.begin() || firstSet == table.end())
        return std::nullopt;
    const bool step = std::all_of(table.begin(), firstSet, [](uint8_t entry) { return entry == 0; }) &&
                      std::all_of(firstSet, table.end(), [](uint8_t entry) { return entry == 1; });
    if (!step)
        return std::nullopt;
    return static_cast<uint8_t>(firstSet - table.begin() - 1);
}

// Cumulative class weight and first moment of the extended histogram, indices 0-256.
struct OtsuMoments {
    std::array<double, 257> weight{};
    std::array<double, 257> moment{};

    double Score(int lower, int upper) const
    {
        const double w = weight[upper] - weight[lower];
        const double mean = w == 0.0 ? 0.0 : (moment[upper] - moment[lower]) / w;
        return w * mean * mean;
    }
};

OtsuMoments CumulativeMoments(const std::array<uint32_t, 256>& histogram, uint32_t total)
{
    OtsuMoments moments;
    const double n = total;
    for (int i = 1; i <= 256; ++i) {
        const double share = histogram[i - 1] / n;
        moments.weight[i] = moments.weight[i - 1] + share;
        moments.moment[i] = moments.moment[i - 1] + share * i;
    }
    return moments;
}

}  // namespace

void BinaryThreshold::Set(int32_t newThreshold)
{
    threshold = newThreshold;
    for (int level = 0; level < 256; ++level)
        table[level] = level > newThreshold ? 1 : 0;
}

void ToGray(const ImageView& frame)
{
    if (!HasColourPixels(frame))
        return;
    const std::size_t blocks = WholeBlocks(frame);
    GreyBlocks(frame.pixels, blocks);
    const std::size_t step = std::size_t(frame.bytesPerPixel);
    const std::size_t count = frame.pixelCount();
    for (std::size_t i = blocks * kBlockPixels; i < count; ++i) {
        uint8_t* pixel = frame.pixels + i * step;
        SetGreyPixel(pixel, static_cast<uint8_t>(GreyValue(pixel)));
    }
}

void FrameDelta(const ImageView& previousGrey, const ImageView& frame)
{
    if (!HasColourPixels(frame) || !CoversFrame(previousGrey, frame))
        return;
    const std::size_t blocks = WholeBlocks(frame);
    DeltaBlocks(previousGrey.pixels, frame.pixels, blocks);
    ForEachGreyChange(previousGrey, frame, blocks * kBlockPixels,
                      [](uint8_t* pixel, int change) { SetGreyPixel(pixel, static_cast<uint8_t>(change)); });
}

void FrameBinary(const ImageView& previousGrey, const ImageView& frame, const BinaryThreshold& binary)
{
    if (!HasColourPixels(frame) || !CoversFrame(previousGrey, frame))
        return;
    const std::optional<uint8_t> step = StepOf(binary.table);
    const std::size_t blocks = step ? WholeBlocks(frame) : 0;
    if (step)
        BinaryBlocks(previousGrey.pixels, frame.pixels, blocks, *step);
    ForEachGreyChange(previousGrey, frame, blocks * kBlockPixels, [&binary](uint8_t* pixel, int change) {
        SetGreyPixel(pixel, static_cast<uint8_t>(255 * binary.table[change]));
    });
}

void UpdateOtsuThreshold(int height, int width, const uint8_t* pixels, BinaryThreshold& binary)
{
    std::array<uint32_t, 256> histogram{};
    const std::size_t count = (height > 0 && width > 0 && pixels != nullptr) ? std::size_t(height) * std::size_t(width) : 0;
    for (std::size_t i = 0; i < count; ++i)
        ++histogram[pixels[i]];
    const int threshold = OtsuThreshold(histogram, static_cast<uint32_t>(count));
    binary.Set(std::max(threshold, kLowestOtsuThreshold));
}

int OtsuThreshold(const std::array<uint32_t, 256>& histogram, uint32_t total)
{
    if (total == 0)
        return -1;
    const OtsuMoments moments = CumulativeMoments(histogram, total);
    int bestSplit = 0;
    double bestSpread = 0.0;
    for (int k = 0; k <= 255; ++k) {
        const double spread = moments.Score(0, k) + moments.Score(k, 256);
        if (spread > bestSpread) {
            bestSpread = spread;
            bestSplit = k;
        }
    }
    return bestSplit - 1;
}

void AccumulateHistory(const ImageView& frame, const ImageView& newest, const ImageView& oldest, const ImageView& accumulator)
{
    if (!HasColourPixels(frame) || !CoversFrame(newest, frame) || !CoversFrame(oldest, frame) || !CoversFrame(accumulator, frame))
        return;
    const std::size_t step = std::size_t(frame.bytesPerPixel);
    const std::size_t count = frame.pixelCount();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t offset = i * step;
        uint8_t* sum = accumulator.pixels + offset;
        const uint8_t leaving = oldest.pixels[offset];
        const uint8_t arriving = frame.pixels[offset] != 0 ? kHistoryStep : 0;
        newest.pixels[offset] = arriving;
        for (int b = 0; b < 3; ++b)
            sum[b] = static_cast<uint8_t>(sum[b] - leaving + arriving);
    }
    std::memcpy(frame.pixels, accumulator.pixels, frame.byteCount());
}
