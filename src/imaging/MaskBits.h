#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// A mask of 0s and 1s held as one bit per pixel: the range mask of a frame that arrives as is,
// grown and shrunk by the pipeline. An eighth of the bytes of a mask of one byte per pixel, so
// that it stays in the cache through every iteration, and one word operation works 64 pixels.
//
// Bit x % 64 of word x / 64 of a row is pixel x. A row's words are padded to whole vectors of
// kMaskVectorWords words, with one more zero word on either side, so that a vector of words and
// the words beside it can be read anywhere in the row; the bits past the last pixel stay 0.
constexpr std::size_t kMaskVectorWords = 8;
constexpr int kMaskWordBits = 64;

// Bit x of a row of words: bit x % 64 of word x / 64.
inline bool BitAt(const uint64_t* row, int x)
{
    return (row[x / kMaskWordBits] >> (x % kMaskWordBits)) & 1;
}

struct MaskBits {
    int width = 0;
    int height = 0;
    std::size_t stride = 0;  // words from one row to the next
    std::vector<uint64_t> words;

    // Sized for width × height pixels, all bits 0, when the size changes; the bits are left as
    // they are when it does not.
    void resize(int newWidth, int newHeight);

    // Word 0 of row y; words −1 and paddedWords() are the zero words either side.
    uint64_t* row(int y) { return words.data() + std::size_t(y) * stride + 1; }
    const uint64_t* row(int y) const { return words.data() + std::size_t(y) * stride + 1; }
    std::size_t paddedWords() const { return stride - 2; }
    bool at(int y, int x) const { return BitAt(row(y), x); }
};

// Eight bytes of 0 or 1 into one byte, byte k into bit k.
inline uint64_t PackEightFlags(const uint8_t* flags)
{
    uint64_t eight;
    std::memcpy(&eight, flags, sizeof eight);
    return (eight * 0x0102040810204080ull) >> 56;
}

// A row of count flags of 0 or 1 into the row's words, flag x into bit x.
void PackFlagRow(const uint8_t* flags, int count, uint64_t* row);
