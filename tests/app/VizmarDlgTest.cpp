#include "app/CVizmarDlg.h"

#include "app/CameraView.h"
#include "app/ControlFactory.h"
#include "controls/UpDownControl.h"
#include "support/TempFolder.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {
QStringList Items(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// The name that screen readers and AT-SPI clients get for a widget: the one given to it, or
// else the one its accessibility interface derives from its caption.
QString AnnouncedName(QWidget* widget)
{
    if (!widget->accessibleName().isEmpty())
        return widget->accessibleName();
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

class VizmarDlgTest : public ::testing::Test {
protected:
    VizmarDlgTest()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        m_dialog = std::make_unique<CVizmarDlg>();
    }

    void Show()
    {
        m_dialog->show();
        m_dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }

    QString Text(int id) const { return m_dialog->controlAs<QAbstractButton>(id)->text(); }
    bool Shown(int id) const { return m_dialog->control(id)->isVisibleTo(m_dialog.get()); }

    TempFolder m_settings;
    std::unique_ptr<CVizmarDlg> m_dialog;
};

TEST_F(VizmarDlgTest, StartsWithTheWebCameraChosenAndNothingRunning)
{
    CVizmarDlg& dialog = *m_dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Web Cam HSV Color Filter"));
    EXPECT_TRUE(dialog.controlAs<QRadioButton>(IDC_WEB_CAMERA)->isChecked());
    EXPECT_FALSE(dialog.controlAs<QRadioButton>(IDC_AVI_FILE)->isChecked());
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Add Cam"));
    EXPECT_EQ(Text(IDC_DELETE_CAM), QStringLiteral("Del Cam"));
    EXPECT_EQ(Text(IDC_CAM_SETUP), QStringLiteral("Cam setup"));
    EXPECT_TRUE(dialog.control(IDC_CAM_SETUP)->isEnabled());
    EXPECT_TRUE(Shown(IDC_FPS_LABEL));
    EXPECT_TRUE(Shown(IDC_FPS));
    EXPECT_EQ(dialog.controlAs<QLineEdit>(IDC_FPS)->text(), QStringLiteral("N/A"));
    for (const int id : {IDC_FRAME_SLIDER, IDC_FRAME_COUNTER}) {
        EXPECT_FALSE(Shown(id)) << id;
        EXPECT_FALSE(dialog.control(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(Shown(IDC_OLD_MASK));
    EXPECT_FALSE(Shown(IDC_NEW_MASK));
    EXPECT_TRUE(HasHsvTable());
    EXPECT_EQ(dialog.pipelineState().binary.threshold, 20);
    EXPECT_FALSE(dialog.pipelineOptions().mask);
    EXPECT_FALSE(dialog.pipelineOptions().morphology);
}

TEST_F(VizmarDlgTest, ErosionIsDisabledAndUncheckedAtStart)
{
    const auto* erosion = m_dialog->controlAs<QCheckBox>(IDC_EROSION);
    EXPECT_FALSE(erosion->isEnabled());
    EXPECT_FALSE(erosion->isChecked());
}

TEST_F(VizmarDlgTest, ErosionIsEnabledForBinaryInputsOrTheMask)
{
    struct Case {
        int inputMode;
        bool mask;
        bool enabled;
    };
    for (const Case& c : {Case{kAsIs, false, false}, Case{kBinary, false, true}, Case{kOtsuBin, false, true},
                          Case{kHistory, false, false}, Case{kDelta, true, true}}) {
        m_dialog->pipelineOptions().inputMode = c.inputMode;
        m_dialog->pipelineOptions().mask = c.mask;
        m_dialog->UpdateErosionEnabled();
        EXPECT_EQ(m_dialog->control(IDC_EROSION)->isEnabled(), c.enabled) << c.inputMode << ' ' << c.mask;
    }
}

TEST_F(VizmarDlgTest, DropDownListsHoldTheirItems)
{
    const auto* input = m_dialog->controlAs<QComboBox>(IDC_INPUT);
    EXPECT_EQ(Items(input), QStringList({"As is", "Gray Scale", "Delta", "Binary", "Otsu Bin", "History"}));
    EXPECT_EQ(input->currentIndex(), 0);
    const auto* effect = m_dialog->controlAs<QComboBox>(IDC_EFFECT);
    EXPECT_EQ(Items(effect), QStringList({"none", "Gaussian", "Laplacian", "Sobel", "Prewitt"}));
    EXPECT_EQ(effect->currentText(), QStringLiteral("none"));
    const auto* preset = m_dialog->controlAs<QComboBox>(IDC_PRESET);
    EXPECT_EQ(Items(preset), QStringList({"Custom", "Red", "Green", "Blue"}));
    EXPECT_EQ(preset->currentIndex(), -1) << "no preset is selected";
}

TEST_F(VizmarDlgTest, ControlsSitAtTheirTemplateRectangles)
{
    const DialogBaseUnits& units = m_dialog->baseUnits();
    EXPECT_EQ(m_dialog->size(), DialogSizeToPixels(kMainDialogWidth, kMainDialogHeight, units));
    for (const ControlTemplate& entry : MainDialogTemplate()) {
        if (entry.id == kStaticId || entry.kind == ControlKind::UpDown)
            continue;
        const QRect placed = m_dialog->control(entry.id)->geometry();
        const QRect expected = DialogRectToPixels(entry.x, entry.y, entry.width, entry.height, units);
        EXPECT_EQ(placed.topLeft(), expected.topLeft()) << entry.id;
        if (entry.kind == ControlKind::ComboBox)
            EXPECT_LE(placed.height(), expected.height()) << entry.id << " is as tall as its closed box";
        else
            EXPECT_EQ(placed.height(), expected.height()) << entry.id;
        if (entry.kind == ControlKind::Edit)
            EXPECT_LE(placed.width(), expected.width()) << entry.id << " gives way to its spin";
        else if (entry.kind == ControlKind::CheckBox || entry.kind == ControlKind::RadioButton ||
                 entry.kind == ControlKind::Label)
            EXPECT_GE(placed.width(), expected.width()) << entry.id << " grows to show its caption";
        else
            EXPECT_EQ(placed.width(), expected.width()) << entry.id;
    }
}

TEST_F(VizmarDlgTest, EachSpinIsAttachedToTheEditBeforeItAtItsRightEdge)
{
    struct Pair {
        int spin;
        int edit;
    };
    const Pair pairs[] = {{IDC_RED_SPIN, IDC_RED},
                          {IDC_GREEN_SPIN, IDC_GREEN},
                          {IDC_BLUE_SPIN, IDC_BLUE},
                          {IDC_HUE_SPIN, IDC_HUE},
                          {IDC_SATURATION_SPIN, IDC_SATURATION},
                          {IDC_VALUE_SPIN, IDC_VALUE},
                          {IDC_EROSION_SPIN, IDC_EROSION_COUNT},
                          {IDC_DILATION_SPIN, IDC_DILATION_COUNT},
                          {IDC_LENS_SPIN, IDC_LENS_PARAMETER}};
    for (const Pair& pair : pairs) {
        UpDownControl* spin = m_dialog->upDown(pair.spin);
        ASSERT_NE(spin, nullptr) << pair.spin;
        QWidget* edit = m_dialog->control(pair.edit);
        EXPECT_EQ(spin->Buddy(), edit) << pair.spin;
        EXPECT_EQ(spin->geometry().left(), edit->geometry().right() + 1 - UpDownControl::kBuddyBorderOverlap)
            << pair.spin;
        EXPECT_EQ(spin->geometry().top(), edit->geometry().top()) << pair.spin;
        EXPECT_EQ(spin->height(), edit->height()) << pair.spin;
    }
}

TEST_F(VizmarDlgTest, NumberEditsTakeDigitsOnly)
{
    for (const int id : {IDC_HUE_WIDTH, IDC_EROSION_COUNT, IDC_LENS_PARAMETER}) {
        auto* edit = m_dialog->controlAs<QLineEdit>(id);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("1a-2"));
        EXPECT_EQ(edit->text(), QStringLiteral("12")) << id;
        EXPECT_EQ(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight) << id;
    }
}

TEST_F(VizmarDlgTest, EveryControlCarriesItsAccessibleName)
{
    const std::pair<int, const char*> expected[] = {
        {IDC_EXIT, "Exit"}, {IDC_SAVE, "Save"}, {IDC_SAVE_AS, "Save As"}, {IDC_DELETE_PRESET, "Del"},
        {IDC_ADD_CAM, "Add Cam"}, {IDC_DELETE_CAM, "Del Cam"}, {IDC_CAM_SETUP, "Cam setup"},
        {IDC_LENS, "Lens Distortion"}, {IDC_MASK, "Mask with Color Filter"}, {IDC_EROSION, "Erosion"},
        {IDC_WEB_CAMERA, "Web Camera"}, {IDC_AVI_FILE, "AVI File"}, {IDC_RED, "Red"}, {IDC_GREEN, "Green"},
        {IDC_BLUE, "Blue"}, {IDC_HUE, "Hue"}, {IDC_SATURATION, "Saturation"}, {IDC_VALUE, "Value"},
        {IDC_RED_SPIN, "Red"}, {IDC_HUE_SPIN, "Hue"}, {IDC_LENS_SPIN, "Lens parameter"},
        {IDC_HUE_WIDTH, "Hue width"}, {IDC_SATURATION_WIDTH, "Saturation width"}, {IDC_VALUE_WIDTH, "Value width"},
        {IDC_HUE_RANGE, "Hue range"}, {IDC_SATURATION_RANGE, "Saturation range"}, {IDC_VALUE_RANGE, "Value range"},
        {IDC_FPS, "Current FPS"}, {IDC_FRAME_COUNTER, "Frame"}, {IDC_THRESHOLD, "Threshold"},
        {IDC_EROSION_COUNT, "Erosion count"}, {IDC_DILATION_COUNT, "Dilation count"},
        {IDC_LENS_PARAMETER, "Lens parameter"}, {IDC_INPUT, "Input"}, {IDC_EFFECT, "Effect"}, {IDC_PRESET, "Preset"},
        {IDC_FRAME_SLIDER, "Frame slider"}, {IDC_CAM_GROUP, "CAM"}, {IDC_FPS_LABEL, "Current FPS:"}, {IDC_OLD_MASK, "Old Mask"},
    };
    for (const auto& [id, name] : expected)
        EXPECT_EQ(AnnouncedName(m_dialog->control(id)), QLatin1String(name)) << id;
    EXPECT_EQ(AnnouncedName(&m_dialog->cameraView()), QStringLiteral("Camera image"));
    for (QWidget* child : m_dialog->findChildren<QWidget*>()) {
        if (child->isWindow())
            continue;
        EXPECT_FALSE(AnnouncedName(child).isEmpty())
            << child->metaObject()->className() << ' ' << child->objectName().toStdString();
    }
}

TEST_F(VizmarDlgTest, TheDisplayAreaLiesInsideTheCamGroupBelowItsCaption)
{
    const QRect group = m_dialog->control(IDC_CAM_GROUP)->geometry();
    EXPECT_EQ(m_dialog->cameraRect(), group.adjusted(2, 15, -5, -5));
    EXPECT_EQ(m_dialog->cameraView().geometry(), m_dialog->cameraRect());
    EXPECT_EQ(m_dialog->oldMaskRect(), m_dialog->control(IDC_OLD_MASK)->geometry());
    EXPECT_EQ(m_dialog->newMaskRect(), m_dialog->control(IDC_NEW_MASK)->geometry());
}

TEST_F(VizmarDlgTest, ResetInputStateFreesTheHistoryAndRestoresTheThreshold)
{
    PipelineState& state = m_dialog->pipelineState();
    state.binary.Set(77);
    for (FrameRecord& buffer : state.bufferSet)
        buffer = FrameRecord(MakeBitmapHeader(4, 4, 24));
    state.newestSlot = 5;
    state.oldestSlot = 6;
    m_dialog->ResetInputState();
    EXPECT_EQ(state.binary.threshold, 20);
    EXPECT_EQ(state.binary.table[20], 0);
    EXPECT_EQ(state.binary.table[21], 1);
    for (const FrameRecord& buffer : state.bufferSet)
        EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(state.newestSlot, 0);
    EXPECT_EQ(state.oldestSlot, 1);
    EXPECT_FALSE(state.resetting);
}

// Each way of ending the dialog hides it and releases the lookup table and the buffers.
class EndingTest : public VizmarDlgTest {
protected:
    void ExpectEnded(QDialog::DialogCode expected)
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !m_dialog->isVisible(); }, 10000));
        EXPECT_EQ(m_dialog->result(), expected);
        EXPECT_FALSE(HasHsvTable());
        EXPECT_TRUE(m_dialog->pipelineState().unprocessedCopy.empty());
    }
};

TEST_F(EndingTest, ExitEndsTheDialog)
{
    Show();
    m_dialog->pipelineState().unprocessedCopy = FrameRecord(MakeBitmapHeader(2, 2, 24));
    QTest::mouseClick(m_dialog->control(IDC_EXIT), Qt::LeftButton);
    ExpectEnded(QDialog::Rejected);
}

TEST_F(EndingTest, EscapeEndsTheDialog)
{
    Show();
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    ExpectEnded(QDialog::Rejected);
}

TEST_F(EndingTest, TheCloseBoxEndsTheDialog)
{
    Show();
    EXPECT_TRUE(m_dialog->close());
    ExpectEnded(QDialog::Rejected);
}

TEST_F(EndingTest, EnterInAnEditEndsTheDialog)
{
    Show();
    QWidget* red = m_dialog->control(IDC_RED);
    red->setFocus();
    QTest::keyClick(red, Qt::Key_Return);
    ExpectEnded(QDialog::Accepted);
}

TEST_F(VizmarDlgTest, EnterOnAFocusedButtonPressesThatButtonOnly)
{
    Show();
    // "Del Cam" with no camera open only clears the display: no device is looked for.
    auto* deleteCam = m_dialog->controlAs<QPushButton>(IDC_DELETE_CAM);
    int presses = 0;
    QObject::connect(deleteCam, &QPushButton::clicked, [&presses] { ++presses; });
    deleteCam->setFocus();
    QTest::keyClick(deleteCam, Qt::Key_Return);
    EXPECT_EQ(presses, 1);
    EXPECT_TRUE(m_dialog->isVisible());
}

TEST_F(VizmarDlgTest, NoCaptionIsCutOff)
{
    for (QWidget* child : m_dialog->findChildren<QWidget*>()) {
        const bool captionBeside = qobject_cast<QCheckBox*>(child) || qobject_cast<QRadioButton*>(child) ||
                                   qobject_cast<QLabel*>(child);
        if (captionBeside) {
            EXPECT_GE(child->width(), child->sizeHint().width()) << AnnouncedName(child).toStdString();
        }
    }
    for (QPushButton* button : m_dialog->findChildren<QPushButton*>()) {
        const int textWidth = button->fontMetrics().horizontalAdvance(AnnouncedName(button));
        EXPECT_LE(textWidth, button->width() - 4) << AnnouncedName(button).toStdString();
    }
}

TEST_F(VizmarDlgTest, ScreenshotForReview)
{
    Show();
    EXPECT_TRUE(m_dialog->grab().save(QStringLiteral("main-dialog.png")));
}

// The widest numbers each box shows while the program runs, to check that none is cut off.
TEST_F(VizmarDlgTest, ScreenshotWithTypicalNumbersForReview)
{
    const std::pair<int, int> spins[] = {{IDC_RED_SPIN, 255}, {IDC_GREEN_SPIN, 128}, {IDC_BLUE_SPIN, 0},
                                         {IDC_HUE_SPIN, 359}, {IDC_SATURATION_SPIN, 255}, {IDC_VALUE_SPIN, 255},
                                         {IDC_EROSION_SPIN, 9}, {IDC_DILATION_SPIN, 9}, {IDC_LENS_SPIN, 1000}};
    for (const auto& [id, position] : spins) {
        m_dialog->upDown(id)->SetRange(0, 1000);
        m_dialog->upDown(id)->SetPos(position);
    }
    const std::pair<int, const char*> texts[] = {
        {IDC_HUE_WIDTH, "359"}, {IDC_SATURATION_WIDTH, "255"}, {IDC_VALUE_WIDTH, "255"},
        {IDC_HUE_RANGE, "0.9972 - 1.9944"}, {IDC_SATURATION_RANGE, "0.1176 - 1.0000"},
        {IDC_VALUE_RANGE, "0.1176 - 1.0000"}, {IDC_FPS, "30"}, {IDC_THRESHOLD, "255"}};
    for (const auto& [id, text] : texts)
        m_dialog->controlAs<QLineEdit>(id)->setText(QLatin1String(text));
    Show();
    EXPECT_TRUE(m_dialog->grab().save(QStringLiteral("main-dialog-numbers.png")));
}
}  // namespace
