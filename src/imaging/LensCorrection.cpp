#include "imaging/LensCorrection.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The width of the frames the cameras deliver; the remap's scale, whatever the frame's width.
constexpr long long kLensScale = 320;

constexpr uint8_t kWhite[3] = {255, 255, 255};

// centre + kLensScale × delta / trunc(centre + spread + 0.5), the divisions truncating.
long long RemapCoordinate(long long centre, long long delta, double spread)
{
    const auto divisor = static_cast<long long>(std::trunc(double(centre) + spread + 0.5));
    // The divisor is 0 only for the centre pixel of a frame one pixel wide or high with
    // k = 0; the centre stays where it is.
    if (divisor == 0)
        return centre;
    return centre + kLensScale * delta / divisor;
}

// Sends every source pixel, in row-major order, to where the remap puts it, so that where
// several land on one destination the last one stays; destinations outside the frame drop
// their pixel.
void BuildMap(int width, int height, int32_t k, LensMap& map)
{
    const long long pixelCount = static_cast<long long>(width) * height;
    map.sources.assign(std::size_t(pixelCount), LensMap::kUnreachedPixel);
    const long long cx = width / 2;
    const long long cy = height / 2;
    const double kSquared = double(k) * double(k);
    for (long long y = 0; y < height; ++y) {
        const long long dy = y - cy;
        for (long long x = 0; x < width; ++x) {
            const long long dx = x - cx;
            const double r = std::sqrt(double(dx * dx + dy * dy));
            const double s = std::sqrt(r * r + kSquared);
            const long long target = RemapCoordinate(cy, dy, s) * width + RemapCoordinate(cx, dx, s);
            if (target >= 0 && target < pixelCount)
                map.sources[std::size_t(target)] = static_cast<uint32_t>(y * width + x);
        }
    }
    map.width = width;
    map.height = height;
    map.k = k;
}

// Bytes 0-2 of each destination pixel from its source pixel, or white.
void GatherColourPixels(const uint8_t* pixels, const uint32_t* sources, std::size_t count, uint8_t* out)
{
    for (std::size_t i = 0; i < count; ++i) {
        const uint32_t source = sources[i];
        const uint8_t* from = source == LensMap::kUnreachedPixel ? kWhite : pixels + std::size_t(source) * 3;
        std::memcpy(out + 3 * i, from, 3);
    }
}

// The same for pixels of any other width, whose bytes after the third turn white.
void GatherWidePixels(const uint8_t* pixels, std::size_t step, const uint32_t* sources, std::size_t count,
                      uint8_t* out)
{
    std::fill_n(out, count * step, 255);
    for (std::size_t i = 0; i < count; ++i)
        if (sources[i] != LensMap::kUnreachedPixel)
            std::memcpy(out + i * step, pixels + std::size_t(sources[i]) * step, 3);
}

}  // namespace

void CorrectLens(const ImageView& frame, int32_t k, LensMap& map, std::vector<uint8_t>& output)
{
    if (frame.pixels == nullptr || frame.bytesPerPixel < 3 || frame.pixelCount() >= LensMap::kUnreachedPixel)
        return;
    if (!map.Serves(frame.width, frame.height, k))
        BuildMap(frame.width, frame.height, k, map);
    output.resize(frame.byteCount());
    if (frame.bytesPerPixel == 3)
        GatherColourPixels(frame.pixels, map.sources.data(), frame.pixelCount(), output.data());
    else
        GatherWidePixels(frame.pixels, std::size_t(frame.bytesPerPixel), map.sources.data(), frame.pixelCount(),
                         output.data());
    std::copy(output.begin(), output.end(), frame.pixels);
}

void CorrectLens(const ImageView& frame, int32_t k, std::vector<uint8_t>& output)
{
    LensMap map;
    CorrectLens(frame, k, map, output);
}
