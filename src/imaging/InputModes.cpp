#include "InputModes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

// Replaces the stored grey of every pixel by the current one and hands each absolute change
// to writeChange(pixel, change).
template <typename WriteChange>
void ForEachGreyChange(const ImageView& previousGrey, const ImageView& frame, WriteChange writeChange)
{
    const std::size_t step = std::size_t(frame.bytesPerPixel);
    const std::size_t count = frame.pixelCount();
    for (std::size_t i = 0; i < count; ++i) {
        uint8_t* pixel = frame.pixels + i * step;
        uint8_t& stored = previousGrey.pixels[i * step];
        const int grey = GreyValue(pixel);
        const int change = std::abs(grey - stored);
        stored = static_cast<uint8_t>(grey);
        writeChange(pixel, change);
    }
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
    const std::size_t step = std::size_t(frame.bytesPerPixel);
    const std::size_t count = frame.pixelCount();
    for (std::size_t i = 0; i < count; ++i) {
        uint8_t* pixel = frame.pixels + i * step;
        SetGreyPixel(pixel, static_cast<uint8_t>(GreyValue(pixel)));
    }
}

long long FrameDelta(const ImageView& previousGrey, const ImageView& frame)
{
    if (!HasColourPixels(frame) || !CoversFrame(previousGrey, frame))
        return 0;
    long long sum = 0;
    ForEachGreyChange(previousGrey, frame, [&sum](uint8_t* pixel, int change) {
        SetGreyPixel(pixel, static_cast<uint8_t>(change));
        sum += change;
    });
    return sum;
}

int FrameBinary(const ImageView& previousGrey, const ImageView& frame, const BinaryThreshold& binary)
{
    if (!HasColourPixels(frame) || !CoversFrame(previousGrey, frame))
        return 0;
    int setCount = 0;
    ForEachGreyChange(previousGrey, frame, [&](uint8_t* pixel, int change) {
        const uint8_t set = binary.table[change];
        SetGreyPixel(pixel, static_cast<uint8_t>(255 * set));
        setCount += set;
    });
    return setCount;
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
