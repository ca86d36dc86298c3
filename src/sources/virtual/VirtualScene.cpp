#include "sources/virtual/VirtualScene.h"

#include <cstdlib>

namespace {

constexpr int kShapeReach = 28;
constexpr int kLeftmostCentre = 40;
constexpr int kTravel = kVirtualWidth - 2 * kLeftmostCentre;
static_assert(kVirtualCycle % (2 * kTravel) == 0, "every sweep returns to its start within a cycle");

// Back and forth between the left and right edge, speed pixels per frame.
int SweepX(int frameIndex, int speed, int phase)
{
    const int position = ((frameIndex % kVirtualCycle) * speed + phase) % (2 * kTravel);
    return kLeftmostCentre + (position < kTravel ? position : 2 * kTravel - position);
}

bool InDisc(int x, int y, ShapeCentre centre)
{
    const int dx = x - centre.x;
    const int dy = y - centre.y;
    return dx * dx + dy * dy <= kShapeReach * kShapeReach;
}

bool InSquare(int x, int y, ShapeCentre centre)
{
    return std::abs(x - centre.x) <= kShapeReach && std::abs(y - centre.y) <= kShapeReach;
}

bool InDiamond(int x, int y, ShapeCentre centre)
{
    return std::abs(x - centre.x) + std::abs(y - centre.y) <= kShapeReach + 4;
}

YuvColour ColourAt(int x, int y, const VirtualShapes& shapes)
{
    if (InDisc(x, y, shapes.red))
        return kVirtualRed;
    if (InSquare(x, y, shapes.green))
        return kVirtualGreen;
    if (InDiamond(x, y, shapes.blue))
        return kVirtualBlue;
    return kVirtualBackground;
}

}  // namespace

VirtualShapes VirtualShapesAt(int frameIndex)
{
    const int index = frameIndex < 0 ? 0 : frameIndex;
    return VirtualShapes{
        {SweepX(index, 3, 0), 45},
        {SweepX(index, 2, kTravel / 2), 120},
        {SweepX(index, 4, kTravel), 195},
    };
}

// Both pixels of a YUY2 pair share their chroma, so each pair takes one colour whole and
// no shape edge mixes two hues.
void RenderVirtualFrame(int frameIndex, uint8_t* yuy2)
{
    const VirtualShapes shapes = VirtualShapesAt(frameIndex);
    for (int y = 0; y < kVirtualHeight; ++y) {
        for (int x = 0; x < kVirtualWidth; x += 2) {
            const YuvColour colour = ColourAt(x, y, shapes);
            yuy2[0] = colour.y;
            yuy2[1] = colour.u;
            yuy2[2] = colour.y;
            yuy2[3] = colour.v;
            yuy2 += 4;
        }
    }
}
