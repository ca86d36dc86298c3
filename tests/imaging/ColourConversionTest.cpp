#include "imaging/ColourConversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

struct RgbToHsvCase {
    RgbTriple rgb;
    HsvTriple hsv;
};

TEST(RgbToHsv, GivesTheNamedValues)
{
    const RgbToHsvCase cases[] = {
        {{255, 0, 255}, {300, 255, 255}},
        {{0, 0, 0}, {0, 0, 0}},
        {{128, 128, 128}, {0, 0, 128}},
        {{3, 0, 36}, {244, 255, 36}},     // the table says 245 here
        {{255, 0, 1}, {359, 255, 255}},   // just below red wraps; the table says 0
        {{255, 255, 0}, {60, 255, 255}},  // red wins a tie with green
        {{0, 255, 255}, {180, 255, 255}}, // green wins a tie with blue
        {{200, 100, 100}, {0, 127, 200}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RgbToHsv(c.rgb), c.hsv) << c.rgb.r << "," << c.rgb.g << "," << c.rgb.b;
}

struct HsvToRgbCase {
    HsvTriple hsv;
    RgbTriple rgb;
};

TEST(HsvToRgb, GivesTheNamedValuesOnEveryHueInterval)
{
    const HsvToRgbCase cases[] = {
        {{120, 255, 255}, {0, 255, 0}},
        {{0, 0, 200}, {200, 200, 200}},
        {{30, 128, 200}, {200, 149, 99}},
        {{60, 255, 255}, {255, 255, 0}},
        {{61, 255, 255}, {250, 255, 0}},
        {{180, 255, 255}, {0, 255, 255}},
        {{240, 255, 255}, {0, 0, 255}},
        {{300, 255, 255}, {255, 0, 255}},
        {{301, 255, 255}, {255, 0, 250}},
        {{-30, 255, 255}, {255, -127, 0}},  // negative hues take the first interval
    };
    for (const auto& c : cases)
        EXPECT_EQ(HsvToRgb(c.hsv), c.rgb) << c.hsv.h << "," << c.hsv.s << "," << c.hsv.v;
}

TEST(HsvToRgb, SaturatesResultsBeyondTheIntegerRange)
{
    constexpr int32_t most = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(HsvToRgb({0, -most, most}), (RgbTriple{most, most, most}));
}

// Truncating hue (under 1 degree, up to 255/60 levels), saturation (under 1 level) and the
// result (under 1 level) together stay below 7 levels per channel.
TEST(ColourConversion, RoundTripKeepsTheLargestChannelAndStaysClose)
{
    constexpr int tolerance = 6;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const RgbTriple back = HsvToRgb(RgbToHsv({r, g, b}));
                ASSERT_EQ(std::max({back.r, back.g, back.b}), std::max({r, g, b})) << r << "," << g << "," << b;
                ASSERT_LE(std::abs(back.r - r), tolerance) << r << "," << g << "," << b;
                ASSERT_LE(std::abs(back.g - g), tolerance) << r << "," << g << "," << b;
                ASSERT_LE(std::abs(back.b - b), tolerance) << r << "," << g << "," << b;
            }
}

TEST(ColourConversion, FullColoursComeBackWithTheirHueOrOneBelow)
{
    for (int h = 0; h < 360; ++h) {
        const int back = RgbToHsv(HsvToRgb({h, 255, 255})).h;
        EXPECT_TRUE(back == h || back == (h + 359) % 360) << h << " came back as " << back;
    }
}

}  // namespace
