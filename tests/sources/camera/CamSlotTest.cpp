#include "sources/camera/CamSlot.h"
#include "sources/camera/FrameRate.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Distinct fake capture handles; the table only compares them.
CaptureHandle HandleNumber(int n)
{
    static const char anchors[16] = {};
    return reinterpret_cast<CaptureHandle>(&anchors[n]);
}

class CamSlotTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (int n = 0; n < 16; ++n)
            ReleaseCamSlot(HandleNumber(n));
    }
};

TEST_F(CamSlotTest, SixSlotsCanBeClaimedAndASeventhIsRefused)
{
    std::vector<CamSlot*> claimed;
    for (int n = 0; n < kCamSlotCount; ++n) {
        claimed.push_back(RegisterCamSlot(HandleNumber(n), nullptr, nullptr));
        ASSERT_NE(claimed.back(), nullptr);
    }
    EXPECT_EQ(RegisterCamSlot(HandleNumber(6), nullptr, nullptr), nullptr);
    EXPECT_EQ(FindCamSlot(HandleNumber(6)), nullptr);
    for (int n = 0; n < kCamSlotCount; ++n)
        EXPECT_EQ(FindCamSlot(HandleNumber(n)), claimed[std::size_t(n)]);
}

TEST_F(CamSlotTest, AReleasedSlotIsFoundNoMoreAndIsClaimedAgainWithoutItsRecord)
{
    CamSlot* slot = RegisterCamSlot(HandleNumber(0), nullptr, nullptr);
    ASSERT_NE(slot, nullptr);
    slot->frame.resize(100);
    slot->frameLength = 60;
    slot->lastTick = 1234;

    EXPECT_TRUE(ReleaseCamSlot(HandleNumber(0)));
    EXPECT_EQ(FindCamSlot(HandleNumber(0)), nullptr);
    EXPECT_FALSE(ReleaseCamSlot(HandleNumber(0)));

    CamSlot* again = RegisterCamSlot(HandleNumber(1), nullptr, nullptr);
    ASSERT_EQ(again, slot);
    EXPECT_TRUE(again->frame.empty());
    EXPECT_EQ(again->frameLength, 0u);
    EXPECT_EQ(again->lastTick, 1234) << "the previous tick stays when a slot is claimed";
}

TEST_F(CamSlotTest, SlotsAreClaimedInIndexOrder)
{
    CamSlot* first = RegisterCamSlot(HandleNumber(0), nullptr, nullptr);
    CamSlot* second = RegisterCamSlot(HandleNumber(1), nullptr, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(second, first + 1);
    ReleaseCamSlot(HandleNumber(0));
    EXPECT_EQ(RegisterCamSlot(HandleNumber(2), nullptr, nullptr), first);
}

TEST(FramesPerSecondTest, TruncatesAndStaysFiniteForZeroInterval)
{
    const struct {
        double intervalMs;
        int fps;
    } cases[] = {
        {33.0, 30}, {16.0, 62}, {1000.0, 1}, {1001.0, 0}, {142.0, 7}, {1.0, 1000}, {0.0, 1000}, {0.4, 1000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FramesPerSecond(c.intervalMs), c.fps) << c.intervalMs;
}

}  // namespace
