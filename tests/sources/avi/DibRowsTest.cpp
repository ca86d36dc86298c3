#include "sources/avi/DibRows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Three rows of 5 bytes, each padded to 8 bytes; row r holds r*10 + column.
std::vector<uint8_t> PaddedRows()
{
    std::vector<uint8_t> rows(3 * 8, 0xEE);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            rows[std::size_t(r) * 8 + c] = uint8_t(r * 10 + c);
    return rows;
}

const std::vector<uint8_t> kBottomUp{20, 21, 22, 23, 24, 10, 11, 12, 13, 14, 0, 1, 2, 3, 4};

TEST(PackRowsBottomUp, DropsThePaddingAndPutsTheTopRowLast)
{
    const std::vector<uint8_t> rows = PaddedRows();
    std::vector<uint8_t> packed(15);
    PackRowsBottomUp(rows.data(), 8, 5, 3, packed.data());
    EXPECT_EQ(packed, kBottomUp);
}

TEST(PackRowsBottomUp, FollowsANegativeStrideFromTheTopRow)
{
    // The same picture stored bottom-up: the top row is the last one in memory.
    const std::vector<uint8_t> topDown = PaddedRows();
    std::vector<uint8_t> bottomUp(topDown.size());
    for (int r = 0; r < 3; ++r)
        std::copy_n(topDown.begin() + r * 8, 8, bottomUp.begin() + (2 - r) * 8);
    std::vector<uint8_t> packed(15);
    PackRowsBottomUp(bottomUp.data() + 16, -8, 5, 3, packed.data());
    EXPECT_EQ(packed, kBottomUp);
}

}  // namespace
