#pragma once

#include <cstddef>
#include <cstdint>

// The picture of the virtual camera: a red disc, a green square and a blue diamond moving
// across a grey background, each in a band of its own. Their colours survive the YUY2 to
// RGB conversion inside the built-in "Red", "Green" and "Blue" presets, and the grey
// background falls in none.

constexpr int kVirtualWidth = 320;
constexpr int kVirtualHeight = 240;
constexpr std::size_t kVirtualFrameBytes = std::size_t(kVirtualWidth) * kVirtualHeight * 2;
// The picture repeats after this many frames.
constexpr int kVirtualCycle = 480;

struct YuvColour {
    uint8_t y = 0;
    uint8_t u = 0;
    uint8_t v = 0;
};

constexpr YuvColour kVirtualBackground{128, 128, 128};
constexpr YuvColour kVirtualRed{91, 99, 229};
constexpr YuvColour kVirtualGreen{136, 84, 58};
constexpr YuvColour kVirtualBlue{73, 218, 104};

// Centre of a shape, in pixels from the top-left corner of the picture.
struct ShapeCentre {
    int x = 0;
    int y = 0;
};

struct VirtualShapes {
    ShapeCentre red;
    ShapeCentre green;
    ShapeCentre blue;
};

VirtualShapes VirtualShapesAt(int frameIndex);

// Fills kVirtualFrameBytes of YUY2, top line first.
void RenderVirtualFrame(int frameIndex, uint8_t* yuy2);
