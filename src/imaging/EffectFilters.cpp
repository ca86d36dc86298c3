#include "imaging/EffectFilters.h"

#include "imaging/InputModes.h"
#include "imaging/PixelBlock.h"
#include "imaging/VectorClones.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

struct Kernel {
    std::array<int, 9> weights;
    int divisor;
};

constexpr std::array<Kernel, 4> kKernels{{
    {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 9},
    {{0, -1, 0, -1, 4, -1, 0, -1, 0}, 1},
    {{-1, 0, 1, -2, 0, 2, -1, 0, 1}, 1},
    {{-1, -1, -1, 0, 0, 0, 1, 1, 1}, 1},
}};

bool CanFilter(const ImageView& frame, int kernel)
{
    return frame.pixels != nullptr && frame.bytesPerPixel >= 3 && kernel >= 0 && kernel < int(kKernels.size());
}

bool HasInterior(const ImageView& frame)
{
    return frame.width >= 3 && frame.height >= 3;
}

// The filter reads the grey levels from a plane of one byte per pixel, a copy of the frame's
// levels, so that it can write each finished row straight back into the frame. After the
// plane, the scratch memory holds one row of filtered levels.
struct Planes {
    uint8_t* levels;
    uint8_t* filtered;
};

Planes PreparePlanes(const ImageView& frame, std::vector<uint8_t>& scratch)
{
    scratch.resize(frame.pixelCount() + std::size_t(frame.width));
    return {scratch.data(), scratch.data() + frame.pixelCount()};
}

VIZMAR_VECTOR_CLONES void CopyLevelsOfColourPixels(const uint8_t* pixels, std::size_t count, uint8_t* levels)
{
    std::size_t i = 0;
    for (; i + kBlockPixels <= count; i += kBlockPixels)
        StoreBytes(levels + i, Channel<0>(LoadPixelBlock(pixels + i * 3)));
    for (; i < count; ++i)
        levels[i] = pixels[i * 3];
}

VIZMAR_VECTOR_CLONES void CopyGreysOfColourPixels(const uint8_t* pixels, std::size_t count, uint8_t* levels)
{
    std::size_t i = 0;
    for (; i + kBlockPixels <= count; i += kBlockPixels)
        StoreBytes(levels + i, GreyOf(LoadPixelBlock(pixels + i * 3)));
    for (; i < count; ++i)
        levels[i] = static_cast<uint8_t>(GreyValue(pixels + i * 3));
}

// Byte 0 of every pixel.
void CopyLevels(const ImageView& frame, uint8_t* levels)
{
    if (frame.bytesPerPixel == 3) {
        CopyLevelsOfColourPixels(frame.pixels, frame.pixelCount(), levels);
        return;
    }
    for (std::size_t i = 0; i < frame.pixelCount(); ++i)
        levels[i] = frame.pixels[i * std::size_t(frame.bytesPerPixel)];
}

// The grey value of every pixel.
void CopyGreys(const ImageView& frame, uint8_t* levels)
{
    if (frame.bytesPerPixel == 3) {
        CopyGreysOfColourPixels(frame.pixels, frame.pixelCount(), levels);
        return;
    }
    for (std::size_t i = 0; i < frame.pixelCount(); ++i)
        levels[i] = static_cast<uint8_t>(GreyValue(frame.pixels + i * std::size_t(frame.bytesPerPixel)));
}

// |sum| modulo 256 of the kernel over the 3 × 3 window centred on each interior column of a
// row, the sum divided by the divisor first (truncating; only the mean has one, and its sums
// are never negative). In 16-bit lanes: sums lie within ±2295.
template <int kernel>
VIZMAR_VECTOR_CLONES void FilterLevels(const uint8_t* above, const uint8_t* here, const uint8_t* below,
                                       std::size_t width, uint8_t* filtered)
{
    constexpr Kernel k = kKernels[kernel];
    for (std::size_t x = 1; x + 1 < width; ++x) {
        const uint8_t* rows[3] = {above, here, below};
        int16_t sum = 0;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                if (k.weights[r * 3 + c] != 0)
                    sum = static_cast<int16_t>(sum + k.weights[r * 3 + c] * rows[r][x - 1 + c]);
        if constexpr (k.divisor != 1)
            sum = static_cast<int16_t>(uint16_t(sum) / k.divisor);
        filtered[x] = static_cast<uint8_t>(sum < 0 ? -sum : sum);
    }
}

void FilterRow(int kernel, const uint8_t* above, const uint8_t* here, const uint8_t* below, std::size_t width,
               uint8_t* filtered)
{
    switch (kernel) {
    case kGaussian:
        return FilterLevels<kGaussian>(above, here, below, width, filtered);
    case kLaplacian:
        return FilterLevels<kLaplacian>(above, here, below, width, filtered);
    case kSobel:
        return FilterLevels<kSobel>(above, here, below, width, filtered);
    default:
        return FilterLevels<kPrewitt>(above, here, below, width, filtered);
    }
}

VIZMAR_VECTOR_CLONES void WriteLevelsToColourPixels(const uint8_t* levels, std::size_t count, uint8_t* pixels)
{
    std::size_t i = 0;
    for (; i + kBlockPixels <= count; i += kBlockPixels)
        StorePixelBlock(pixels + i * 3, Spread(LoadBytes(levels + i)));
    for (; i < count; ++i)
        std::fill_n(pixels + i * 3, 3, levels[i]);
}

// Each pixel of the row gets its level in bytes 0, 1 and 2 and 0 in any further byte.
void WriteLevels(const ImageView& frame, int y, const uint8_t* levels)
{
    uint8_t* row = frame.row(y);
    if (frame.bytesPerPixel == 3) {
        WriteLevelsToColourPixels(levels, std::size_t(frame.width), row);
        return;
    }
    const std::size_t step = std::size_t(frame.bytesPerPixel);
    for (std::size_t x = 0; x < std::size_t(frame.width); ++x) {
        std::fill_n(row + x * step, 3, levels[x]);
        std::fill_n(row + x * step + 3, step - 3, 0);
    }
}

// Filters the levels into the frame; the border pixels become black.
void FilterInto(const ImageView& frame, int kernel, Planes planes)
{
    const std::size_t width = std::size_t(frame.width);
    std::fill_n(frame.row(0), frame.rowBytes(), 0);
    planes.filtered[0] = 0;
    planes.filtered[width - 1] = 0;
    for (int y = 1; y < frame.height - 1; ++y) {
        const uint8_t* here = planes.levels + std::size_t(y) * width;
        FilterRow(kernel, here - width, here, here + width, width, planes.filtered);
        WriteLevels(frame, y, planes.filtered);
    }
    std::fill_n(frame.row(frame.height - 1), frame.rowBytes(), 0);
}

// Loads one level per pixel into the plane, then filters it into the frame.
void FilterFrame(const ImageView& frame, int kernel, std::vector<uint8_t>& temp,
                 void (*loadLevels)(const ImageView&, uint8_t*))
{
    if (!CanFilter(frame, kernel))
        return;
    if (!HasInterior(frame)) {
        std::fill_n(frame.pixels, frame.byteCount(), 0);
        return;
    }
    const Planes planes = PreparePlanes(frame, temp);
    loadLevels(frame, planes.levels);
    FilterInto(frame, kernel, planes);
}

}  // namespace

void Convolve(const ImageView& frame, int kernel, std::vector<uint8_t>& temp)
{
    FilterFrame(frame, kernel, temp, CopyLevels);
}

void GrayConvolve(const ImageView& frame, int kernel, std::vector<uint8_t>& temp)
{
    FilterFrame(frame, kernel, temp, CopyGreys);
}
