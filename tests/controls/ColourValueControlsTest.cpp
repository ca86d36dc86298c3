#include "controls/ColourSwatch.h"
#include "controls/HsvPanel.h"
#include "controls/MainDialogFixture.h"

#include <QPushButton>

#include <limits>
#include <optional>
#include <stdexcept>

namespace {
class ColourValueControlsTest : public MainDialogFixture {
protected:
    void SetUp() override { OpenDialog(); }

    const CurrentColour& Colour() { return Dialog().currentColour(); }
    const HsvRange& Range() { return Dialog().pipelineState().hsvRange; }

    ColourSwatch& Swatch(const QString& name)
    {
        for (ColourSwatch* swatch : Dialog().findChildren<ColourSwatch*>()) {
            if (swatch->accessibleName() == name)
                return *swatch;
        }
        throw std::logic_error("no such swatch");
    }

    // The colour in the dialog's grab at the middle of a swatch rectangle.
    QRgb SwatchOnScreen(const QRect& swatch)
    {
        return Dialog().grab().toImage().pixel(swatch.center());
    }

    // A colour of full saturation and value whose lookup-table hue is the one asked for.
    static std::optional<RgbTriple> ColourWithTableHue(int hue)
    {
        for (int g = 0; g < 256; ++g) {
            if (LookupHsv(255, static_cast<uint8_t>(g), 0).hue == hue)
                return RgbTriple{255, g, 0};
        }
        return std::nullopt;
    }
};

TEST_F(ColourValueControlsTest, StartsFromTheSettingsDefaults)
{
    EXPECT_EQ(Colour().m_hsv, (HsvTriple{0, 30, 30}));
    EXPECT_EQ(Colour().m_rgb, HsvToRgb({0, 30, 30}));
    EXPECT_EQ(Colour().m_rgbOld, Colour().m_rgb);
    EXPECT_EQ(Text(IDC_HUE_RANGE), QStringLiteral("0.0000 - 0.9972"));
    EXPECT_EQ(Text(IDC_SATURATION_RANGE), QStringLiteral("0.1176 - 1.0000"));
    EXPECT_EQ(Text(IDC_VALUE_RANGE), QStringLiteral("0.1176 - 1.0000"));
    EXPECT_EQ(Range(), (HsvRange{0, 359, 30, 255, 30, 255}));
    const std::pair<int, const char*> edits[] = {{IDC_RED, "30"},         {IDC_GREEN, "26"},
                                                 {IDC_BLUE, "26"},        {IDC_HUE, "0"},
                                                 {IDC_SATURATION, "30"},  {IDC_VALUE, "30"},
                                                 {IDC_HUE_WIDTH, "359"},  {IDC_SATURATION_WIDTH, "0"},
                                                 {IDC_VALUE_WIDTH, "0"},  {IDC_EROSION_COUNT, "2"},
                                                 {IDC_DILATION_COUNT, "2"}, {IDC_LENS_PARAMETER, "10"}};
    for (const auto& [id, text] : edits)
        EXPECT_EQ(Text(id), QLatin1String(text)) << id;
}

TEST_F(ColourValueControlsTest, StartsFromTheStoredRange)
{
    m_dialog.reset();
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halvoren"),
                        QStringLiteral("tarsel"));
        const std::pair<const char*, int> values[] = {{"HSV-H0", 100}, {"HSV-H1", 0},  {"HSV-S0", 200},
                                                      {"HSV-S1", 20},  {"HSV-V0", 50}, {"HSV-V1", 0}};
        for (const auto& [name, value] : values)
            store.setValue(QLatin1String(name), value);
    }
    OpenDialog();
    EXPECT_EQ(Colour().m_hsv, (HsvTriple{100, 200, 50}));
    EXPECT_EQ(Text(IDC_HUE_RANGE), QStringLiteral("0.2778 - 0.2778")) << "width 0 lets one hue pass";
    EXPECT_EQ(Text(IDC_SATURATION_RANGE), QStringLiteral("0.7843 - 0.8627"));
    EXPECT_EQ(Text(IDC_VALUE_RANGE), QStringLiteral("0.1961 - 1.0000"));
    EXPECT_EQ(Range(), (HsvRange{100, 100, 200, 220, 50, 255}));
}

// What typed numbers do to the current colour once their edit loses the focus, one after
// the other.
TEST_F(ColourValueControlsTest, TypedNumbersAreLimitedAndConverted)
{
    TypeAndLeave(IDC_RED, QStringLiteral("300"));
    EXPECT_EQ(Colour().m_rgb, (RgbTriple{255, 26, 26}));
    EXPECT_EQ(Colour().m_hsv, RgbToHsv({255, 26, 26}));
    const int saturation = Colour().m_hsv.s;

    struct Step {
        int edit;
        const char* typed;
        HsvTriple hsv;
    };
    const Step steps[] = {
        {IDC_HUE, "360", {359, saturation, 255}},
        {IDC_HUE, "  -7", {0, saturation, 255}},
        {IDC_SATURATION, "12abc", {0, 12, 255}},
        {IDC_VALUE, "x", {0, 12, 0}},
    };
    for (const Step& step : steps) {
        TypeAndLeave(step.edit, QLatin1String(step.typed));
        EXPECT_EQ(Colour().m_hsv, step.hsv) << step.typed;
        EXPECT_EQ(Colour().m_rgb, HsvToRgb(step.hsv)) << step.typed;
    }

    TypeAndLeave(IDC_GREEN, QStringLiteral("99999999999"));
    EXPECT_EQ(Colour().m_rgb, (RgbTriple{0, 255, 0}));
    EXPECT_EQ(Colour().m_hsv, (HsvTriple{120, 255, 255}));
}

TEST_F(ColourValueControlsTest, RedOverTheTopGivesFullRedAndRetypingItStillRedraws)
{
    TypeAndLeave(IDC_RED, QStringLiteral("300"));
    EXPECT_EQ(Colour().m_rgb.r, 255);
    EXPECT_EQ(Text(IDC_RED), QStringLiteral("255"));
    Dialog().upDown(IDC_EROSION_SPIN)->SetPos(6);
    TypeAndLeave(IDC_RED, QStringLiteral("300"));
    EXPECT_EQ(Text(IDC_EROSION_COUNT), QStringLiteral("2")) << "300 is not the current 255";
}

TEST_F(ColourValueControlsTest, TheCurrentValueAgainRedrawsNothing)
{
    Dialog().upDown(IDC_EROSION_SPIN)->SetPos(5);
    const QImage panel = Dialog().hsvPanel().Picture();
    TypeAndLeave(IDC_RED, QStringLiteral("30"));
    TypeAndLeave(IDC_HUE, QStringLiteral("0"));
    EXPECT_EQ(Text(IDC_EROSION_COUNT), QStringLiteral("5"));
    EXPECT_EQ(Dialog().hsvPanel().Picture(), panel);
}

TEST_F(ColourValueControlsTest, EveryColourChangePutsTheOptionSpinsBack)
{
    for (const auto& [edit, typed] : {std::pair{IDC_BLUE, "90"}, std::pair{IDC_HUE, "200"},
                                      std::pair{IDC_SATURATION, "128"}, std::pair{IDC_VALUE, "250"}}) {
        Dialog().upDown(IDC_EROSION_SPIN)->SetPos(5);
        Dialog().upDown(IDC_DILATION_SPIN)->SetPos(7);
        Dialog().upDown(IDC_LENS_SPIN)->SetPos(999);
        TypeAndLeave(edit, QLatin1String(typed));
        EXPECT_EQ(Text(IDC_EROSION_COUNT), QStringLiteral("2")) << typed;
        EXPECT_EQ(Text(IDC_DILATION_COUNT), QStringLiteral("2")) << typed;
        EXPECT_EQ(Text(IDC_LENS_PARAMETER), QStringLiteral("10")) << typed;
    }
}

TEST_F(ColourValueControlsTest, AHueRangeBeyond359WrapsThroughRed)
{
    ASSERT_TRUE(HasHsvTable());
    Edit(IDC_HUE_WIDTH)->setText(QStringLiteral("100"));
    TypeAndLeave(IDC_HUE, QStringLiteral("300"));
    EXPECT_EQ(Range().h0, 300);
    EXPECT_EQ(Range().h1, 400);
    EXPECT_EQ(Text(IDC_HUE_RANGE), QStringLiteral("0.8333 - 1.1111"));

    const std::optional<RgbTriple> hue20 = ColourWithTableHue(20);
    const std::optional<RgbTriple> hue41 = ColourWithTableHue(41);
    ASSERT_TRUE(hue20 && hue41);
    auto passes = [this](const RgbTriple& c) {
        return InHsvRange(static_cast<uint8_t>(c.b), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.r), Range());
    };
    EXPECT_EQ(passes(*hue20), 1);
    EXPECT_EQ(passes(*hue41), 0);
}

TEST_F(ColourValueControlsTest, ATypedWidthCountsFromTheNextColourChangeAndReachesTheSettings)
{
    Edit(IDC_SATURATION_WIDTH)->setText(QStringLiteral("40"));
    EXPECT_EQ(Range().s1, 255) << "no handler of its own";
    TypeAndLeave(IDC_SATURATION, QStringLiteral("100"));
    EXPECT_EQ(Range().s1, 140);
    EXPECT_EQ(Text(IDC_SATURATION_RANGE), QStringLiteral("0.3922 - 0.5490"));
    const CGlobal& global = Dialog().global();
    EXPECT_EQ(global.HsvS0, 100);
    EXPECT_EQ(global.HsvS1, 40);
    EXPECT_EQ(global.HsvH0, 0);
    EXPECT_EQ(global.HsvH1, 359);
}

TEST_F(ColourValueControlsTest, AHugeWidthStopsAtTheLargestBoundInsteadOfWrapping)
{
    Edit(IDC_HUE_WIDTH)->setText(QStringLiteral("99999999999"));
    TypeAndLeave(IDC_HUE, QStringLiteral("10"));
    EXPECT_EQ(Range().h0, 10);
    EXPECT_EQ(Range().h1, std::numeric_limits<int32_t>::max());
}

TEST_F(ColourValueControlsTest, TheHueSpinReaches360ButTheHueStopsAt359)
{
    UpDownControl* spin = Dialog().upDown(IDC_HUE_SPIN);
    Edit(IDC_HUE)->setFocus();
    spin->SetPos(359);
    spin->Step(+1);
    EXPECT_EQ(Text(IDC_HUE), QStringLiteral("360"));
    Dialog().control(IDC_SAVE)->setFocus();
    EXPECT_EQ(Colour().m_hsv.h, 359);
    EXPECT_EQ(Text(IDC_HUE), QStringLiteral("359"));
}

TEST_F(ColourValueControlsTest, SwatchesShowTheirColoursInTheirFrames)
{
    TypeAndLeave(IDC_RED, QStringLiteral("200"));
    const RgbTriple rgb = Colour().m_rgb;
    const QImage newMask = Swatch(QStringLiteral("New Mask")).Picture();
    const int w = newMask.width();
    const int h = newMask.height();
    EXPECT_EQ(newMask.size(), Dialog().newMaskRect().size());
    const std::pair<QPoint, QRgb> pixels[] = {
        {{0, 0}, qRgb(0, 0, 0)},              {{w - 1, h - 1}, qRgb(0, 0, 0)},
        {{1, 1}, qRgb(192, 192, 192)},        {{1, h / 2}, qRgb(192, 192, 192)},
        {{w - 2, h - 2}, qRgb(128, 128, 128)}, {{w / 2, h - 2}, qRgb(128, 128, 128)},
        {{w - 2, 1}, qRgb(128, 128, 128)},    {{w / 2, h / 2}, qRgb(rgb.r, rgb.g, rgb.b)},
    };
    for (const auto& [point, colour] : pixels)
        EXPECT_EQ(newMask.pixel(point), colour) << point.x() << ',' << point.y();
}

// A repaint of the whole dialog shows both swatches in their current colours.
TEST_F(ColourValueControlsTest, AFullRepaintKeepsBothSwatches)
{
    const RgbTriple start = Colour().m_rgb;
    TypeAndLeave(IDC_BLUE, QStringLiteral("220"));
    const RgbTriple now = Colour().m_rgb;
    Dialog().repaint();
    EXPECT_EQ(SwatchOnScreen(Dialog().newMaskRect()), qRgb(now.r, now.g, now.b));
    EXPECT_EQ(SwatchOnScreen(Dialog().oldMaskRect()), qRgb(start.r, start.g, start.b));

    QTest::mouseClick(Dialog().controlAs<QPushButton>(IDC_SAVE), Qt::LeftButton);
    EXPECT_EQ(Colour().m_rgbOld, now);
    EXPECT_EQ(SwatchOnScreen(Dialog().oldMaskRect()), qRgb(now.r, now.g, now.b));
    EXPECT_EQ(SwatchOnScreen(Dialog().newMaskRect()), qRgb(now.r, now.g, now.b));
}
}  // namespace
