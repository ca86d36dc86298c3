#include "app/MainDialogView.h"
#include "controls/MainDialogFixture.h"
#include "imaging/EffectFilters.h"
#include "imaging/HsvMask.h"
#include "imaging/LensCorrection.h"

#include <QCheckBox>
#include <QComboBox>

namespace {
const QRgb kBlack = qRgb(0, 0, 0);

class OptionControlsTest : public MainDialogFixture {
protected:
    void SetUp() override { OpenDialog(); }

    QCheckBox* Box(int id) { return Dialog().controlAs<QCheckBox>(id); }
    void Choose(int comboId, int index) { ChooseItem(Dialog(), comboId, index); }

    // A 320 × 240 picture of diagonal stripes, in which every lens parameter moves pixels.
    static FrameRecord Stripes()
    {
        return GreyFrame(320, 240, [](int i) { return (i % 320 + i / 320) % 32 * 8; });
    }

    // Sends frame through the dialog and tells whether the display shows it as process
    // leaves it. File mode, so that nothing is mirrored.
    bool ShowsAs(const FrameRecord& frame, const std::function<void(const ImageView& source, const ImageView& target)>& process)
    {
        FrameRecord shown = frame;
        Dialog().ProcessFileFrame(shown);
        FrameRecord source = frame;
        FrameRecord expected = frame;
        process(*source.view(), *expected.view());
        return DisplayShows(Dialog(), expected);
    }

    bool ShowsStripesCorrectedWith(int32_t k)
    {
        return ShowsAs(Stripes(), [k](const ImageView&, const ImageView& target) {
            std::vector<uint8_t> scratch;
            CorrectLens(target, k, scratch);
        });
    }

    static void Unchanged(const ImageView&, const ImageView&) {}

    static void Masked(const ImageView& source, const ImageView& target)
    {
        ApplyHsvMask(source, target, HsvRange{});
    }

    // The mask closed or opened with these counts, over the starting colour range.
    static auto MaskedWithMorphology(int firstCount, int secondCount)
    {
        return [firstCount, secondCount](const ImageView& source, const ImageView& target) {
            WorkWindow window{0, 0, target.width, target.height};
            MaskBuffers buffers;
            MaskWithMorphology(source, target, firstCount, secondCount, window, HsvRange{}, buffers);
        };
    }

    // Red bars of growing width on grey: the mask keeps the bars, and how far its closing
    // reaches shows at their edges.
    static FrameRecord RedBars()
    {
        FrameRecord frame(MakeBitmapHeader(320, 240, 24));
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) {
                const bool red = x % 40 < 3 + y % 20;
                uint8_t* pixel = frame.pixels() + 3 * (y * 320 + x);
                pixel[0] = red ? 0 : 128;
                pixel[1] = red ? 0 : 128;
                pixel[2] = red ? 255 : 128;
            }
        }
        return frame;
    }

    void ChooseFileMode() { QTest::mouseClick(Dialog().control(IDC_AVI_FILE), Qt::LeftButton); }
};

TEST_F(OptionControlsTest, ErosionIsEnabledOnlyForBinaryInputsOrTheMask)
{
    EXPECT_FALSE(Box(IDC_EROSION)->isEnabled());
    struct Step {
        int input;
        bool clickMask;
        bool enabled;
    };
    const Step steps[] = {
        {kBinary, false, true}, {kOtsuBin, false, true}, {kHistory, false, false}, {kAsIs, true, true},
        {kDelta, false, true},  {kDelta, true, false},   {kGrayScale, false, false},
    };
    for (const Step& step : steps) {
        Choose(IDC_INPUT, step.input);
        if (step.clickMask)
            QTest::mouseClick(Box(IDC_MASK), Qt::LeftButton);
        EXPECT_EQ(Box(IDC_EROSION)->isEnabled(), step.enabled) << step.input << ' ' << step.clickMask;
    }
}

// The input list and the mask box act on the next frame.
TEST_F(OptionControlsTest, InputAndMaskReachTheFrames)
{
    const RgbTriple orange{250, 120, 10};
    Choose(IDC_INPUT, kGrayScale);
    const QRgb grey = ShownForFrameOf(Dialog(), orange);
    EXPECT_EQ(qRed(grey), qGreen(grey));
    EXPECT_EQ(qGreen(grey), qBlue(grey));
    Choose(IDC_INPUT, kAsIs);
    EXPECT_EQ(ShownForFrameOf(Dialog(), orange), ToQRgb(orange));

    // Grey lies below the starting saturation of 30.
    QTest::mouseClick(Box(IDC_MASK), Qt::LeftButton);
    EXPECT_EQ(ShownForFrameOf(Dialog(), {128, 128, 128}), kBlack);
    EXPECT_EQ(ShownForFrameOf(Dialog(), orange), ToQRgb(orange));
    QTest::mouseClick(Box(IDC_MASK), Qt::LeftButton);
    EXPECT_EQ(ShownForFrameOf(Dialog(), {128, 128, 128}), qRgb(128, 128, 128));
}

// The erosion flag outlives the box's disabling: once the mask enables the box again, the
// mask is closed and opened without another click.
TEST_F(OptionControlsTest, DisablingErosionKeepsItsCheckAndItsFlag)
{
    ChooseFileMode();
    QTest::mouseClick(Box(IDC_MASK), Qt::LeftButton);
    ASSERT_TRUE(ShowsAs(RedBars(), Masked));
    ASSERT_FALSE(ShowsAs(RedBars(), MaskedWithMorphology(2, 2))) << "the counts change the picture";
    QTest::mouseClick(Box(IDC_MASK), Qt::LeftButton);

    Choose(IDC_INPUT, kBinary);
    QTest::mouseClick(Box(IDC_EROSION), Qt::LeftButton);
    Choose(IDC_INPUT, kAsIs);
    EXPECT_FALSE(Box(IDC_EROSION)->isEnabled());
    EXPECT_TRUE(Box(IDC_EROSION)->isChecked());
    QTest::mouseClick(Box(IDC_MASK), Qt::LeftButton);
    EXPECT_TRUE(ShowsAs(RedBars(), MaskedWithMorphology(2, 2)));

    QTest::mouseClick(Box(IDC_EROSION), Qt::LeftButton);
    EXPECT_TRUE(ShowsAs(RedBars(), Masked));
}

// Otsu Bin raises the threshold above 21; choosing another input brings back 20, so that a
// grey step of 21 turns white again.
TEST_F(OptionControlsTest, AnInputChoiceRestoresTheThreshold)
{
    const auto black = [](int) { return 0; };
    const auto step21 = [](int) { return 21; };
    Choose(IDC_INPUT, kOtsuBin);
    for (int frame = 1; frame <= 20; ++frame)
        ShowGreyFrames(Dialog(), {[](int i) { return i * 4; }});
    ASSERT_GT(Text(IDC_THRESHOLD).toInt(), 21);
    const std::vector<QImage> otsu = ShowGreyFrames(Dialog(), {black, step21});

    Choose(IDC_INPUT, kBinary);
    const std::vector<QImage> binary = ShowGreyFrames(Dialog(), {black, step21});
    EXPECT_EQ(binary[1].pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(otsu[1].pixel(0, 0), kBlack);
}

// Every choice of History, also of History again, starts the history afresh: the same
// frames then show as they did the first time.
TEST_F(OptionControlsTest, EveryInputChoiceFreesTheHistory)
{
    const auto black = [](int) { return 0; };
    const std::vector<std::function<int(int)>> moving{[](int i) { return i < 32 ? 200 : 0; },
                                                      [](int i) { return i % 8 < 4 ? 200 : 0; }};
    Choose(IDC_INPUT, kHistory);
    ShowGreyFrames(Dialog(), {black});
    const std::vector<QImage> first = ShowGreyFrames(Dialog(), moving);
    ShowGreyFrames(Dialog(), {black});
    ASSERT_NE(ShowGreyFrames(Dialog(), moving), first) << "without a choice the history goes on";

    ShowGreyFrames(Dialog(), {black});
    Choose(IDC_INPUT, kOtsuBin);
    Choose(IDC_INPUT, kHistory);
    ShowGreyFrames(Dialog(), {black});
    EXPECT_EQ(ShowGreyFrames(Dialog(), moving), first);
}

// Effects act on the grey and binary inputs; on grey the kernel runs over the grey picture.
TEST_F(OptionControlsTest, TheEffectListSetsTheEffect)
{
    const auto grey = [](const ImageView&, const ImageView& target) { ToGray(target); };
    ChooseFileMode();
    Choose(IDC_INPUT, kGrayScale);
    Choose(IDC_EFFECT, 3);
    EXPECT_TRUE(ShowsAs(Stripes(), [](const ImageView&, const ImageView& target) {
        std::vector<uint8_t> scratch;
        GrayConvolve(target, 2, scratch);
    }));
    EXPECT_FALSE(ShowsAs(Stripes(), grey));
    Choose(IDC_EFFECT, 0);
    EXPECT_TRUE(ShowsAs(Stripes(), grey));
}

// The lens parameter is the leading number of its edit, read when the edit loses the focus
// and when the box is clicked, taken as it is also outside the spin's range.
TEST_F(OptionControlsTest, TheLensParameterIsReadAsTyped)
{
    ChooseFileMode();
    QTest::mouseClick(Box(IDC_LENS), Qt::LeftButton);
    ASSERT_TRUE(ShowsStripesCorrectedWith(10));
    struct Case {
        QString typed;
        int32_t parameter;
    };
    const Case cases[] = {
        {QStringLiteral("5"), 5},
        {QStringLiteral("1000"), 1000},
        {QStringLiteral("4000"), 4000},
        {QString(), 0},
        {QString(1022, u' ') + u'7', 7},
        {QString(1023, u' ') + u'7', 0},
    };
    for (const Case& c : cases) {
        Edit(IDC_LENS_PARAMETER)->setText(c.typed);
        Edit(IDC_LENS_PARAMETER)->setFocus();
        Dialog().control(IDC_SAVE)->setFocus();
        EXPECT_TRUE(ShowsStripesCorrectedWith(c.parameter)) << c.typed.size();
        EXPECT_FALSE(ShowsStripesCorrectedWith(c.parameter + 1)) << "parameters tell apart";
    }
}

TEST_F(OptionControlsTest, TheLensBoxSetsTheFlagAndReReadsTheParameter)
{
    ChooseFileMode();
    Edit(IDC_LENS_PARAMETER)->setText(QStringLiteral("250"));
    QTest::mouseClick(Box(IDC_LENS), Qt::LeftButton);
    EXPECT_TRUE(ShowsStripesCorrectedWith(250));

    // A colour change puts the spin back to 10, but the parameter waits for the next read.
    TypeAndLeave(IDC_VALUE, QStringLiteral("200"));
    EXPECT_EQ(Text(IDC_LENS_PARAMETER), QStringLiteral("10"));
    EXPECT_TRUE(ShowsStripesCorrectedWith(250));
    QTest::mouseClick(Box(IDC_LENS), Qt::LeftButton);
    EXPECT_TRUE(ShowsAs(Stripes(), Unchanged)) << "the lens is off";
    QTest::mouseClick(Box(IDC_LENS), Qt::LeftButton);
    EXPECT_TRUE(ShowsStripesCorrectedWith(10));
}

TEST_F(OptionControlsTest, TheSpinsMoveTheLensParameterOnlyThroughTheEdit)
{
    ChooseFileMode();
    QTest::mouseClick(Box(IDC_LENS), Qt::LeftButton);
    UpDownControl* spin = Dialog().upDown(IDC_LENS_SPIN);
    Edit(IDC_LENS_PARAMETER)->setFocus();
    spin->SetPos(999);
    spin->Step(+1);
    spin->Step(+1);
    EXPECT_EQ(Text(IDC_LENS_PARAMETER), QStringLiteral("1000"));
    EXPECT_TRUE(ShowsStripesCorrectedWith(10));
    Dialog().control(IDC_SAVE)->setFocus();
    EXPECT_TRUE(ShowsStripesCorrectedWith(1000));
}

// The counts have no handler: each frame reads them from the spins, so a typed count
// counts before its edit loses the focus, and a text that is no position keeps the last.
TEST_F(OptionControlsTest, TheNextFrameTakesTheCountsTheSpinsHoldNow)
{
    ChooseFileMode();
    QTest::mouseClick(Box(IDC_MASK), Qt::LeftButton);
    QTest::mouseClick(Box(IDC_EROSION), Qt::LeftButton);
    Edit(IDC_EROSION_COUNT)->setFocus();
    Edit(IDC_EROSION_COUNT)->setText(QStringLiteral("5"));
    Edit(IDC_DILATION_COUNT)->setText(QStringLiteral("12"));

    EXPECT_TRUE(ShowsAs(RedBars(), MaskedWithMorphology(5, 2)));
    EXPECT_FALSE(ShowsAs(RedBars(), MaskedWithMorphology(2, 2)));
    EXPECT_FALSE(ShowsAs(RedBars(), MaskedWithMorphology(5, 12)));
}
}  // namespace
