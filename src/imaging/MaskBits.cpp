#include "imaging/MaskBits.h"

#include <algorithm>

void MaskBits::resize(int newWidth, int newHeight)
{
    newWidth = std::max(newWidth, 0);
    newHeight = std::max(newHeight, 0);
    if (newWidth == width && newHeight == height && !words.empty())
        return;
    const std::size_t rowWords = (std::size_t(newWidth) + kMaskWordBits - 1) / kMaskWordBits;
    const std::size_t padded = (rowWords + kMaskVectorWords - 1) / kMaskVectorWords * kMaskVectorWords;
    width = newWidth;
    height = newHeight;
    stride = padded + 2;
    words.assign(stride * std::size_t(height), 0);
}

void PackFlagRow(const uint8_t* flags, int count, uint64_t* row)
{
    int x = 0;
    for (; x + kMaskWordBits <= count; x += kMaskWordBits) {
        uint64_t word = 0;
        for (int byte = 0; byte < 8; ++byte)
            word |= PackEightFlags(flags + x + 8 * byte) << (8 * byte);
        row[x / kMaskWordBits] = word;
    }
    if (x < count) {
        uint64_t word = 0;
        for (int k = 0; x + k < count; ++k)
            word |= uint64_t(flags[x + k] & 1) << k;
        row[x / kMaskWordBits] = word;
    }
}
