#include "app/SourceDialogFixture.h"
#include "presets/CPresetDlg.h"
#include "presets/PresetCameraFile.h"
#include "presets/PresetFile.h"
#include "sources/CaptureDriverFactory.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/v4l2/FakeV4l2.h"
#include "sources/v4l2/UvcWebcam.h"
#include "sources/v4l2/V4l2CaptureDriver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

constexpr uint32_t kAutoWhiteBalance = V4L2_CID_AUTO_WHITE_BALANCE;
constexpr uint32_t kTemperature = V4L2_CID_WHITE_BALANCE_TEMPERATURE;
constexpr uint32_t kAutoExposure = V4L2_CID_EXPOSURE_AUTO;
constexpr uint32_t kExposure = V4L2_CID_EXPOSURE_ABSOLUTE;
constexpr uint32_t kBrightness = V4L2_CID_BRIGHTNESS;
constexpr int32_t kManualExposure = V4L2_EXPOSURE_MANUAL;
constexpr int32_t kAperturePriority = V4L2_EXPOSURE_APERTURE_PRIORITY;

// The webcam's settings as a user tunes them for a steady range: automatic modes off, fixed
// white balance, exposure and brightness.
const StoredControlValues kManualSettings{{kBrightness, -20},         {kAutoWhiteBalance, 0},
                                          {kTemperature, 3500},        {V4L2_CID_SHARPNESS, 3},
                                          {kAutoExposure, kManualExposure}, {kExposure, 900},
                                          {V4L2_CID_ZOOM_ABSOLUTE, 0}};

// The real dialog with scripted UVC webcams behind "Add Cam", its presets named through the
// name dialog and every question answered Yes.
class PresetCameraTest : public SourceDialogFixture {
protected:
    PresetCameraTest()
    {
        m_onNameDialog = [this](CPresetDlg& dialog) {
            dialog.findChild<QLineEdit*>(QString::number(CPresetDlg::kNameEditId))->setText(m_nextName);
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
            return dialog.result();
        };
        m_driverDialogs.onQuestion = [](QMessageBox&) { return QMessageBox::Yes; };
    }

    void AddWebcam(int node, const char* card = "HD Webcam")
    {
        FakeDeviceSetup setup = UvcWebcam();
        setup.card = card;
        m_io->AddDevice(node, setup);
    }

    void Connect()
    {
        Click(IDC_ADD_CAM);
        ASSERT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('\n')).toStdString();
    }

    // Sets the device's controls as another program (or the camera's own dialog) would.
    void SetOnDevice(const StoredControlValues& values, int node = 0)
    {
        m_io->WithDevice(node, [&](FakeV4l2Device& device) {
            for (const auto& [id, value] : values)
                device.FindControl(id)->value = value;
        });
    }

    int32_t OnDevice(uint32_t id, int node = 0)
    {
        return m_io->WithDevice(node, [id](FakeV4l2Device& device) { return device.FindControl(id)->value; });
    }

    std::size_t WritesTo(int node)
    {
        return m_io->WithDevice(node, [](FakeV4l2Device& device) { return device.controlWrites.size(); });
    }

    void SaveAs(const QString& name)
    {
        m_nextName = name;
        Click(IDC_SAVE_AS);
    }

    QComboBox* Presets() { return Dialog().controlAs<QComboBox>(IDC_PRESET); }

    // Picks a preset from the keyboard, as the user does on the closed box.
    void Choose(int position)
    {
        Presets()->setFocus();
        Presets()->setCurrentIndex(position - 1);
        QTest::keyClick(Presets(), Qt::Key_Down);
        ASSERT_EQ(Presets()->currentIndex(), position);
    }

    void Delete(int position)
    {
        Presets()->setCurrentIndex(position);
        Click(IDC_DELETE_PRESET);
    }

    PresetCameraSettings Stored() const
    {
        QFile file(m_programFolder.file(kPresetCameraFileName));
        return file.open(QIODevice::ReadOnly) ? ParsePresetCameraFile(file.readAll()) : PresetCameraSettings{};
    }

    QLabel* Warning() { return FindByAccessibleName<QLabel>(Dialog(), QStringLiteral("Drift warning")); }
    bool WarningShown() { return Warning()->isVisibleTo(&Dialog()); }

    void ClickMask() { QTest::mouseClick(Dialog().controlAs<QAbstractButton>(IDC_MASK), Qt::LeftButton); }

    std::shared_ptr<FakeV4l2> m_io = std::make_shared<FakeV4l2>();
    ScopedCaptureDriverFactory m_factory{[this] { return std::make_unique<V4l2CaptureDriver>(m_io); }};
    QString m_nextName;
};

TEST_F(PresetCameraTest, SaveAsStoresTheWritableControlsUnderThePresetAndTheModel)
{
    AddWebcam(0);
    Connect();
    SetOnDevice({{kAutoWhiteBalance, 0}, {kTemperature, 3500}, {kAutoExposure, kManualExposure}, {kExposure, 900},
                 {kBrightness, -20}});
    SaveAs(QStringLiteral("Lab"));

    EXPECT_TRUE(m_messages.isEmpty());
    const PresetCameraSettings stored = Stored();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.begin()->first, std::pair(QStringLiteral("Lab"), QStringLiteral("HD Webcam")));
    EXPECT_EQ(stored.begin()->second, kManualSettings) << "read-only gain, the button and 64-bit controls are left out";
    QFile presetFile(m_programFolder.file(kPresetFileName));
    ASSERT_TRUE(presetFile.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = presetFile.readAll().split('\n');
    EXPECT_EQ(lines.size(), 3) << "preset.ini keeps its two lines per preset";
    EXPECT_EQ(lines.front(), QByteArray("[Lab]\r"));
}

// Either way, one automatic mode must change before or after its manual value: the camera
// refuses a manual value while its automatic mode is on.
TEST_F(PresetCameraTest, ChoosingAPresetPutsItsValuesBackInAnOrderTheCameraAccepts)
{
    AddWebcam(0);
    Connect();
    SaveAs(QStringLiteral("Auto"));
    SetOnDevice({{kAutoWhiteBalance, 0}, {kTemperature, 3500}, {kAutoExposure, kManualExposure}, {kExposure, 900},
                 {kBrightness, -20}});
    SaveAs(QStringLiteral("Lab"));

    Choose(4);
    EXPECT_EQ(OnDevice(kAutoWhiteBalance), 1);
    EXPECT_EQ(OnDevice(kTemperature), 4600) << "written before the automatic mode went back on";
    EXPECT_EQ(OnDevice(kAutoExposure), kAperturePriority);
    EXPECT_EQ(OnDevice(kExposure), 250);
    EXPECT_EQ(OnDevice(kBrightness), 10);

    Choose(5);
    for (const auto& [id, value] : kManualSettings)
        EXPECT_EQ(OnDevice(id), value) << "control " << id;
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(PresetCameraTest, OnlyACameraOfTheSameModelTakesThePresetsValues)
{
    AddWebcam(0);
    AddWebcam(1, "Other Cam");
    Connect();
    SetOnDevice(kManualSettings);
    SaveAs(QStringLiteral("Lab"));
    Click(IDC_DELETE_CAM);
    SetOnDevice({{kBrightness, 10}});
    const std::size_t writes = WritesTo(0);

    Choose(4);
    EXPECT_EQ(WritesTo(0), writes) << "no camera connected";
    EXPECT_EQ(OnDevice(kBrightness), 10);

    m_io->Unplug(0);
    Connect();
    Choose(4);
    EXPECT_EQ(WritesTo(1), 0u) << "another model";
    EXPECT_EQ(OnDevice(kBrightness, 1), 10);
}

TEST_F(PresetCameraTest, SavingANameAgainReplacesItsValuesAndTheLastPresetOfTheNameTakesThemAlong)
{
    AddWebcam(0);
    Connect();
    SaveAs(QStringLiteral("Lab"));
    SaveAs(QStringLiteral("Dusk"));
    SetOnDevice({{kBrightness, 40}});
    SaveAs(QStringLiteral("Lab"));
    ASSERT_EQ(Presets()->count(), 7);
    ASSERT_EQ(Stored().size(), 2u);
    EXPECT_EQ(Stored().at({QStringLiteral("Lab"), QStringLiteral("HD Webcam")}).front(),
              std::pair(kBrightness, int32_t(40)));

    Delete(4);
    EXPECT_EQ(Stored().size(), 2u) << "the second Lab keeps them";
    Delete(5);
    const PresetCameraSettings stored = Stored();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.begin()->first.first, QStringLiteral("Dusk"));
}

TEST_F(PresetCameraTest, TheDriftWarningShowsWhileTheMaskMeetsAnAutomaticMode)
{
    AddWebcam(0);
    Connect();
    ASSERT_NE(Warning(), nullptr);
    EXPECT_FALSE(WarningShown()) << "the mask is off";

    ClickMask();
    ASSERT_TRUE(WarningShown());
    EXPECT_EQ(Warning()->text(), QStringLiteral("The range will drift: \"White Balance, Automatic\" and \"Auto Exposure\""
                                                " are on. Switch them off with \"Cam setup\"."));
    auto* display = FindByAccessibleName<CameraView>(Dialog(), QStringLiteral("Camera image"));
    const QRect onDialog(Warning()->mapTo(&Dialog(), QPoint(0, 0)), Warning()->size());
    EXPECT_TRUE(QRect(display->mapTo(&Dialog(), QPoint(0, 0)), display->size()).contains(onDialog));
    for (QWidget* control : Dialog().findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != display && control != Dialog().control(IDC_CAM_GROUP) && control->isVisible()) {
            EXPECT_FALSE(control->geometry().intersects(onDialog)) << control->metaObject()->className();
        }
    }
    const QImage shown = Dialog().grab().toImage();
    EXPECT_LT(qGray(shown.pixel(onDialog.bottomLeft() + QPoint(1, -1))), 80) << "a dark band over the picture";

    SetOnDevice({{kAutoWhiteBalance, 0}});
    EXPECT_TRUE(WaitFor([&] { return !Warning()->text().contains(QStringLiteral("White Balance")); }))
        << "a change made elsewhere shows within a second";
    EXPECT_EQ(Warning()->text(),
              QStringLiteral("The range will drift: \"Auto Exposure\" is on. Switch it off with \"Cam setup\"."));

    SetOnDevice(kManualSettings);
    SaveAs(QStringLiteral("Lab"));
    SetOnDevice({{kAutoExposure, kAperturePriority}});
    Choose(4);
    EXPECT_FALSE(WarningShown()) << "at once when the preset switched the automatic modes off";

    SetOnDevice({{kAutoExposure, kAperturePriority}});
    ClickMask();
    EXPECT_FALSE(WarningShown());
    ClickMask();
    EXPECT_TRUE(WarningShown());
    Click(IDC_DELETE_CAM);
    EXPECT_FALSE(WarningShown());
}

// The virtual camera's one control, "Move shapes", travels like a webcam's.
class VirtualPresetCameraTest : public PresetCameraTest {
protected:
    VirtualPresetCameraTest() { qputenv("VIZMAR_CAMERA", "virtual"); }
    ~VirtualPresetCameraTest() override { qunsetenv("VIZMAR_CAMERA"); }

    // Whether the display shows the same picture a few frames later.
    bool PictureStandsStill()
    {
        EXPECT_TRUE(WaitForFrames(2));
        const QImage before = Picture();
        EXPECT_TRUE(WaitForFrames(3));
        return Picture() == before;
    }

    // Without a factory of its own, the environment picks the driver again.
    ScopedCaptureDriverFactory m_virtual{nullptr};
};

TEST_F(VirtualPresetCameraTest, StillShapesComeBackWithThePreset)
{
    m_driverDialogs.onDisplay = [](CaptureDisplayDialog& dialog) {
        FindByAccessibleName<QCheckBox>(dialog, QStringLiteral("Move shapes"))->setChecked(false);
        return ClickButton(dialog, QStringLiteral("OK"));
    };
    Click(IDC_CAM_SETUP);
    SaveAs(QStringLiteral("Still"));
    EXPECT_EQ(Stored(), (PresetCameraSettings{{{QStringLiteral("Still"), QStringLiteral("Virtual Camera")}, {{1, 0}}}}));

    m_driverDialogs.onDisplay = nullptr;
    Click(IDC_CAM_SETUP);
    ASSERT_FALSE(PictureStandsStill()) << "a new camera moves its shapes";
    Choose(4);
    EXPECT_TRUE(PictureStandsStill());
    EXPECT_TRUE(m_messages.isEmpty());
}

}  // namespace
