#include "imaging/FormatConversion.h"
#include "sources/virtual/VirtualScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

struct Hsv {
    int h;
    int s;
    int v;
};

// The lookup table's rule for one colour, worked out here independently of the table.
Hsv TableHsv(int red, int green, int blue)
{
    const double r = red / 255.0, g = green / 255.0, b = blue / 255.0;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    const double d = max - min;
    const double rr = d == 0 ? 0 : (max - r) / d;
    const double rg = d == 0 ? 0 : (max - g) / d;
    const double rb = d == 0 ? 0 : (max - b) / d;
    const double h = r == max ? rb - rg : g == max ? rr + 2 - rb : rg + 4 - rr;
    int hue = int(h * 60);
    if (hue < 0)
        hue += 360;
    return {hue, max == 0 ? 0 : int((d / max) * 255), int(max * 255)};
}

// A built-in preset: lower hue, hue width, lowest saturation and value (widths 0 = up to 255).
struct Preset {
    const char* name;
    int h0;
    int hueWidth;
    int s0;
    int v0;

    bool Picks(Hsv c) const
    {
        const int h1 = h0 + hueWidth;
        const bool hue = h1 < 360 ? (c.h >= h0 && c.h <= h1) : (c.h >= h0 || c.h <= h1 - 360);
        return hue && c.s >= s0 && c.v >= v0;
    }
};

constexpr Preset kRed{"Red", 333, 60, 127, 104};
constexpr Preset kGreen{"Green", 105, 76, 40, 54};
constexpr Preset kBlue{"Blue", 218, 60, 104, 54};

struct Picked {
    int count = 0;
    int left = 9999, right = -1, top = 9999, bottom = -1;
};

// Which pixels of the converted picture a preset picks, and where they lie on screen.
Picked PickedBy(const Preset& preset, const std::vector<uint8_t>& bgr)
{
    Picked picked;
    for (int row = 0; row < kVirtualHeight; ++row) {
        for (int x = 0; x < kVirtualWidth; ++x) {
            const uint8_t* p = &bgr[std::size_t((row * kVirtualWidth + x) * 3)];
            if (!preset.Picks(TableHsv(p[2], p[1], p[0])))
                continue;
            const int y = kVirtualHeight - 1 - row;
            ++picked.count;
            picked.left = std::min(picked.left, x);
            picked.right = std::max(picked.right, x);
            picked.top = std::min(picked.top, y);
            picked.bottom = std::max(picked.bottom, y);
        }
    }
    return picked;
}

void ExpectPicksOnlyAround(const Picked& picked, ShapeCentre centre, const char* name)
{
    SCOPED_TRACE(name);
    EXPECT_GT(picked.count, 2000);
    EXPECT_LE(std::abs(picked.left + picked.right - 2 * centre.x), 2);
    EXPECT_LE(std::abs(picked.top + picked.bottom - 2 * centre.y), 1);
    EXPECT_LE(picked.right - picked.left, 66);
    EXPECT_LE(picked.bottom - picked.top, 66);
}

TEST(VirtualSceneTest, EachBuiltInPresetPicksOutItsOwnShapeAfterConversion)
{
    std::vector<uint8_t> yuy2(kVirtualFrameBytes);
    std::vector<uint8_t> bgr(std::size_t(kVirtualWidth) * kVirtualHeight * 3);
    for (int frameIndex : {0, 37, 120, 301, kVirtualCycle - 1}) {
        SCOPED_TRACE(frameIndex);
        RenderVirtualFrame(frameIndex, yuy2.data());
        Yuy2ToRgb24(kVirtualWidth, kVirtualHeight, yuy2.data(), bgr.data());
        const VirtualShapes shapes = VirtualShapesAt(frameIndex);
        ExpectPicksOnlyAround(PickedBy(kRed, bgr), shapes.red, kRed.name);
        ExpectPicksOnlyAround(PickedBy(kGreen, bgr), shapes.green, kGreen.name);
        ExpectPicksOnlyAround(PickedBy(kBlue, bgr), shapes.blue, kBlue.name);
    }
}

TEST(VirtualSceneTest, ShapesMoveStayInsideThePictureAndRepeatAfterACycle)
{
    const VirtualShapes first = VirtualShapesAt(0);
    const VirtualShapes later = VirtualShapesAt(10);
    EXPECT_NE(first.red.x, later.red.x);
    EXPECT_NE(first.green.x, later.green.x);
    EXPECT_NE(first.blue.x, later.blue.x);
    for (int frameIndex = 0; frameIndex < kVirtualCycle; ++frameIndex) {
        const VirtualShapes shapes = VirtualShapesAt(frameIndex);
        for (ShapeCentre centre : {shapes.red, shapes.green, shapes.blue}) {
            EXPECT_GE(centre.x - 32, 0);
            EXPECT_LT(centre.x + 32, kVirtualWidth);
        }
        EXPECT_EQ(VirtualShapesAt(frameIndex + kVirtualCycle).blue.x, shapes.blue.x);
        EXPECT_EQ(VirtualShapesAt(frameIndex + kVirtualCycle).red.x, shapes.red.x);
    }
}

}  // namespace
