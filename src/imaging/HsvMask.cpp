#include "HsvMask.h"

#include <algorithm>

namespace {

constexpr int kColourBytes = 3;

// A source pixel without blue, green and red bytes cannot be tested; like a pixel tested
// without a table, it passes.
bool SourcePasses(const ImageView& source, std::size_t i, const HsvRange& range)
{
    if (source.bytesPerPixel < kColourBytes)
        return true;
    const uint8_t* bgr = source.pixels + i * std::size_t(source.bytesPerPixel);
    return InHsvRange(bgr[0], bgr[1], bgr[2], range) != 0;
}

// Blackens the colour bytes; a fourth byte is left as it is.
void Blacken(const ImageView& target, std::size_t i)
{
    std::fill_n(target.pixels + i * std::size_t(target.bytesPerPixel), std::min(kColourBytes, target.bytesPerPixel), 0);
}

// The pixels both frames hold, so that a target of other dimensions is never written past.
std::size_t SharedPixelCount(const ImageView& source, const ImageView& target)
{
    return std::min(source.pixelCount(), target.pixelCount());
}

void BuildRangeMask(const ImageView& source, const HsvRange& range, std::vector<uint8_t>& mask)
{
    mask.resize(source.pixelCount());
    for (std::size_t i = 0; i < mask.size(); ++i)
        mask[i] = SourcePasses(source, i, range) ? 1 : 0;
}

}  // namespace

int ApplyHsvMask(const ImageView& source, const ImageView& target, const HsvRange& range)
{
    const std::size_t count = SharedPixelCount(source, target);
    std::size_t passing = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (SourcePasses(source, i, range))
            ++passing;
        else
            Blacken(target, i);
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

    const std::size_t count = SharedPixelCount(source, target);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (mask[i] == 0)
            Blacken(target, i);
        else
            ++kept;
    }
    return int(kept);
}
