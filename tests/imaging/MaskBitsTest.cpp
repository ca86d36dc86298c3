#include "imaging/MaskBits.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

TEST(MaskBits, FlagRowsPackIntoTheirBits)
{
    std::mt19937 random(5);
    MaskBits bits;
    for (const int width : {1, 7, 8, 9, 63, 64, 65, 100, 511, 512, 513, 1000}) {
        SCOPED_TRACE(width);
        bits.resize(width, 2);
        std::vector<uint8_t> flags(static_cast<std::size_t>(width));
        for (uint8_t& flag : flags)
            flag = static_cast<uint8_t>(random() % 2);
        PackFlagRow(flags.data(), width, bits.row(1));

        for (int x = 0; x < width; ++x)
            ASSERT_EQ(bits.at(1, x), flags[std::size_t(x)] != 0) << x;
        // The bits past the row's end and the words either side stay 0, and so does row 0.
        const uint64_t* row = bits.row(1);
        EXPECT_EQ(row[-1], 0u);
        EXPECT_EQ(row[bits.paddedWords()], 0u);
        for (std::size_t word = (std::size_t(width) + 63) / 64; word < bits.paddedWords(); ++word)
            EXPECT_EQ(row[word], 0u) << word;
        if (width % 64 != 0) {
            EXPECT_EQ(row[width / 64] >> (width % 64), 0u);
        }
        for (std::size_t word = 0; word < bits.stride; ++word)
            EXPECT_EQ(bits.words[word], 0u);
    }
}

TEST(MaskBits, ResizingToTheSameSizeKeepsTheBitsAndAnotherSizeClearsThem)
{
    MaskBits bits;
    bits.resize(70, 3);
    EXPECT_EQ(bits.stride, 8u + 2u);
    bits.row(2)[1] = 5;
    const uint64_t* memory = bits.words.data();

    bits.resize(70, 3);
    EXPECT_EQ(bits.words.data(), memory);
    EXPECT_EQ(bits.row(2)[1], 5u);

    bits.resize(600, 3);
    EXPECT_EQ(bits.stride, 16u + 2u);
    EXPECT_EQ(bits.words, std::vector<uint64_t>(bits.stride * 3, 0));
}

}  // namespace
