#include "presets/PresetCameraFile.h"

#include <gtest/gtest.h>

namespace {

// Names the preset file can hold, with the characters JSON must escape or a settings path
// would split at.
TEST(PresetCameraFileTest, EveryPresetNameAndModelReadsBackAsWritten)
{
    const PresetCameraSettings settings{
        {{QStringLiteral("Lab"), QStringLiteral("HD Webcam")}, {{9963776, -20}, {9963788, 0}}},
        {{QStringLiteral("Lab"), QStringLiteral("Other Cam")}, {{9963776, 64}}},
        {{QStringLiteral("a/b \"c\" \\ d\tÿ"), QStringLiteral("Cam: \"x\"")}, {{4294967295u, -2147483647 - 1}}},
        {{QStringLiteral("Empty"), QStringLiteral("HD Webcam")}, {}},
    };
    EXPECT_EQ(ParsePresetCameraFile(FormatPresetCameraFile(settings)), settings);
}

TEST(PresetCameraFileTest, EntriesOfTheWrongShapeAreLeftOutAndOthersKept)
{
    const QByteArray content = R"({
        "Lab": {
            "HD Webcam": [{"id": 1, "value": 5}, {"id": -1, "value": 5}, {"id": 2, "value": 2.5},
                          {"id": 3, "value": 3000000000}, {"id": 4}, "x", {"id": 5, "value": -7}],
            "Broken": {"id": 1, "value": 5}
        },
        "Odd": 12
    })";
    const PresetCameraSettings expected{{{QStringLiteral("Lab"), QStringLiteral("HD Webcam")}, {{1, 5}, {5, -7}}}};
    EXPECT_EQ(ParsePresetCameraFile(content), expected);
    EXPECT_TRUE(ParsePresetCameraFile("[1, 2]").empty());
    EXPECT_TRUE(ParsePresetCameraFile("{\"Lab\": ").empty());
}

TEST(PresetCameraFileTest, OnlyListedPresetsKeepTheirSettings)
{
    PresetCameraSettings settings{{{QStringLiteral("Lab"), QStringLiteral("A")}, {{1, 1}}},
                                  {{QStringLiteral("Lab"), QStringLiteral("B")}, {{1, 2}}},
                                  {{QStringLiteral("Gone"), QStringLiteral("A")}, {{1, 3}}}};
    KeepListedPresets(settings, {QStringLiteral("Dusk"), QStringLiteral("Lab")});
    EXPECT_EQ(settings, (PresetCameraSettings{{{QStringLiteral("Lab"), QStringLiteral("A")}, {{1, 1}}},
                                              {{QStringLiteral("Lab"), QStringLiteral("B")}, {{1, 2}}}}));
}

}  // namespace
