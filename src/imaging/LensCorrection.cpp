#include "imaging/LensCorrection.h"

#include <algorithm>
#include <cmath>

namespace {

// The width of the frames the cameras deliver; the remap's scale, whatever the frame's width.
constexpr long long kLensScale = 320;

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

}  // namespace

void CorrectLens(const ImageView& frame, int32_t k, std::vector<uint8_t>& output)
{
    if (frame.pixels == nullptr || frame.bytesPerPixel < 3)
        return;
    const std::size_t total = frame.byteCount();
    output.assign(total, 255);
    const long long width = frame.width;
    const long long cx = frame.width / 2;
    const long long cy = frame.height / 2;
    const double kSquared = double(k) * double(k);
    for (int y = 0; y < frame.height; ++y) {
        const long long dy = y - cy;
        for (int x = 0; x < frame.width; ++x) {
            const long long dx = x - cx;
            const double r = std::sqrt(double(dx * dx + dy * dy));
            const double s = std::sqrt(r * r + kSquared);
            const long long targetY = RemapCoordinate(cy, dy, s);
            const long long targetX = RemapCoordinate(cx, dx, s);
            const long long offset = (targetY * width + targetX) * frame.bytesPerPixel;
            // Drops pixels whose target lies outside the frame; all three bytes must fit.
            if (offset < 0 || std::size_t(offset) + 3 > total)
                continue;
            const uint8_t* source = frame.pixel(y, x);
            std::copy(source, source + 3, output.begin() + offset);
        }
    }
    std::copy(output.begin(), output.end(), frame.pixels);
}
