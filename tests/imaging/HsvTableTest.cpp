#include "imaging/ColourConversion.h"
#include "imaging/HsvTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {

struct Bgr {
    uint8_t b, g, r;
};

class HsvTableBuilt : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(BuildHsvTable()); }
    static void TearDownTestSuite() { FreeHsvTable(); }
};

// The table's rule written out plainly, one colour at a time.
HsvEntry ExpectedEntry(int red, int green, int blue)
{
    const double r = red / 255.0;
    const double g = green / 255.0;
    const double b = blue / 255.0;
    const double max = std::max(r, std::max(g, b));
    const double min = std::min(r, std::min(g, b));
    const double d = max - min;
    const double ratioR = d == 0 ? 0 : (max - r) / d;
    const double ratioG = d == 0 ? 0 : (max - g) / d;
    const double ratioB = d == 0 ? 0 : (max - b) / d;
    double h;
    if (r == max)
        h = ratioB - ratioG;
    else if (g == max)
        h = ratioR + 2 - ratioB;
    else
        h = ratioG + 4 - ratioR;
    int hue = int(h * 60);
    if (hue < 0)
        hue = hue + 360;
    const int saturation = max == 0 ? 0 : int((d / max) * 255);
    return {hue, uint8_t(saturation), uint8_t(max * 255)};
}

TEST_F(HsvTableBuilt, EveryEntryFollowsTheRule)
{
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const HsvEntry expected = ExpectedEntry(r, g, b);
                const HsvEntry entry = LookupHsv(uint8_t(r), uint8_t(g), uint8_t(b));
                ASSERT_EQ(entry.hue, expected.hue) << r << "," << g << "," << b;
                ASSERT_EQ(entry.saturation, expected.saturation) << r << "," << g << "," << b;
                ASSERT_EQ(entry.value, expected.value) << r << "," << g << "," << b;
            }
}

TEST_F(HsvTableBuilt, HueDiffersFromTheConverterWhereTheRoundingsDiffer)
{
    EXPECT_EQ(LookupHsv(3, 0, 36).hue, 245);
    EXPECT_EQ(RgbToHsv({3, 0, 36}).h, 244);
    EXPECT_EQ(LookupHsv(255, 0, 1).hue, 0);
    EXPECT_EQ(RgbToHsv({255, 0, 1}).h, 359);
}

// One full colour for each table hue, found along the edges of the colour cube.
std::array<Bgr, 360> ColourForEachHue()
{
    std::array<std::optional<Bgr>, 360> found;
    const auto note = [&](int r, int g, int b) {
        const int hue = LookupHsv(uint8_t(r), uint8_t(g), uint8_t(b)).hue;
        if (!found[hue])
            found[hue] = Bgr{uint8_t(b), uint8_t(g), uint8_t(r)};
    };
    for (int t = 0; t < 256; ++t) {
        note(255, t, 0);
        note(t, 255, 0);
        note(0, 255, t);
        note(0, t, 255);
        note(t, 0, 255);
        note(255, 0, t);
    }
    std::array<Bgr, 360> colours;
    for (int hue = 0; hue < 360; ++hue) {
        EXPECT_TRUE(found[hue]) << "no colour with hue " << hue;
        colours[hue] = found[hue].value_or(Bgr{});
    }
    return colours;
}

struct HueRangeCase {
    int h0, h1;
    std::vector<std::pair<int, int>> passingHues;
};

TEST_F(HsvTableBuilt, HueRangePassesExactlyItsHues)
{
    const HueRangeCase cases[] = {
        {350, 370, {{350, 359}, {0, 10}}},
        {300, 400, {{300, 359}, {0, 40}}},
        {100, 90, {}},
        {120, 120, {{120, 120}}},
        {10, 20, {{10, 20}}},
        {0, 359, {{0, 359}}},
        {0, 360, {{0, 359}}},
    };
    const std::array<Bgr, 360> colours = ColourForEachHue();
    for (const auto& c : cases) {
        const HsvRange range{c.h0, c.h1, 0, 255, 0, 255};
        for (int hue = 0; hue < 360; ++hue) {
            const bool expected = std::any_of(c.passingHues.begin(), c.passingHues.end(),
                                              [&](auto span) { return span.first <= hue && hue <= span.second; });
            const Bgr colour = colours[hue];
            EXPECT_EQ(InHsvRange(colour.b, colour.g, colour.r, range), expected ? 1 : 0)
                << "range " << c.h0 << "-" << c.h1 << ", hue " << hue;
        }
    }
}

struct ColourRangeCase {
    Bgr colour;
    HsvRange range;
    int passes;
};

TEST_F(HsvTableBuilt, SaturationAndValueBoundsAreInclusive)
{
    ASSERT_EQ(LookupHsv(200, 100, 100).saturation, 127);
    const Bgr pink{100, 100, 200};
    const Bgr grey40{40, 40, 40};
    const Bgr grey100{100, 100, 100};
    const ColourRangeCase cases[] = {
        {pink, {0, 0, 127, 255, 200, 200}, 1},
        {pink, {0, 0, 128, 255, 0, 255}, 0},
        {pink, {0, 0, 0, 126, 0, 255}, 0},
        {pink, {0, 0, 0, 127, 201, 255}, 0},
        {pink, {0, 0, 0, 127, 0, 199}, 0},
        {grey40, {0, 359, 0, 255, 40, 100}, 1},
        {grey100, {0, 359, 0, 255, 40, 100}, 1},
        {Bgr{39, 39, 39}, {0, 359, 0, 255, 40, 100}, 0},
        {Bgr{101, 101, 101}, {0, 359, 0, 255, 40, 100}, 0},
        {grey100, {350, 370, 0, 255, 0, 255}, 1},  // grey has hue 0
        {grey100, {10, 20, 0, 255, 0, 255}, 0},
        {grey100, {0, 359, 1, 255, 0, 255}, 0},    // and saturation 0
    };
    for (const auto& c : cases)
        EXPECT_EQ(InHsvRange(c.colour.b, c.colour.g, c.colour.r, c.range), c.passes)
            << int(c.colour.r) << "," << int(c.colour.g) << "," << int(c.colour.b);
}

const HsvRange kNothingPasses{100, 90, 255, 0, 255, 0};

TEST(HsvTableAbsent, EveryColourPassesWithoutATable)
{
    FreeHsvTable();
    EXPECT_FALSE(HasHsvTable());
    EXPECT_EQ(InHsvRange(0, 0, 255, kNothingPasses), 1);
    EXPECT_EQ(InHsvRange(7, 7, 7, kNothingPasses), 1);
    EXPECT_EQ(LookupHsv(255, 0, 0).hue, 0);
    EXPECT_EQ(LookupHsv(255, 0, 0).value, 0);
}

HsvTableStorage RefuseMemory(std::size_t)
{
    return nullptr;
}

TEST(HsvTableAbsent, FailedAllocationLeavesNoTable)
{
    ASSERT_TRUE(BuildHsvTable());
    EXPECT_EQ(InHsvRange(0, 0, 255, kNothingPasses), 0);

    EXPECT_FALSE(BuildHsvTableWith(RefuseMemory));
    EXPECT_FALSE(HasHsvTable());
    EXPECT_EQ(InHsvRange(0, 0, 255, kNothingPasses), 1);
}

std::size_t g_requestedEntries = 0;

HsvTableStorage RecordRequest(std::size_t entryCount)
{
    g_requestedEntries = entryCount;
    return HsvTableStorage(new uint32_t[entryCount]);
}

TEST(HsvTableAbsent, TableTakesOneWordPerColour)
{
    ASSERT_TRUE(BuildHsvTableWith(RecordRequest));
    EXPECT_EQ(g_requestedEntries, 256u * 256u * 256u);
    EXPECT_EQ(LookupHsv(0, 0, 255).hue, 240);
    FreeHsvTable();
}

}  // namespace
