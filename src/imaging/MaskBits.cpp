#include "imaging/MaskBits.h"

#include <algorithm>

namespace {

constexpr int kWordBits = 64;

// One byte's eight bits as eight bytes of 0 or 1: the byte copied into every byte, each byte
// keeping its own bit, then that bit moved to the byte's bottom by an add that cannot carry
// out of the byte.
uint64_t SpreadByte(uint64_t bits)
{
    const uint64_t ownBit = (bits * 0x0101010101010101ull) & 0x8040201008040201ull;
    return ((ownBit + 0x7F7F7F7F7F7F7F7Full) >> 7) & 0x0101010101010101ull;
}

}  // namespace

void MaskBits::resize(int newWidth, int newHeight)
{
    newWidth = std::max(newWidth, 0);
    newHeight = std::max(newHeight, 0);
    if (newWidth == width && newHeight == height && !words.empty())
        return;
    const std::size_t rowWords = (std::size_t(newWidth) + kWordBits - 1) / kWordBits;
    const std::size_t padded = (rowWords + kMaskVectorWords - 1) / kMaskVectorWords * kMaskVectorWords;
    width = newWidth;
    height = newHeight;
    stride = padded + 2;
    words.assign(stride * std::size_t(height), 0);
}

void PackFlagRow(const uint8_t* flags, int count, uint64_t* row)
{
    int x = 0;
    for (; x + kWordBits <= count; x += kWordBits) {
        uint64_t word = 0;
        for (int byte = 0; byte < 8; ++byte)
            word |= PackEightFlags(flags + x + 8 * byte) << (8 * byte);
        row[x / kWordBits] = word;
    }
    if (x < count) {
        uint64_t word = 0;
        for (int k = 0; x + k < count; ++k)
            word |= uint64_t(flags[x + k] & 1) << k;
        row[x / kWordBits] = word;
    }
}

void UnpackFlagRow(const uint64_t* row, int count, uint8_t* flags)
{
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const uint64_t eight = SpreadByte((row[x / kWordBits] >> (x % kWordBits)) & 0xFF);
        std::memcpy(flags + x, &eight, sizeof eight);
    }
    for (; x < count; ++x)
        flags[x] = static_cast<uint8_t>((row[x / kWordBits] >> (x % kWordBits)) & 1);
}
