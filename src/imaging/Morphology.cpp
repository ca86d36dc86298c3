#include "Morphology.h"

#include "PixelStep.h"
#include "VectorClones.h"

#include <algorithm>

namespace {

constexpr int kAllWhite = 4 * 255;
constexpr int kNoChange = -1;

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

    // The changes of row y, as if each had been noted in turn: the top and bottom see the row
    // once, and of the changes right of the accumulator only the run of neighbours that ends
    // at the last one matters. No change lies right of lastCandidate (kNoChange: none in the
    // row), and the last change lies less than a block left of it; changedAt(x) tells whether
    // column x changed.
    template <typename ChangedAt>
    void noteRow(int y, int lastCandidate, int iterationTop, ChangedAt changedAt)
    {
        if (lastCandidate == kNoChange)
            return;
        if (top == iterationTop)
            top = y - 1;
        if (accBottom < y)
            accBottom = y + 1;
        int lastChange = lastCandidate;
        while (lastChange > accRight && !changedAt(lastChange))
            --lastChange;
        if (accRight < lastChange)
            accRight = RightAfterRun(lastChange, changedAt);
    }

    void endIteration()
    {
        right = accRight;
        bottom = accBottom;
    }

    WorkWindow window() const { return {left, top, right, bottom}; }

private:
    // Noting the changes one by one, the first change right of the accumulator moves it just
    // past itself, so its right neighbour is skipped, the next taken, and so on along the run.
    template <typename ChangedAt>
    int RightAfterRun(int lastChange, ChangedAt changedAt) const
    {
        int runStart = lastChange;
        while (runStart - 1 > accRight && changedAt(runStart - 1))
            --runStart;
        return (lastChange - runStart) % 2 == 0 ? lastChange + 1 : lastChange;
    }
};

// value where take holds, else otherwise; without a branch, which keeps the row loops in
// vector lanes.
uint8_t Choose(bool take, uint8_t value, uint8_t otherwise)
{
    const auto all = static_cast<uint8_t>(-int(take));
    return static_cast<uint8_t>((value & all) | (otherwise & ~all));
}

// Rows are worked in blocks of this many columns, each telling whether it changed anything,
// which costs less than tracking every change's column in vector lanes.
constexpr int kBlock = 128;

// The first column of the block that starts at or after x: the last block of a row is moved
// left to end with the row. Working a column twice changes nothing, as rows are read from a
// copy that the work does not touch.
int BlockStart(int x, int first, int end)
{
    return std::max(first, std::min(x, end - kBlock));
}

// A window reaching outside the frame is cut to it first, so that every tested pixel has its
// four neighbours inside the frame. The pipeline's full-frame window is left as it is.
WindowTracker TrackInsideFrame(const WorkWindow& w, int width, int height)
{
    return WindowTracker({std::clamp<int>(w.left, 0, width), std::clamp<int>(w.top, 0, height),
                          std::clamp<int>(w.right, 0, width), std::clamp<int>(w.bottom, 0, height)});
}

// Whether pixel x of a row changes: eroded when white with a neighbour not fully white,
// dilated when black with a neighbour not black. Rows point at byte 0 of their first pixel.
template <int mode, typename Step>
bool FramePixelChanges(const uint8_t* above, const uint8_t* here, const uint8_t* below, Step step, std::size_t x)
{
    const auto sum = static_cast<uint16_t>(above[x * step] + here[(x - 1) * step] + here[(x + 1) * step] + below[x * step]);
    if constexpr (mode == kErodeFrame)
        return (here[x * step] != 0) & (sum != kAllWhite);
    else
        return (here[x * step] == 0) & (sum != 0);
}

// Erodes or dilates the pixels first to end − 1 of a frame row from the snapshot rows;
// returns the last column of the last block that changed a pixel, or kNoChange.
template <int mode, typename Step>
VIZMAR_VECTOR_CLONES int MorphFrameRow(const uint8_t* above, const uint8_t* here, const uint8_t* below, uint8_t* out,
                                       Step step, int first, int end)
{
    constexpr uint8_t level = mode == kErodeFrame ? 0 : 255;
    int lastCandidate = kNoChange;
    for (int x = first; x < end; x += kBlock) {
        const int start = BlockStart(x, first, end);
        const int stop = std::min(start + kBlock, end);
        uint8_t changed = 0;
        for (int column = start; column < stop; ++column) {
            const auto at = std::size_t(column);
            const bool changes = FramePixelChanges<mode>(above, here, below, step, at);
            for (std::size_t c = 0; c < step; ++c)
                out[at * step + c] = Choose(changes, level, out[at * step + c]);
            changed |= uint8_t(changes);
        }
        lastCandidate = changed != 0 ? stop - 1 : lastCandidate;
    }
    return lastCandidate;
}

// Whether mask byte x of a row changes: grown where 0 beside a 1, shrunk where 1 beside a 0.
template <int mode>
bool MaskByteChanges(const uint8_t* above, const uint8_t* here, const uint8_t* below, int x)
{
    const auto sum = static_cast<uint16_t>(above[x] + here[x - 1] + here[x + 1] + below[x]);
    if constexpr (mode == kShrinkMask)
        return (here[x] == 1) & (sum != 4);
    else
        return (here[x] == 0) & (sum > 0);
}

// Grows or shrinks the mask bytes first to end − 1 of a row from the read copy's rows;
// returns the last column of the last block that changed a byte, or kNoChange.
template <int mode>
VIZMAR_VECTOR_CLONES int MorphMaskRow(const uint8_t* above, const uint8_t* here, const uint8_t* below, uint8_t* out,
                                      int first, int end)
{
    constexpr uint8_t kept = mode == kShrinkMask ? 0 : 1;
    int lastCandidate = kNoChange;
    for (int x = first; x < end; x += kBlock) {
        const int start = BlockStart(x, first, end);
        const int stop = std::min(start + kBlock, end);
        uint8_t changed = 0;
        for (int column = start; column < stop; ++column) {
            const bool changes = MaskByteChanges<mode>(above, here, below, column);
            out[column] = Choose(changes, kept, out[column]);
            changed |= uint8_t(changes);
        }
        lastCandidate = changed != 0 ? stop - 1 : lastCandidate;
    }
    return lastCandidate;
}

void PaintPixel(const ImageView& frame, int y, int x, uint8_t level)
{
    std::fill_n(frame.pixel(y, x), frame.bytesPerPixel, level);
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

template <int mode>
void MorphFrameIn(const ImageView& frame, WindowTracker& w, int count, std::vector<uint8_t>& snapshot)
{
    const auto snapshotRow = [&](int y) { return snapshot.data() + std::size_t(y) * frame.rowBytes(); };
    WithPixelStep(frame.bytesPerPixel, [&](auto step) {
        for (int iteration = 0; iteration < count; ++iteration) {
            const int iterationTop = w.top;
            for (int y = iterationTop + 1; y < w.bottom - 1; ++y) {
                const uint8_t* above = snapshotRow(y - 1);
                const uint8_t* here = snapshotRow(y);
                const uint8_t* below = snapshotRow(y + 1);
                const int lastCandidate =
                    MorphFrameRow<mode>(above, here, below, frame.row(y), step, w.left + 1, w.right - 1);
                w.noteRow(y, lastCandidate, iterationTop, [&](int x) {
                    return FramePixelChanges<mode>(above, here, below, step, std::size_t(x));
                });
                if (frame.width > 0)
                    PaintPixel(frame, y, frame.width - 1, 0);
            }
            if (iterationTop < w.bottom) {
                std::fill_n(frame.row(w.bottom - 1), frame.rowBytes(), 0);
                std::copy_n(frame.pixels, frame.byteCount(), snapshot.begin());
            }
            w.endIteration();
        }
    });
}

template <int mode>
void MorphMaskIn(uint8_t* readCopy, uint8_t* mask, int width, int height, WindowTracker& w, int count)
{
    const std::size_t size = std::size_t(width) * std::size_t(height);
    const auto row = [&](uint8_t* bytes, int y) { return bytes + std::size_t(y) * std::size_t(width); };
    for (int iteration = 0; iteration < count; ++iteration) {
        const int iterationTop = w.top;
        for (int y = iterationTop + 1; y < w.bottom - 1; ++y) {
            ClearMaskByte(mask, width, y, w.left);
            const uint8_t* above = row(readCopy, y - 1);
            const uint8_t* here = row(readCopy, y);
            const uint8_t* below = row(readCopy, y + 1);
            const int lastCandidate = MorphMaskRow<mode>(above, here, below, row(mask, y), w.left + 1, w.right - 1);
            w.noteRow(y, lastCandidate, iterationTop,
                      [&](int x) { return MaskByteChanges<mode>(above, here, below, x); });
            ClearMaskByte(mask, width, y, w.right - 1);
        }
        if (iterationTop < w.bottom) {
            ClearMaskRow(mask, width, height, w.bottom - 1);
            std::copy_n(mask, size, readCopy);
        }
        w.endIteration();
    }
}

}  // namespace

void MorphFrame(const ImageView& frame, int mode, WorkWindow& window, int count, std::vector<uint8_t>& snapshot)
{
    if (window.top == window.bottom)
        return;
    WindowTracker w = TrackInsideFrame(window, frame.width, frame.height);
    snapshot.assign(frame.pixels, frame.pixels + frame.byteCount());
    if (mode == kErodeFrame)
        MorphFrameIn<kErodeFrame>(frame, w, count, snapshot);
    else
        MorphFrameIn<kDilateFrame>(frame, w, count, snapshot);
    window = w.window();
}

void MorphMask(uint8_t* readCopy, uint8_t* mask, int width, int height, int mode, WorkWindow& window, int count)
{
    if (window.top == window.bottom)
        return;
    width = std::max(width, 0);
    height = std::max(height, 0);
    WindowTracker w = TrackInsideFrame(window, width, height);
    std::copy_n(readCopy, std::size_t(width) * std::size_t(height), mask);
    ClearMaskRow(mask, width, height, w.top);
    if (mode == kShrinkMask)
        MorphMaskIn<kShrinkMask>(readCopy, mask, width, height, w, count);
    else
        MorphMaskIn<kGrowMask>(readCopy, mask, width, height, w, count);
    window = w.window();
}
