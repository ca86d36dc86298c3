#pragma once

#include "imaging/VectorClones.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

// Thirty-two 3-byte (blue, green, red) pixels held in vector registers. The compiler cannot
// arrange such interleaved bytes into vector lanes well by itself, so the pixel loops of the
// pipeline's 3-byte frames work a block at a time with fixed byte shuffles and finish the row
// or frame pixel by pixel.
//
// A block is two runs of sixteen pixels, 48 bytes each, held in three 32-byte vectors: lane q
// (16 bytes) of part k holds bytes 16k to 16k + 15 of run q. Every shuffle then stays within
// a lane, which processors shuffle fastest.

constexpr std::size_t kBlockLanes = 2;
constexpr std::size_t kBlockPixels = 16 * kBlockLanes;
constexpr std::size_t kBlockBytes = 3 * kBlockPixels;

using Bytes16 = uint8_t __attribute__((vector_size(16)));
using BlockBytes = uint8_t __attribute__((vector_size(kBlockPixels)));
using BlockWords = uint16_t __attribute__((vector_size(2 * kBlockPixels)));

struct PixelBlock {
    BlockBytes part[3];
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

// One byte for each pixel of a block.
VIZMAR_CLONE_HELPER BlockBytes LoadBytes(const uint8_t* bytes)
{
    BlockBytes v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}

VIZMAR_CLONE_HELPER void StoreBytes(uint8_t* bytes, BlockBytes v)
{
    std::memcpy(bytes, &v, sizeof v);
}

namespace pixel_block {

// Two vectors side by side in one twice as long.
template <typename Half, typename Whole, std::size_t... i>
VIZMAR_CLONE_HELPER Whole Join(Half a, Half b, std::index_sequence<i...>)
{
    return __builtin_shufflevector(a, b, int(i)...);
}

template <int lane, std::size_t... i>
VIZMAR_CLONE_HELPER Bytes16 Lane(BlockBytes v, std::index_sequence<i...>)
{
    return __builtin_shufflevector(v, v, int(16 * lane + i)...);
}

// The stream byte of lane j / 16 that byte j of a lane-ordered vector stands for.
constexpr int LaneOf(int j)
{
    return j / 16;
}

constexpr int PlaceInLane(int j)
{
    return j % 16;
}

// Byte j of a lane of part k is stream byte 16k + j of its run, which belongs to channel
// (16k + j) % 3 = (k + j) % 3. So at each place j exactly one part holds a byte of channel c,
// part (c − j) mod 3, and a blend of the three parts gathers all sixteen bytes of the channel
// in a run; byte 3p + c of the run, pixel p's, lies at place (3p + c) % 16, from where one
// shuffle within each lane sorts the gathered bytes into pixel order, and back.
constexpr int PartHoldingChannel(int c, int j)
{
    return ((c - PlaceInLane(j)) % 3 + 3) % 3;
}

template <int c>
constexpr int PlaceOfPixelByte(int j)
{
    return LaneOf(j) * 16 + (3 * PlaceInLane(j) + c) % 16;
}

// The pixel whose byte of channel c lies at place j of the gathered channel.
template <int c>
constexpr int PixelOfPlace(int j)
{
    int pixel = 0;
    while ((3 * pixel + c) % 16 != PlaceInLane(j))
        ++pixel;
    return LaneOf(j) * 16 + pixel;
}

// 0xFF at the places where part k holds a byte of channel c.
template <int c, int k>
VIZMAR_CLONE_HELPER BlockBytes ChannelPlaces()
{
    BlockBytes places;
    for (int j = 0; j < int(kBlockPixels); ++j)
        places[j] = PartHoldingChannel(c, j) == k ? 0xFF : 0;
    return places;
}

template <int c>
VIZMAR_CLONE_HELPER BlockBytes GatherChannel(const BlockBytes (&part)[3])
{
    return (part[0] & ChannelPlaces<c, 0>()) | (part[1] & ChannelPlaces<c, 1>()) | (part[2] & ChannelPlaces<c, 2>());
}

// Byte j of part k stands for stream byte 16k + j of its run, a byte of pixel (16k + j) / 3.
template <int k>
constexpr int SpreadPart(int j)
{
    return LaneOf(j) * 16 + (16 * k + PlaceInLane(j)) / 3;
}

// Byte 0 order: pixel p's value at place 3p % 16 of its lane, where the gathered channel 0
// holds it. Channel c is brought there from its own gathered places.
template <int c>
constexpr int FromChannelToByte0Order(int j)
{
    return LaneOf(j) * 16 + (PlaceInLane(PixelOfPlace<0>(j)) * 3 + c) % 16;
}

// Byte j of part k stands for a byte of pixel (16k + j) / 3, taken from byte 0 order.
template <int k>
constexpr int SpreadPartFromByte0Order(int j)
{
    return LaneOf(j) * 16 + (3 * ((16 * k + PlaceInLane(j)) / 3)) % 16;
}

// Part k of the block whose gathered channels are given: each place from the channel whose
// byte part k holds there.
template <int k>
VIZMAR_CLONE_HELPER BlockBytes ScatterToPart(const BlockBytes (&gathered)[3])
{
    return (gathered[0] & ChannelPlaces<0, k>()) | (gathered[1] & ChannelPlaces<1, k>()) |
           (gathered[2] & ChannelPlaces<2, k>());
}

// The 96 bytes of a block are read and written as three 32-byte vectors, stream bytes 0-31,
// 32-63 and 64-95. Part 0 is the first lane of the first and the second lane of the second,
// part 2 the first lane of the second and the second lane of the third: blends. Only part 1,
// the second lane of the first and the first lane of the third, needs a lane shuffle.
constexpr int FirstLaneOfASecondLaneOfB(int j)
{
    return j < 16 ? j : int(kBlockPixels) + j;
}

constexpr int SecondLaneOfAFirstLaneOfB(int j)
{
    return j < 16 ? 16 + j : int(kBlockPixels) + j - 16;
}

constexpr int FirstLanesOfAAndB(int j)
{
    return j < 16 ? j : int(kBlockPixels) + j - 16;
}

constexpr int SecondLanesOfAAndB(int j)
{
    return j < 16 ? 16 + j : int(kBlockPixels) + j;
}

}  // namespace pixel_block

static_assert(kBlockLanes == 2, "a block loads and stores two runs");

// The block of the 96 bytes low, middle and high, as they lie in memory.
VIZMAR_CLONE_HELPER PixelBlock BlockOfBytes(BlockBytes low, BlockBytes middle, BlockBytes high)
{
    using namespace pixel_block;
    return {{Shuffle<FirstLaneOfASecondLaneOfB>(low, middle), Shuffle<SecondLaneOfAFirstLaneOfB>(low, high),
             Shuffle<FirstLaneOfASecondLaneOfB>(middle, high)}};
}

VIZMAR_CLONE_HELPER PixelBlock LoadPixelBlock(const uint8_t* bytes)
{
    return BlockOfBytes(LoadBytes(bytes), LoadBytes(bytes + 32), LoadBytes(bytes + 64));
}

VIZMAR_CLONE_HELPER void StorePixelBlock(uint8_t* bytes, const PixelBlock& block)
{
    using namespace pixel_block;
    StoreBytes(bytes, Shuffle<FirstLanesOfAAndB>(block.part[0], block.part[1]));
    StoreBytes(bytes + 32, Shuffle<FirstLaneOfASecondLaneOfB>(block.part[2], block.part[0]));
    StoreBytes(bytes + 64, Shuffle<SecondLanesOfAAndB>(block.part[1], block.part[2]));
}

// Byte c of each pixel, in pixel order.
template <int c>
VIZMAR_CLONE_HELPER BlockBytes Channel(const PixelBlock& b)
{
    using namespace pixel_block;
    const BlockBytes gathered = GatherChannel<c>(b.part);
    return Shuffle<PlaceOfPixelByte<c>>(gathered, gathered);
}

// A block whose pixels carry the given byte, pixel i's, in all three of their bytes.
VIZMAR_CLONE_HELPER PixelBlock Spread(BlockBytes v)
{
    using namespace pixel_block;
    return {{Shuffle<SpreadPart<0>>(v, v), Shuffle<SpreadPart<1>>(v, v), Shuffle<SpreadPart<2>>(v, v)}};
}

// The block whose pixel i has the bytes b0[i], b1[i] and b2[i].
VIZMAR_CLONE_HELPER PixelBlock Interleave(BlockBytes b0, BlockBytes b1, BlockBytes b2)
{
    using namespace pixel_block;
    const BlockBytes gathered[3] = {Shuffle<PixelOfPlace<0>>(b0, b0), Shuffle<PixelOfPlace<1>>(b1, b1),
                                    Shuffle<PixelOfPlace<2>>(b2, b2)};
    return {{ScatterToPart<0>(gathered), ScatterToPart<1>(gathered), ScatterToPart<2>(gathered)}};
}

// (306 R + 601 G + 117 B) >> 10 of the pixels whose channels are given, in any one order, in
// 16-bit lanes: with T = 50 R + 89 G + 117 B (below 65536), the sum is 256 (R + 2 G) + T, and
// as T's low byte cannot carry the sum past a multiple of 1024, the grey is
// (R + 2 G + (T >> 8)) >> 2.
VIZMAR_CLONE_HELPER BlockBytes GreyOfChannels(BlockBytes blueBytes, BlockBytes greenBytes, BlockBytes redBytes)
{
    const BlockWords blue = __builtin_convertvector(blueBytes, BlockWords);
    const BlockWords green = __builtin_convertvector(greenBytes, BlockWords);
    const BlockWords red = __builtin_convertvector(redBytes, BlockWords);
    const BlockWords t = 50 * red + 89 * green + 117 * blue;
    const BlockWords grey = (red + 2 * green + (t >> 8)) >> 2;
    return __builtin_convertvector(grey, BlockBytes);
}

// The grey of each pixel, in pixel order.
VIZMAR_CLONE_HELPER BlockBytes GreyOf(const PixelBlock& b)
{
    return GreyOfChannels(Channel<0>(b), Channel<1>(b), Channel<2>(b));
}

// Work that ends in the block's own pixels is done in byte 0 order, which saves the shuffles
// into pixel order and back: channel 0 is there after its blend alone.
template <int c>
VIZMAR_CLONE_HELPER BlockBytes ChannelInByte0Order(const PixelBlock& b)
{
    using namespace pixel_block;
    const BlockBytes gathered = GatherChannel<c>(b.part);
    if constexpr (c == 0)
        return gathered;
    else
        return Shuffle<FromChannelToByte0Order<c>>(gathered, gathered);
}

VIZMAR_CLONE_HELPER BlockBytes GreyInByte0Order(const PixelBlock& b)
{
    return GreyOfChannels(ChannelInByte0Order<0>(b), ChannelInByte0Order<1>(b), ChannelInByte0Order<2>(b));
}

// Spread for a value in byte 0 order.
VIZMAR_CLONE_HELPER PixelBlock SpreadFromByte0Order(BlockBytes v)
{
    using namespace pixel_block;
    return {{Shuffle<SpreadPartFromByte0Order<0>>(v, v), Shuffle<SpreadPartFromByte0Order<1>>(v, v),
             Shuffle<SpreadPartFromByte0Order<2>>(v, v)}};
}

// The block with byte 0 of each pixel replaced by its value in v, which is in byte 0 order;
// the other bytes stay.
VIZMAR_CLONE_HELPER PixelBlock WithByte0FromByte0Order(const PixelBlock& b, BlockBytes v)
{
    using namespace pixel_block;
    return {{(b.part[0] & ~ChannelPlaces<0, 0>()) | (v & ChannelPlaces<0, 0>()),
             (b.part[1] & ~ChannelPlaces<0, 1>()) | (v & ChannelPlaces<0, 1>()),
             (b.part[2] & ~ChannelPlaces<0, 2>()) | (v & ChannelPlaces<0, 2>())}};
}

// 1 << (v[i] % 8) for each byte: a lookup within each 16-byte lane.
VIZMAR_CLONE_HELPER BlockBytes BitOfEach(BlockBytes v)
{
    const BlockBytes places = v & 7;
#if defined(__clang__)
    // Clang cannot shuffle by a vector of indices; only the fuzzing build uses it.
    BlockBytes bits;
    for (std::size_t i = 0; i < kBlockPixels; ++i)
        bits[i] = uint8_t(1u << places[i]);
    return bits;
#else
    using namespace pixel_block;
    const Bytes16 bits = {1, 2, 4, 8, 16, 32, 64, 128, 1, 2, 4, 8, 16, 32, 64, 128};
    return Join<Bytes16, BlockBytes>(__builtin_shuffle(bits, Lane<0>(places, std::make_index_sequence<16>{})),
                                     __builtin_shuffle(bits, Lane<1>(places, std::make_index_sequence<16>{})),
                                     std::make_index_sequence<32>{});
#endif
}

// 0xFF for each of the 32 pixels whose bit is set, from bit 0 on: the four bytes of bits
// copied into every four bytes, then byte i of the result taken from byte i / 8 of its own
// 16-byte lane, which shuffles fastest, and tested for its bit.
VIZMAR_CLONE_HELPER BlockBytes FlagsOfBits(uint32_t bits)
{
    using BlockDwords = uint32_t __attribute__((vector_size(kBlockPixels)));
    const auto copies = reinterpret_cast<BlockBytes>(BlockDwords{} + bits);
    const BlockBytes byteOfPixel = __builtin_shufflevector(copies, copies, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1,
                                                           1, 18, 18, 18, 18, 18, 18, 18, 18, 19, 19, 19, 19, 19, 19,
                                                           19, 19);
    const BlockBytes bitOfPixel = {1, 2, 4, 8, 16, 32, 64, 128, 1, 2, 4, 8, 16, 32, 64, 128,
                                   1, 2, 4, 8, 16, 32, 64, 128, 1, 2, 4, 8, 16, 32, 64, 128};
    return reinterpret_cast<BlockBytes>((byteOfPixel & bitOfPixel) == bitOfPixel);
}

