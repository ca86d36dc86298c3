#pragma once

#include <optional>

// A rectangle of pixels, all four edges included.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PixelRect&) const = default;
};

// How a frame is shown in the display area: scaled to the area's width and to
// width × frameHeight / frameWidth rows (truncated), top line first, camera frames mirrored
// left to right.
struct ShownFrame {
    int frameWidth = 0;
    int frameHeight = 0;
    int shownWidth = 0;
    bool mirrored = false;
};

int ShownHeight(const ShownFrame& shown);

// The frame's pixels under a rectangle of the display area, in the frame's memory order
// (rows bottom-up, columns as they arrived, before the mirror): every pixel whose shown area
// the rectangle touches. The rectangle is clipped to the shown picture; nothing when none of
// it lies on the picture.
std::optional<PixelRect> FramePixelsUnder(const ShownFrame& shown, const PixelRect& shownRect);

// The frame pixel whose shown area holds the centre of display pixel (x, y), as a rectangle
// of one pixel in memory order; nothing off the picture.
std::optional<PixelRect> FramePixelShownAt(const ShownFrame& shown, int x, int y);
