#include "imaging/Morphology.h"

#include "imaging/PixelStep.h"
#include "imaging/VectorClones.h"

#include <algorithm>
#include <cstring>

namespace {

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

    // The changes of row y, as if each change had been noted in turn: the top and bottom see
    // the row once, and of the changes right of the accumulator only the run of neighbours that
    // ends at the last one matters. lastChangeAfter(x) is the rightmost changed column right of
    // x, or kNoChange; changedAt(x) tells whether column x changed.
    template <typename LastChangeAfter, typename ChangedAt>
    void noteRow(int y, bool changed, int iterationTop, LastChangeAfter lastChangeAfter, ChangedAt changedAt)
    {
        if (!changed)
            return;
        if (top == iterationTop)
            top = y - 1;
        if (accBottom < y)
            accBottom = y + 1;
        const int lastChange = lastChangeAfter(accRight);
        if (lastChange != kNoChange)
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
VIZMAR_CLONE_HELPER uint8_t Choose(bool take, uint8_t value, uint8_t otherwise)
{
    const auto all = static_cast<uint8_t>(-int(take));
    return static_cast<uint8_t>((value & all) | (otherwise & ~all));
}

// Rows are worked in blocks of this many columns, each finding its last change as the largest
// of its changed columns counted from 1 within the block, a number that fits a byte lane.
constexpr int kBlock = 128;

// The first column of the block that starts at or after x: the last block of a row is moved
// left to end with the row. Working a column twice changes nothing, as rows are read from a
// copy that the work does not touch.
VIZMAR_CLONE_HELPER int BlockStart(int x, int first, int end)
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

// Whether pixel x of a row changes: eroded when white with a neighbour not fully white (the
// four neighbours sum to 4 × 255 only when all are 255), dilated when black with a neighbour
// not black. Rows point at byte 0 of their first pixel. Byte operations, so that the row
// loops keep 32 or 64 pixels in a vector.
template <int mode, typename Step>
VIZMAR_CLONE_HELPER bool FramePixelChanges(const uint8_t* above, const uint8_t* here, const uint8_t* below, Step step,
                                           std::size_t x)
{
    const uint8_t up = above[x * step];
    const uint8_t left = here[(x - 1) * step];
    const uint8_t right = here[(x + 1) * step];
    const uint8_t down = below[x * step];
    if constexpr (mode == kErodeFrame)
        return (here[x * step] != 0) & ((up & left & right & down) != 255);
    else
        return (here[x * step] == 0) & ((up | left | right | down) != 0);
}

// Erodes or dilates the pixels first to end − 1 of a frame row from the snapshot rows;
// returns the rightmost changed column, or kNoChange.
template <int mode, typename Step>
VIZMAR_CLONE_HELPER int MorphFrameRow(const uint8_t* above, const uint8_t* here, const uint8_t* below, uint8_t* out,
                                      Step step, int first, int end)
{
    constexpr uint8_t level = mode == kErodeFrame ? 0 : 255;
    int lastChange = kNoChange;
    for (int x = first; x < end; x += kBlock) {
        const int start = BlockStart(x, first, end);
        uint8_t lastInBlock = 0;
        for (int k = 0; k < std::min(kBlock, end - start); ++k) {
            const auto at = std::size_t(start + k);
            const bool changes = FramePixelChanges<mode>(above, here, below, step, at);
            for (std::size_t c = 0; c < step; ++c)
                out[at * step + c] = Choose(changes, level, out[at * step + c]);
            lastInBlock = std::max(lastInBlock, Choose(changes, uint8_t(k + 1), 0));
        }
        lastChange = lastInBlock != 0 ? start + lastInBlock - 1 : lastChange;
    }
    return lastChange;
}

// Whether mask byte x of a row changes: grown where 0 beside a non-zero byte (the neighbours'
// sum is above 0), shrunk where 1 unless the neighbours sum to 4. That sum is 4 exactly when
// the bytes' sum modulo 256 is 4 and none of them reaches 8, which byte operations can tell.
template <int mode>
VIZMAR_CLONE_HELPER bool MaskByteChanges(const uint8_t* above, const uint8_t* here, const uint8_t* below, int x)
{
    const uint8_t up = above[x];
    const uint8_t left = here[x - 1];
    const uint8_t right = here[x + 1];
    const uint8_t down = below[x];
    if constexpr (mode == kShrinkMask) {
        const bool sumIsFour = (static_cast<uint8_t>(up + left + right + down) == 4) & ((up | left | right | down) < 8);
        return (here[x] == 1) & !sumIsFour;
    } else {
        return (here[x] == 0) & ((up | left | right | down) != 0);
    }
}

// MaskByteChanges for the 64 bytes from x on, 0xFF where a byte changes.
using MaskBytes = uint8_t __attribute__((vector_size(64)));
constexpr int kMaskBytes = int(sizeof(MaskBytes));

VIZMAR_CLONE_HELPER MaskBytes LoadMaskBytes(const uint8_t* bytes)
{
    MaskBytes v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}

template <int mode>
VIZMAR_CLONE_HELPER MaskBytes MaskBytesChange(const uint8_t* above, const uint8_t* here, const uint8_t* below, int x)
{
    const MaskBytes up = LoadMaskBytes(above + x);
    const MaskBytes left = LoadMaskBytes(here + x - 1);
    const MaskBytes right = LoadMaskBytes(here + x + 1);
    const MaskBytes down = LoadMaskBytes(below + x);
    const MaskBytes centre = LoadMaskBytes(here + x);
    const MaskBytes any = up | left | right | down;
    if constexpr (mode == kShrinkMask) {
        const auto sumIsFour = reinterpret_cast<MaskBytes>(MaskBytes(up + left + right + down) == 4) &
                               reinterpret_cast<MaskBytes>(any < 8);
        return reinterpret_cast<MaskBytes>(centre == 1) & ~sumIsFour;
    } else {
        return reinterpret_cast<MaskBytes>(centre == 0) & reinterpret_cast<MaskBytes>(any != 0);
    }
}

// Grows or shrinks the mask bytes first to end − 1 of a row from the read copy's rows;
// returns whether any changed. Every iteration starts with the mask equal to its read copy,
// so a byte that does not change is the read copy's. A row is worked 64 bytes at a time, the
// last 64 moved left to end with the row (a byte worked twice comes out the same, as the read
// copy is not touched); where its last change lies is asked only when the window needs it.
template <int mode>
VIZMAR_CLONE_HELPER bool MorphMaskRow(const uint8_t* above, const uint8_t* here, const uint8_t* below, uint8_t* out,
                                      int first, int end)
{
    constexpr uint8_t kept = mode == kShrinkMask ? 0 : 1;
    if (end - first < kMaskBytes) {
        bool changed = false;
        for (int x = first; x < end; ++x) {
            const bool changes = MaskByteChanges<mode>(above, here, below, x);
            out[x] = Choose(changes, kept, here[x]);
            changed |= changes;
        }
        return changed;
    }
    MaskBytes changed = {};
    for (int x = first; x < end; x += kMaskBytes) {
        const int at = std::min(x, end - kMaskBytes);
        const MaskBytes changes = MaskBytesChange<mode>(above, here, below, at);
        const MaskBytes result = (changes & kept) | (LoadMaskBytes(here + at) & ~changes);
        std::memcpy(out + at, &result, sizeof result);
        changed |= changes;
    }
    uint64_t words[kMaskBytes / 8];
    std::memcpy(words, &changed, sizeof words);
    uint64_t any = 0;
    for (uint64_t word : words)
        any |= word;
    return any != 0;
}

// The rightmost of the mask bytes first to end − 1 that MorphMaskRow changes, or kNoChange:
// the blocks are tested from the row's end, and the search stops at the first with a change.
template <int mode>
VIZMAR_CLONE_HELPER int LastMaskChange(const uint8_t* above, const uint8_t* here, const uint8_t* below, int first,
                                       int end)
{
    for (int blockEnd = end; blockEnd > first; blockEnd -= kBlock) {
        const int start = std::max(first, blockEnd - kBlock);
        uint8_t lastInBlock = 0;
        for (int k = 0; k < blockEnd - start; ++k)
            lastInBlock = std::max(
                lastInBlock, Choose(MaskByteChanges<mode>(above, here, below, start + k), uint8_t(k + 1), 0));
        if (lastInBlock != 0)
            return start + lastInBlock - 1;
    }
    return kNoChange;
}

// The rows first to end − 1: an iteration changes no row outside those of its window, and the
// top row it may have cleared at the start, so only they need refreshing in the copy it reads.
void CopyRows(const uint8_t* from, uint8_t* to, std::size_t rowBytes, int first, int end)
{
    const std::size_t start = std::size_t(first) * rowBytes;
    std::copy_n(from + start, std::size_t(end - first) * rowBytes, to + start);
}

// Fills the mask from the read copy before the first iteration, where that iteration will not
// write: everywhere without one, else the rows outside those it works and, in those rows, the
// bytes left and right of the window. A full-frame window leaves nothing to copy.
void CopyWhatTheFirstIterationKeeps(const uint8_t* readCopy, uint8_t* mask, int width, int height,
                                    const WindowTracker& w, int count)
{
    const auto rowBytes = std::size_t(width);
    const int firstRow = w.top + 1;
    const int endRow = w.bottom - 1;
    if (count <= 0 || firstRow >= endRow) {
        CopyRows(readCopy, mask, rowBytes, 0, height);
        return;
    }
    CopyRows(readCopy, mask, rowBytes, 0, firstRow);
    CopyRows(readCopy, mask, rowBytes, endRow, height);
    for (int y = firstRow; y < endRow; ++y) {
        const std::size_t row = std::size_t(y) * rowBytes;
        std::copy_n(readCopy + row, w.left, mask + row);
        std::copy_n(readCopy + row + std::size_t(w.right), width - w.right, mask + row + std::size_t(w.right));
    }
}

// The same work on masks held as bits, a vector of kMaskVectorWords words at a time.
using MaskWords = uint64_t __attribute__((vector_size(8 * kMaskVectorWords)));

VIZMAR_CLONE_HELPER MaskWords LoadWords(const uint64_t* words)
{
    MaskWords v;
    std::memcpy(&v, words, sizeof v);
    return v;
}

// The bits of a row's words that lie in the columns first to end − 1, for count words.
void FillColumns(uint64_t* columns, std::size_t count, int first, int end)
{
    for (std::size_t j = 0; j < count; ++j) {
        const int from = std::clamp(first - int(j) * kMaskWordBits, 0, kMaskWordBits);
        const int to = std::clamp(end - int(j) * kMaskWordBits, 0, kMaskWordBits);
        const uint64_t below = to == kMaskWordBits ? ~uint64_t(0) : (uint64_t(1) << to) - 1;
        const uint64_t under = from == kMaskWordBits ? ~uint64_t(0) : (uint64_t(1) << from) - 1;
        columns[j] = below & ~under;
    }
}

// MaskBytesChange for the words from word j on, a set bit where a pixel changes: its left
// and right neighbours are the bits beside it, across word boundaries.
template <int mode>
VIZMAR_CLONE_HELPER MaskWords WordsChange(const uint64_t* above, const uint64_t* here, const uint64_t* below, int j)
{
    const MaskWords centre = LoadWords(here + j);
    const MaskWords left = (centre << 1) | (LoadWords(here + j - 1) >> (kMaskWordBits - 1));
    const MaskWords right = (centre >> 1) | (LoadWords(here + j + 1) << (kMaskWordBits - 1));
    const MaskWords up = LoadWords(above + j);
    const MaskWords down = LoadWords(below + j);
    if constexpr (mode == kShrinkMask)
        return centre & ~(up & left & right & down);
    else
        return ~centre & (up | left | right | down);
}

// MorphMaskRow on bits: the pixels of a row in the columns' bits (first to end − 1) from the
// read copy's rows, each change noted in changes; returns whether any changed.
template <int mode>
VIZMAR_CLONE_HELPER bool MorphBitsRow(const uint64_t* above, const uint64_t* here, const uint64_t* below,
                                      uint64_t* out, const uint64_t* columnBits, uint64_t* changes, int first,
                                      int end)
{
    MaskWords any = {};
    const int firstWord = first / kMaskWordBits / int(kMaskVectorWords) * int(kMaskVectorWords);
    for (int j = firstWord; j * kMaskWordBits < end; j += int(kMaskVectorWords)) {
        const MaskWords columns = LoadWords(columnBits + j);
        const MaskWords changed = WordsChange<mode>(above, here, below, j) & columns;
        const MaskWords centre = LoadWords(here + j);
        const MaskWords result = mode == kShrinkMask ? centre & ~changed : centre | changed;
        const MaskWords kept = (LoadWords(out + j) & ~columns) | (result & columns);
        std::memcpy(out + j, &kept, sizeof kept);
        std::memcpy(changes + j, &changed, sizeof changed);
        any |= changed;
    }
    uint64_t anyWord = 0;
    for (std::size_t k = 0; k < kMaskVectorWords; ++k)
        anyWord |= any[k];
    return first < end && anyWord != 0;
}

// The rightmost changed column from column from to end − 1, or kNoChange.
int LastChangeFrom(const uint64_t* changes, int from, int end)
{
    for (int j = (end - 1) / kMaskWordBits; j >= 0 && j * kMaskWordBits + kMaskWordBits > from; --j) {
        uint64_t word = changes[j];
        if (from > j * kMaskWordBits)
            word &= ~uint64_t(0) << (from - j * kMaskWordBits);
        if (word != 0)
            return j * kMaskWordBits + (kMaskWordBits - 1 - __builtin_clzll(word));
    }
    return kNoChange;
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

// The count iterations of a call, each over the window the one before left.
template <int mode, typename Step>
VIZMAR_VECTOR_CLONES void MorphFrameIn(const ImageView& frame, Step step, WindowTracker& w, int count,
                                       uint8_t* snapshot)
{
    const auto snapshotRow = [&](int y) { return snapshot + std::size_t(y) * frame.rowBytes(); };
    for (int iteration = 0; iteration < count; ++iteration) {
        const int iterationTop = w.top;
        for (int y = iterationTop + 1; y < w.bottom - 1; ++y) {
            const uint8_t* above = snapshotRow(y - 1);
            const uint8_t* here = snapshotRow(y);
            const uint8_t* below = snapshotRow(y + 1);
            const int lastChange = MorphFrameRow<mode>(above, here, below, frame.row(y), step, w.left + 1, w.right - 1);
            w.noteRow(
                y, lastChange != kNoChange, iterationTop,
                [&](int after) { return lastChange > after ? lastChange : kNoChange; },
                [&](int x) { return FramePixelChanges<mode>(above, here, below, step, std::size_t(x)); });
            if (frame.width > 0)
                PaintPixel(frame, y, frame.width - 1, 0);
        }
        if (iterationTop < w.bottom) {
            std::fill_n(frame.row(w.bottom - 1), frame.rowBytes(), 0);
            CopyRows(frame.pixels, snapshot, frame.rowBytes(), iterationTop, w.bottom);
        }
        w.endIteration();
    }
}

template <int mode>
VIZMAR_VECTOR_CLONES void MorphMaskIn(uint8_t* readCopy, uint8_t* mask, int width, int height, WindowTracker& w,
                                      int count)
{
    const auto row = [&](uint8_t* bytes, int y) { return bytes + std::size_t(y) * std::size_t(width); };
    for (int iteration = 0; iteration < count; ++iteration) {
        const int iterationTop = w.top;
        // Each row goes back into the read copy as soon as the row below has read it, while
        // both are still in the cache; a frame-sized copy at the end would fetch them again.
        int refreshedUpTo = iterationTop;
        for (int y = iterationTop + 1; y < w.bottom - 1; ++y) {
            ClearMaskByte(mask, width, y, w.left);
            const uint8_t* above = row(readCopy, y - 1);
            const uint8_t* here = row(readCopy, y);
            const uint8_t* below = row(readCopy, y + 1);
            const int first = w.left + 1;
            const int end = w.right - 1;
            const bool changed = MorphMaskRow<mode>(above, here, below, row(mask, y), first, end);
            w.noteRow(
                y, changed, iterationTop,
                [&](int after) { return LastMaskChange<mode>(above, here, below, std::max(first, after + 1), end); },
                [&](int x) { return MaskByteChanges<mode>(above, here, below, x); });
            ClearMaskByte(mask, width, y, w.right - 1);
            CopyRows(mask, readCopy, std::size_t(width), y - 1, y);
            refreshedUpTo = y;
        }
        if (iterationTop < w.bottom) {
            ClearMaskRow(mask, width, height, w.bottom - 1);
            CopyRows(mask, readCopy, std::size_t(width), refreshedUpTo, w.bottom);
        }
        w.endIteration();
    }
}

void ClearMaskBit(MaskBits& mask, int y, int x)
{
    if (x >= 0 && x < mask.width)
        mask.row(y)[x / kMaskWordBits] &= ~(uint64_t(1) << (x % kMaskWordBits));
}

void ClearBitRow(MaskBits& mask, int y)
{
    if (y >= 0 && y < mask.height)
        std::fill_n(mask.row(y), mask.paddedWords(), 0);
}

// Whole rows, their zero words either side included.
void CopyBitRows(const MaskBits& from, MaskBits& to, int first, int end)
{
    const std::size_t start = std::size_t(first) * from.stride;
    std::copy_n(from.words.begin() + std::ptrdiff_t(start), std::size_t(end - first) * from.stride,
                to.words.begin() + std::ptrdiff_t(start));
}

// The row scratch holds the columns of the iteration's window and the changes of a row.
template <int mode>
VIZMAR_VECTOR_CLONES void MorphMaskBitsIn(MaskBits& readCopy, MaskBits& mask, WindowTracker& w, int count,
                                          uint64_t* columns, uint64_t* changes)
{
    for (int iteration = 0; iteration < count; ++iteration) {
        const int iterationTop = w.top;
        const int first = w.left + 1;
        const int end = w.right - 1;
        FillColumns(columns, mask.paddedWords(), first, end);
        int refreshedUpTo = iterationTop;
        for (int y = iterationTop + 1; y < w.bottom - 1; ++y) {
            ClearMaskBit(mask, y, w.left);
            const bool changed = MorphBitsRow<mode>(readCopy.row(y - 1), readCopy.row(y), readCopy.row(y + 1),
                                                    mask.row(y), columns, changes, first, end);
            w.noteRow(
                y, changed, iterationTop,
                [&](int after) { return LastChangeFrom(changes, std::max(first, after + 1), end); },
                [&](int x) { return BitAt(changes, x); });
            ClearMaskBit(mask, y, w.right - 1);
            CopyBitRows(mask, readCopy, y - 1, y);
            refreshedUpTo = y;
        }
        if (iterationTop < w.bottom) {
            ClearBitRow(mask, w.bottom - 1);
            CopyBitRows(mask, readCopy, refreshedUpTo, w.bottom);
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
    WithPixelStep(frame.bytesPerPixel, [&](auto step) {
        if (mode == kErodeFrame)
            MorphFrameIn<kErodeFrame>(frame, step, w, count, snapshot.data());
        else
            MorphFrameIn<kDilateFrame>(frame, step, w, count, snapshot.data());
    });
    window = w.window();
}

void MorphMask(uint8_t* readCopy, uint8_t* mask, int width, int height, int mode, WorkWindow& window, int count)
{
    if (window.top == window.bottom)
        return;
    width = std::max(width, 0);
    height = std::max(height, 0);
    WindowTracker w = TrackInsideFrame(window, width, height);
    CopyWhatTheFirstIterationKeeps(readCopy, mask, width, height, w, count);
    ClearMaskRow(mask, width, height, w.top);
    if (mode == kShrinkMask)
        MorphMaskIn<kShrinkMask>(readCopy, mask, width, height, w, count);
    else
        MorphMaskIn<kGrowMask>(readCopy, mask, width, height, w, count);
    window = w.window();
}

void MorphMaskBits(MaskBits& readCopy, MaskBits& mask, int mode, WorkWindow& window, int count,
                   std::vector<uint64_t>& rowScratch)
{
    if (window.top == window.bottom)
        return;
    WindowTracker w = TrackInsideFrame(window, readCopy.width, readCopy.height);
    mask.resize(readCopy.width, readCopy.height);
    mask.words = readCopy.words;
    ClearBitRow(mask, w.top);
    const std::size_t words = readCopy.paddedWords();
    rowScratch.resize(2 * words);
    uint64_t* columns = rowScratch.data();
    if (mode == kShrinkMask)
        MorphMaskBitsIn<kShrinkMask>(readCopy, mask, w, count, columns, columns + words);
    else
        MorphMaskBitsIn<kGrowMask>(readCopy, mask, w, count, columns, columns + words);
    window = w.window();
}
