#pragma once

#include <cstdint>

// The integer colour converters that every control uses. Hue 0-359, saturation and
// value 0-255, red, green and blue 0-255.

struct RgbTriple {
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    bool operator==(const RgbTriple&) const = default;
};

struct HsvTriple {
    int32_t h = 0;
    int32_t s = 0;
    int32_t v = 0;
    bool operator==(const HsvTriple&) const = default;
};

HsvTriple RgbToHsv(const RgbTriple& rgb);
RgbTriple HsvToRgb(const HsvTriple& hsv);
