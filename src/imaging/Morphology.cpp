#include "Morphology.h"

#include <algorithm>

namespace {

constexpr int kAllWhite = 4 * 255;

// The window while one call runs. Left never moves; top moves to the row above an iteration's
// first change; right and bottom follow the changes through two accumulators that are never
// reset, so they can end one short of the position just past the last change.
struct WindowTracker {
    int left;
    int top;
    int right;
    int bottom;
    int accRight;
    int accBottom;

    explicit WindowTracker(const WorkWindow& w)
        : left(w.left), top(w.top), right(w.right), bottom(w.bottom), accRight(w.left), accBottom(w.top)
    {
    }

    void noteChange(int y, int x, int iterationTop)
    {
        if (top == iterationTop)
            top = y - 1;
        if (accRight < x)
            accRight = x + 1;
        if (accBottom < y)
            accBottom = y + 1;
    }

    void endIteration()
    {
        right = accRight;
        bottom = accBottom;
    }

    WorkWindow window() const { return {left, top, right, bottom}; }
};

// A window reaching outside the frame is cut to it first, so that every tested pixel has its
// four neighbours inside the frame. The pipeline's full-frame window is left as it is.
WindowTracker TrackInsideFrame(const WorkWindow& w, int width, int height)
{
    return WindowTracker({std::clamp<int>(w.left, 0, width), std::clamp<int>(w.top, 0, height),
                          std::clamp<int>(w.right, 0, width), std::clamp<int>(w.bottom, 0, height)});
}

void PaintPixel(const ImageView& frame, int y, int x, uint8_t level)
{
    std::fill_n(frame.pixel(y, x), frame.bytesPerPixel, level);
}

// Erodes or dilates frame pixel (y, x) from the snapshot; true when it changed.
bool MorphFramePixel(const ImageView& frame, const uint8_t* snapshot, int mode, int y, int x)
{
    const auto t = [&](int row, int column) {
        return int(snapshot[(std::size_t(row) * std::size_t(frame.width) + std::size_t(column)) *
                            std::size_t(frame.bytesPerPixel)]);
    };
    const int sum = t(y - 1, x) + t(y, x - 1) + t(y, x + 1) + t(y + 1, x);
    const bool white = t(y, x) != 0;
    if (mode == kErodeFrame) {
        if (!white || sum == kAllWhite)
            return false;
        PaintPixel(frame, y, x, 0);
    } else {
        if (white || sum == 0)
            return false;
        PaintPixel(frame, y, x, 255);
    }
    return true;
}

// Grows or shrinks mask byte (y, x) from the read copy; true when it changed.
bool MorphMaskByte(const uint8_t* readCopy, uint8_t* mask, int width, int mode, int y, int x)
{
    const auto c = [&](int row, int column) {
        return int(readCopy[std::size_t(row) * std::size_t(width) + std::size_t(column)]);
    };
    const int sum = c(y - 1, x) + c(y, x - 1) + c(y, x + 1) + c(y + 1, x);
    uint8_t& kept = mask[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    if (mode == kShrinkMask) {
        if (c(y, x) != 1 || sum == 4)
            return false;
        kept = 0;
    } else {
        if (c(y, x) != 0 || sum == 0)
            return false;
        kept = 1;
    }
    return true;
}

void ClearMaskByte(uint8_t* mask, int width, int y, int x)
{
    if (x >= 0 && x < width)
        mask[std::size_t(y) * std::size_t(width) + std::size_t(x)] = 0;
}

void ClearMaskRow(uint8_t* mask, int width, int height, int y)
{
    if (y >= 0 && y < height)
        std::fill_n(mask + std::size_t(y) * std::size_t(width), width, 0);
}

}  // namespace

void MorphFrame(const ImageView& frame, int mode, WorkWindow& window, int count, std::vector<uint8_t>& snapshot)
{
    if (window.top == window.bottom)
        return;
    WindowTracker w = TrackInsideFrame(window, frame.width, frame.height);
    snapshot.assign(frame.pixels, frame.pixels + frame.byteCount());

    for (int iteration = 0; iteration < count; ++iteration) {
        const int iterationTop = w.top;
        for (int y = iterationTop + 1; y < w.bottom - 1; ++y) {
            for (int x = w.left + 1; x < w.right - 1; ++x)
                if (MorphFramePixel(frame, snapshot.data(), mode, y, x))
                    w.noteChange(y, x, iterationTop);
            if (frame.width > 0)
                PaintPixel(frame, y, frame.width - 1, 0);
        }
        if (iterationTop < w.bottom) {
            std::fill_n(frame.row(w.bottom - 1), frame.rowBytes(), 0);
            std::copy_n(frame.pixels, frame.byteCount(), snapshot.begin());
        }
        w.endIteration();
    }
    window = w.window();
}

void MorphMask(uint8_t* readCopy, uint8_t* mask, int width, int height, int mode, WorkWindow& window, int count)
{
    if (window.top == window.bottom)
        return;
    width = std::max(width, 0);
    height = std::max(height, 0);
    WindowTracker w = TrackInsideFrame(window, width, height);
    const std::size_t size = std::size_t(width) * std::size_t(height);
    std::copy_n(readCopy, size, mask);
    ClearMaskRow(mask, width, height, w.top);

    for (int iteration = 0; iteration < count; ++iteration) {
        const int iterationTop = w.top;
        for (int y = iterationTop + 1; y < w.bottom - 1; ++y) {
            ClearMaskByte(mask, width, y, w.left);
            for (int x = w.left + 1; x < w.right - 1; ++x)
                if (MorphMaskByte(readCopy, mask, width, mode, y, x))
                    w.noteChange(y, x, iterationTop);
            ClearMaskByte(mask, width, y, w.right - 1);
        }
        if (iterationTop < w.bottom) {
            ClearMaskRow(mask, width, height, w.bottom - 1);
            std::copy_n(mask, size, readCopy);
        }
        w.endIteration();
    }
    window = w.window();
}
