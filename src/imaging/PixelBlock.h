#pragma once

#include "VectorClones.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

// Thirty-two 3-byte (blue, green, red) pixels held in vector registers. The compiler cannot
// arrange such interleaved bytes into vector lanes well by itself, so the pixel loops of the
// pipeline's 3-byte frames work a block at a time with these fixed byte shuffles and finish
// the row or frame pixel by pixel.
//
// The 96 bytes sit in three 32-byte vectors whose two halves hold the two 48-byte halves of the
// block: part k holds bytes 16k to 16k + 15 of pixels 0-15 and of pixels 16-31. Every shuffle
// then stays within a half, which processors shuffle fastest.

using Bytes16 = uint8_t __attribute__((vector_size(16)));
using Bytes32 = uint8_t __attribute__((vector_size(32)));
using Words32 = uint16_t __attribute__((vector_size(64)));

constexpr std::size_t kBlockPixels = 32;
constexpr std::size_t kBlockBytes = 3 * kBlockPixels;

struct PixelBlock {
    Bytes32 part[3];
};

// The bytes of a and then b, numbered on from a's first, taken in the order source(0),
// source(1), ...: a fixed shuffle given by a formula.
template <int (*source)(int), typename Bytes, std::size_t... i>
VIZMAR_CLONE_HELPER Bytes ShuffleBy(Bytes a, Bytes b, std::index_sequence<i...>)
{
    return __builtin_shufflevector(a, b, source(int(i))...);
}

template <int (*source)(int), typename Bytes>
VIZMAR_CLONE_HELPER Bytes Shuffle(Bytes a, Bytes b)
{
    return ShuffleBy<source>(a, b, std::make_index_sequence<sizeof(Bytes)>{});
}

VIZMAR_CLONE_HELPER Bytes16 Load16(const uint8_t* bytes)
{
    Bytes16 v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}

VIZMAR_CLONE_HELPER void Store16(uint8_t* bytes, Bytes16 v)
{
    std::memcpy(bytes, &v, sizeof v);
}

// 32 bytes, one per pixel of a block.
VIZMAR_CLONE_HELPER Bytes32 LoadBytes(const uint8_t* bytes)
{
    Bytes32 v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}

VIZMAR_CLONE_HELPER void StoreBytes(uint8_t* bytes, Bytes32 v)
{
    std::memcpy(bytes, &v, sizeof v);
}

VIZMAR_CLONE_HELPER PixelBlock LoadPixelBlock(const uint8_t* bytes)
{
    PixelBlock block;
    for (int k = 0; k < 3; ++k)
        block.part[k] = __builtin_shufflevector(Load16(bytes + 16 * k), Load16(bytes + 48 + 16 * k), 0, 1, 2, 3, 4, 5, 6,
                                                7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26,
                                                27, 28, 29, 30, 31);
    return block;
}

VIZMAR_CLONE_HELPER void StorePixelBlock(uint8_t* bytes, const PixelBlock& block)
{
    for (int k = 0; k < 3; ++k) {
        const Bytes32 v = block.part[k];
        Store16(bytes + 16 * k, __builtin_shufflevector(v, v, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
        Store16(bytes + 48 + 16 * k,
                __builtin_shufflevector(v, v, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31));
    }
}

// Byte c of each of the 32 pixels, in pixel order. The first shuffle gathers what parts 0 and 1
// hold of the channel, the second adds what part 2 holds.
template <int c>
VIZMAR_CLONE_HELPER Bytes32 Channel(const PixelBlock& b)
{
    if constexpr (c == 0) {
        const Bytes32 t = __builtin_shufflevector(b.part[0], b.part[1], 0, 3, 6, 9, 12, 15, 34, 37, 40, 43, 46, 0, 0, 0, 0, 0,
                                                  16, 19, 22, 25, 28, 31, 50, 53, 56, 59, 62, 16, 16, 16, 16, 16);
        return __builtin_shufflevector(t, b.part[2], 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 33, 36, 39, 42, 45, 16, 17, 18, 19,
                                       20, 21, 22, 23, 24, 25, 26, 49, 52, 55, 58, 61);
    } else if constexpr (c == 1) {
        const Bytes32 t = __builtin_shufflevector(b.part[0], b.part[1], 1, 4, 7, 10, 13, 32, 35, 38, 41, 44, 47, 0, 0, 0, 0, 0,
                                                  17, 20, 23, 26, 29, 48, 51, 54, 57, 60, 63, 16, 16, 16, 16, 16);
        return __builtin_shufflevector(t, b.part[2], 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 34, 37, 40, 43, 46, 16, 17, 18, 19,
                                       20, 21, 22, 23, 24, 25, 26, 50, 53, 56, 59, 62);
    } else {
        const Bytes32 t = __builtin_shufflevector(b.part[0], b.part[1], 2, 5, 8, 11, 14, 33, 36, 39, 42, 45, 0, 0, 0, 0, 0, 0,
                                                  18, 21, 24, 27, 30, 49, 52, 55, 58, 61, 16, 16, 16, 16, 16, 16);
        return __builtin_shufflevector(t, b.part[2], 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 32, 35, 38, 41, 44, 47, 16, 17, 18, 19, 20,
                                       21, 22, 23, 24, 25, 48, 51, 54, 57, 60, 63);
    }
}

// A block whose pixels carry the given byte, pixel i's, in all three of their bytes.
VIZMAR_CLONE_HELPER PixelBlock Spread(Bytes32 v)
{
    return {{__builtin_shufflevector(v, v, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 16, 16, 16, 17, 17, 17, 18, 18, 18,
                                     19, 19, 19, 20, 20, 20, 21),
             __builtin_shufflevector(v, v, 5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10, 21, 21, 22, 22, 22, 23, 23, 23,
                                     24, 24, 24, 25, 25, 25, 26, 26),
             __builtin_shufflevector(v, v, 10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15, 26, 27, 27, 27, 28,
                                     28, 28, 29, 29, 29, 30, 30, 30, 31, 31, 31)}};
}

// The block with byte 0 of pixel i replaced by v[i]; the other bytes stay.
VIZMAR_CLONE_HELPER PixelBlock WithChannel0(const PixelBlock& b, Bytes32 v)
{
    // Byte 0 of a pixel falls on every third stream byte: in part 0 on its bytes 0, 3, ...,
    // in part 1 on its bytes 2, 5, ... and in part 2 on its bytes 1, 4, ... of each half.
    constexpr Bytes32 kHalfIndex{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                                 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    constexpr uint8_t kPhase[3] = {0, 2, 1};
    const PixelBlock spread = Spread(v);
    PixelBlock out;
    for (int k = 0; k < 3; ++k) {
        const auto isByte0 = reinterpret_cast<Bytes32>(kHalfIndex % 3 == kPhase[k]);
        out.part[k] = (spread.part[k] & isByte0) | (b.part[k] & ~isByte0);
    }
    return out;
}

// (306 R + 601 G + 117 B) >> 10 in 16-bit lanes: with T = 50 R + 89 G + 117 B (below 65536),
// the sum is 256 R + 512 G + T, and dropping T's multiples of 1024 first keeps every
// intermediate below 65536.
VIZMAR_CLONE_HELPER Bytes32 GreyOf(const PixelBlock& b)
{
    const Words32 blue = __builtin_convertvector(Channel<0>(b), Words32);
    const Words32 green = __builtin_convertvector(Channel<1>(b), Words32);
    const Words32 red = __builtin_convertvector(Channel<2>(b), Words32);
    const Words32 t = 50 * red + 89 * green + 117 * blue;
    const Words32 grey = (t >> 10) + ((64 * red + 128 * green + ((t & 1023) >> 2)) >> 8);
    return __builtin_convertvector(grey, Bytes32);
}
