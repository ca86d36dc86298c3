#include "imaging/ShownRegion.h"

#include <algorithm>

namespace {
struct Span {
    int first = 0;
    int last = 0;
};

// The frame lines under shown lines first..last when `frameCount` lines are shown as
// `shownCount`: those whose shown stretch [i × shownCount / frameCount, (i + 1) × ...) meets it.
Span FrameLinesUnder(Span shown, int frameCount, int shownCount)
{
    const long long frame = frameCount;
    const long long scaled = shownCount;
    return {int(shown.first * frame / scaled), int(((shown.last + 1) * frame - 1) / scaled)};
}

// The frame line under the centre of shown line i.
int FrameLineAtCentre(int i, int frameCount, int shownCount)
{
    return int((2LL * i + 1) * frameCount / (2LL * shownCount));
}

// Columns and rows counted from the top-left of the shown picture, turned into the frame's
// memory order: rows bottom-up, and columns turned round for a mirrored frame.
PixelRect InMemoryOrder(const ShownFrame& shown, Span x, Span y)
{
    const int lastColumn = shown.frameWidth - 1;
    const int lastRow = shown.frameHeight - 1;
    PixelRect frame{x.first, lastRow - y.last, x.last, lastRow - y.first};
    if (shown.mirrored) {
        frame.left = lastColumn - x.last;
        frame.right = lastColumn - x.first;
    }
    return frame;
}

std::optional<Span> Clip(int from, int to, int count)
{
    const int first = std::max(std::min(from, to), 0);
    const int last = std::min(std::max(from, to), count - 1);
    if (first > last)
        return std::nullopt;
    return Span{first, last};
}
}  // namespace

int ShownHeight(const ShownFrame& shown)
{
    if (shown.frameWidth <= 0)
        return 0;
    return int(static_cast<long long>(shown.shownWidth) * shown.frameHeight / shown.frameWidth);
}

std::optional<PixelRect> FramePixelsUnder(const ShownFrame& shown, const PixelRect& shownRect)
{
    const int shownHeight = ShownHeight(shown);
    if (shown.frameHeight <= 0 || shownHeight <= 0)
        return std::nullopt;
    const std::optional<Span> columns = Clip(shownRect.left, shownRect.right, shown.shownWidth);
    const std::optional<Span> lines = Clip(shownRect.top, shownRect.bottom, shownHeight);
    if (!columns || !lines)
        return std::nullopt;
    return InMemoryOrder(shown, FrameLinesUnder(*columns, shown.frameWidth, shown.shownWidth),
                         FrameLinesUnder(*lines, shown.frameHeight, shownHeight));
}

std::optional<PixelRect> FramePixelShownAt(const ShownFrame& shown, int x, int y)
{
    const int shownHeight = ShownHeight(shown);
    if (x < 0 || y < 0 || x >= shown.shownWidth || y >= shownHeight)
        return std::nullopt;
    const int column = FrameLineAtCentre(x, shown.frameWidth, shown.shownWidth);
    const int line = FrameLineAtCentre(y, shown.frameHeight, shownHeight);
    return InMemoryOrder(shown, {column, column}, {line, line});
}
