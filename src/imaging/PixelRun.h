#pragma once

#include "imaging/PixelBlock.h"

// Sixteen 3-byte pixels, which fill three 16-byte vectors exactly: the unit of the loops that
// work a row from both ends, such as the mirror.
constexpr std::size_t kRunPixels = 16;

struct PixelRun {
    Bytes16 part[3];
};

VIZMAR_CLONE_HELPER PixelRun LoadRun(const uint8_t* bytes)
{
    return {{Load16(bytes), Load16(bytes + 16), Load16(bytes + 32)}};
}

VIZMAR_CLONE_HELPER void StoreRun(uint8_t* bytes, const PixelRun& run)
{
    for (int k = 0; k < 3; ++k)
        Store16(bytes + 16 * k, run.part[k]);
}

namespace pixel_run {

// Byte i of a reversed run of sixteen pixels is byte c of pixel 15 − p, for i = 3p + c.
constexpr int ReversedByte(int i)
{
    return 3 * (15 - i / 3) + i % 3;
}

// Each part of the reversed run from the parts it draws on, numbered from the first of the
// two shuffled: part 0 draws on parts 1 and 2, part 2 on parts 0 and 1, and part 1 on all
// three, so its one byte from part 0 is put in by a second shuffle.
constexpr int FirstPartFromLastTwo(int j)
{
    return ReversedByte(j) - 16;
}

constexpr int MiddlePartFromLastTwo(int j)
{
    return ReversedByte(16 + j) >= 16 ? ReversedByte(16 + j) - 16 : 0;
}

constexpr int MiddlePartWithItsByteOfPart0(int j)
{
    return ReversedByte(16 + j) >= 16 ? j : 16 + ReversedByte(16 + j);
}

constexpr int LastPartFromFirstTwo(int j)
{
    return ReversedByte(32 + j);
}

}  // namespace pixel_run

// The run's pixels in reverse order.
VIZMAR_CLONE_HELPER PixelRun Reversed(const PixelRun& run)
{
    using namespace pixel_run;
    const Bytes16 middle = Shuffle<MiddlePartFromLastTwo>(run.part[1], run.part[2]);
    return {{Shuffle<FirstPartFromLastTwo>(run.part[1], run.part[2]),
             Shuffle<MiddlePartWithItsByteOfPart0>(middle, run.part[0]),
             Shuffle<LastPartFromFirstTwo>(run.part[0], run.part[1])}};
}

namespace pixel_run {

// A run's shuffle of two parts applied to both runs of a block at once, output lane q drawing
// on lane q of the parts (InLanes) or on the other lane (OnOtherRun, so that the runs trade
// places); f's indices 0 to 15 stand for the first part's lane, 16 to 31 for the second's.
template <int (*f)(int), bool swapRuns>
constexpr int RunShuffle(int j)
{
    const int run = swapRuns ? 1 - j / 16 : j / 16;
    const int i = f(j % 16);
    return i < 16 ? 16 * run + i : int(kBlockPixels) - 16 + 16 * run + i;
}

}  // namespace pixel_run

// The block's 32 pixels in reverse order: each run reversed, and the two runs swapped.
VIZMAR_CLONE_HELPER PixelBlock Reversed(const PixelBlock& b)
{
    using namespace pixel_run;
    const BlockBytes middle = Shuffle<RunShuffle<MiddlePartFromLastTwo, false>>(b.part[1], b.part[2]);
    return {{Shuffle<RunShuffle<FirstPartFromLastTwo, true>>(b.part[1], b.part[2]),
             Shuffle<RunShuffle<MiddlePartWithItsByteOfPart0, true>>(middle, b.part[0]),
             Shuffle<RunShuffle<LastPartFromFirstTwo, true>>(b.part[0], b.part[1])}};
}

