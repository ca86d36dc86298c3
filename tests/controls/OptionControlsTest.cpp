#include "controls/MainDialogFixture.h"

#include <QCheckBox>
#include <QComboBox>

namespace {
class OptionControlsTest : public MainDialogFixture {
protected:
    void SetUp() override { OpenDialog(); }

    PipelineOptions& Options() { return Dialog().pipelineOptions(); }
    QCheckBox* Box(int id) { return Dialog().controlAs<QCheckBox>(id); }

    // Chooses an item from the keyboard, as the user does on a closed drop-down list.
    void Choose(int comboId, int index)
    {
        auto* combo = Dialog().controlAs<QComboBox>(comboId);
        combo->setFocus();
        while (combo->currentIndex() < index)
            QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > index)
            QTest::keyClick(combo, Qt::Key_Up);
    }
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
        EXPECT_EQ(Options().inputMode, step.input);
        EXPECT_EQ(Options().mask, Box(IDC_MASK)->isChecked());
        EXPECT_EQ(Box(IDC_EROSION)->isEnabled(), step.enabled) << step.input << ' ' << step.clickMask;
    }
}

TEST_F(OptionControlsTest, DisablingErosionKeepsItsCheckAndItsFlag)
{
    Choose(IDC_INPUT, kBinary);
    QTest::mouseClick(Box(IDC_EROSION), Qt::LeftButton);
    EXPECT_TRUE(Options().morphology);
    Choose(IDC_INPUT, kAsIs);
    EXPECT_FALSE(Box(IDC_EROSION)->isEnabled());
    EXPECT_TRUE(Box(IDC_EROSION)->isChecked());
    EXPECT_TRUE(Options().morphology);
}

TEST_F(OptionControlsTest, EveryInputChoiceResetsTheInputState)
{
    for (const int mode : {kHistory, kHistory, kBinary}) {
        Dialog().pipelineState().binary.Set(77);
        Dialog().pipelineState().bufferSet[0] = FrameRecord(MakeBitmapHeader(2, 2, 24));
        auto* input = Dialog().controlAs<QComboBox>(IDC_INPUT);
        input->setCurrentIndex(mode == kHistory ? kDelta : kAsIs);
        Choose(IDC_INPUT, mode);
        EXPECT_EQ(Dialog().pipelineState().binary.threshold, 20) << mode;
        EXPECT_TRUE(Dialog().pipelineState().bufferSet[0].empty()) << mode;
    }
}

TEST_F(OptionControlsTest, TheEffectListSetsTheEffect)
{
    Choose(IDC_EFFECT, 3);
    EXPECT_EQ(Options().effect, 3);
    Choose(IDC_EFFECT, 0);
    EXPECT_EQ(Options().effect, 0);
}

// The lens parameter is the leading number of its edit, read when the edit loses the focus
// and when the box is clicked, taken as it is also outside the spin's range.
TEST_F(OptionControlsTest, TheLensParameterIsReadAsTyped)
{
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
        EXPECT_EQ(Options().lensParameter, c.parameter) << c.typed.size();
    }
}

TEST_F(OptionControlsTest, TheLensBoxSetsTheFlagAndReReadsTheParameter)
{
    Edit(IDC_LENS_PARAMETER)->setText(QStringLiteral("250"));
    QTest::mouseClick(Box(IDC_LENS), Qt::LeftButton);
    EXPECT_TRUE(Options().lens);
    EXPECT_EQ(Options().lensParameter, 250);

    // A colour change puts the spin back to 10, but the parameter waits for the next read.
    TypeAndLeave(IDC_VALUE, QStringLiteral("200"));
    EXPECT_EQ(Text(IDC_LENS_PARAMETER), QStringLiteral("10"));
    EXPECT_EQ(Options().lensParameter, 250);
    QTest::mouseClick(Box(IDC_LENS), Qt::LeftButton);
    EXPECT_FALSE(Options().lens);
    EXPECT_EQ(Options().lensParameter, 10);
}

TEST_F(OptionControlsTest, TheSpinsMoveTheLensParameterOnlyThroughTheEdit)
{
    UpDownControl* spin = Dialog().upDown(IDC_LENS_SPIN);
    Edit(IDC_LENS_PARAMETER)->setFocus();
    spin->SetPos(999);
    spin->Step(+1);
    spin->Step(+1);
    EXPECT_EQ(Text(IDC_LENS_PARAMETER), QStringLiteral("1000"));
    EXPECT_EQ(Options().lensParameter, 10);
    Dialog().control(IDC_SAVE)->setFocus();
    EXPECT_EQ(Options().lensParameter, 1000);
}
// The counts have no handler: each frame reads them from the spins, so a typed count
// counts before its edit loses the focus, and a text that is no position keeps the last.
TEST_F(OptionControlsTest, TheNextFrameTakesTheCountsTheSpinsHoldNow)
{
    Edit(IDC_EROSION_COUNT)->setFocus();
    Edit(IDC_EROSION_COUNT)->setText(QStringLiteral("5"));
    Edit(IDC_DILATION_COUNT)->setText(QStringLiteral("12"));
    FrameRecord frame(MakeBitmapHeader(4, 4, 24));
    Dialog().ProcessFileFrame(frame);
    EXPECT_EQ(Options().erosionCount, 5);
    EXPECT_EQ(Options().dilationCount, 2);
}
}  // namespace
