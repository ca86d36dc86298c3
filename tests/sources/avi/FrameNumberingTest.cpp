#include "sources/avi/FrameNumbering.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

struct NumberingCase {
    const char* name;
    std::vector<int64_t> acceptedPackets;
    int reorderDelay;
    std::vector<std::optional<int64_t>> timestamps;
    std::vector<int64_t> expected;
};

TEST(FrameNumbering, NumbersFramesInDisplayOrder)
{
    const NumberingCase cases[] = {
        {"no reordering", {4, 5, 6}, 0, {4, 5, 6}, {4, 5, 6}},
        {"B-frame decoder lagging two packets", {10, 11, 12, 13}, 2, {12, 13, 14, 15}, {10, 11, 12, 13}},
        {"empty chunks leave gaps", {0, 1, 3, 4}, 0, {0, 1, 3, 4}, {0, 1, 3, 4}},
        {"frames drained without timestamps", {5, 6, 7}, 1, {6, 7, std::nullopt, std::nullopt}, {5, 6, 7, 8}},
        {"only drained frames after a seek", {20, 21}, 2, {std::nullopt, std::nullopt}, {20, 21}},
        {"timestamps that do not increase", {0, 1, 2}, 0, {3, 3, 2}, {3, 4, 5}},
        {"nothing known", {}, 0, {std::nullopt, std::nullopt}, {0, 1}},
    };
    for (const NumberingCase& c : cases) {
        SCOPED_TRACE(c.name);
        FrameNumbering numbering;
        for (const int64_t packet : c.acceptedPackets)
            numbering.NoteAcceptedPacket(packet);
        std::vector<int64_t> numbers;
        for (const auto& timestamp : c.timestamps)
            numbers.push_back(numbering.NumberNextFrame(timestamp, c.reorderDelay));
        EXPECT_EQ(numbers, c.expected);
    }
}

TEST(FrameNumbering, RestartForgetsTheOldCount)
{
    FrameNumbering numbering;
    numbering.NoteAcceptedPacket(30);
    EXPECT_EQ(numbering.NumberNextFrame(30, 0), 30);
    EXPECT_EQ(numbering.NumberNextFrame(31, 0), 31);

    numbering.Restart();
    numbering.NoteAcceptedPacket(20);
    EXPECT_EQ(numbering.NumberNextFrame(std::nullopt, 0), 20);
    EXPECT_EQ(numbering.NumberNextFrame(21, 0), 21);
}

}  // namespace
