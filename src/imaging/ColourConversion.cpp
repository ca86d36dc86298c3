#include "imaging/ColourConversion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Truncates toward zero. Colours read from the settings are not limited, so a result may lie
// outside int32 (or be infinite for negative channels); those are clamped rather than left
// undefined. Every result of in-range input is unaffected.
int32_t Truncate(double x)
{
    if (std::isnan(x))
        return 0;
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(std::trunc(x), lowest, highest));
}

}  // namespace

HsvTriple RgbToHsv(const RgbTriple& rgb)
{
    const double r = rgb.r;
    const double g = rgb.g;
    const double b = rgb.b;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    const double delta = max - min;

    HsvTriple hsv;
    hsv.v = std::max({rgb.r, rgb.g, rgb.b});
    if (delta == 0)
        return hsv;

    hsv.s = Truncate(delta / max * 255);

    // Red wins ties, then green.
    double h = 0;
    if (r == max)
        h = (g - b) / delta;
    else if (g == max)
        h = 2 + (b - r) / delta;
    else
        h = 4 + (r - g) / delta;

    h = h * 60;
    if (h < 0)
        h = h + 360;
    if (h == 360)
        h = 0;
    hsv.h = Truncate(h);
    return hsv;
}

RgbTriple HsvToRgb(const HsvTriple& hsv)
{
    const double hue = hsv.h;
    const double value = hsv.v;
    const double c = (value * hsv.s) / 255;
    const double m = value - c;
    const double e = hue / 60;
    const int32_t v = hsv.v;

    // The first interval also takes negative hues.
    if (hsv.h <= 60)
        return {v, Truncate(m + c * e), Truncate(m)};
    if (hsv.h < 120)
        return {Truncate(m - c * (e - 2)), v, Truncate(m)};
    if (hsv.h < 180)
        return {Truncate(m), v, Truncate(m + c * (e - 2))};
    if (hsv.h < 240)
        return {Truncate(m), Truncate(m - c * (e - 4)), v};
    if (hsv.h <= 300)
        return {Truncate(m + c * (e - 4)), Truncate(m), v};
    return {v, Truncate(m), Truncate(m - c * ((hue - 360) / 60))};
}
