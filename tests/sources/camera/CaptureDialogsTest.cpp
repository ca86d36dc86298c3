#include "platform/ModalRunner.h"
#include "sources/camera/CamObj.h"
#include "sources/camera/CameraTestSupport.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/camera/CaptureFormatDialog.h"
#include "sources/v4l2/FakeV4l2.h"
#include "sources/v4l2/UvcWebcam.h"
#include "sources/v4l2/V4l2CaptureDriver.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr uint32_t kBrightness = V4L2_CID_BRIGHTNESS;
constexpr uint32_t kAutoWhiteBalance = V4L2_CID_AUTO_WHITE_BALANCE;
constexpr uint32_t kPowerLine = V4L2_CID_POWER_LINE_FREQUENCY;
constexpr uint32_t kHidden = V4L2_CID_CONTRAST;

FakeDeviceSetup DeviceWithControls()
{
    FakeDeviceSetup setup;
    setup.formats = {
        {V4L2_PIX_FMT_YUYV, "YUYV 4:2:2", {{320, 240}, {640, 480}}},
        {V4L2_PIX_FMT_NV12, "Y/UV 4:2:0", {{320, 240}}},
        {V4L2_PIX_FMT_BGR24, "BGR24", {{320, 240}, {160, 120}}},
    };
    setup.controls = {
        {kBrightness, V4L2_CTRL_TYPE_INTEGER, "Brightness", 0, 255, 1, 128, 0, {}},
        {kAutoWhiteBalance, V4L2_CTRL_TYPE_BOOLEAN, "White Balance, Automatic", 0, 1, 1, 1, 0, {}},
        {kPowerLine, V4L2_CTRL_TYPE_MENU, "Power Line Frequency", 0, 2, 1, 1, 0, {"Disabled", "50 Hz", "60 Hz"}},
        {kHidden, V4L2_CTRL_TYPE_INTEGER, "Contrast", 0, 10, 1, 5, V4L2_CTRL_FLAG_DISABLED, {}},
    };
    return setup;
}

class CaptureDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { io->AddDevice(0, DeviceWithControls()); }

    std::vector<std::pair<uint32_t, int32_t>> ControlWrites()
    {
        return io->WithDevice(0, [](FakeV4l2Device& d) { return d.controlWrites; });
    }

    // Connects with the driver dialogs; the display dialog is answered by answerDisplay.
    void ConnectWithDialogs(std::function<int(CaptureDisplayDialog&)> answerDisplay)
    {
        dialogs.onDisplay = std::move(answerDisplay);
        CCamObj camera(&sink, nullptr, std::make_unique<V4l2CaptureDriver>(io));
        ASSERT_EQ(camera.Connect(1), 1);
        camera.StopStream();
    }

    std::shared_ptr<FakeV4l2> io = std::make_shared<FakeV4l2>();
    DialogScript dialogs;
    ScopedModalHook hook{[this](QDialog& dialog) { return dialogs.Answer(dialog); }};
    RecordingSink sink;
};

TEST_F(CaptureDialogsTest, DisplayDialogShowsTheEnabledControlsWithTheirValues)
{
    ConnectWithDialogs([](CaptureDisplayDialog& dialog) {
        auto* brightness = FindByAccessibleName<QSlider>(dialog, QStringLiteral("Brightness"));
        auto* balance = FindByAccessibleName<QCheckBox>(dialog, QStringLiteral("White Balance, Automatic"));
        auto* power = FindByAccessibleName<QComboBox>(dialog, QStringLiteral("Power Line Frequency"));
        EXPECT_NE(brightness, nullptr);
        EXPECT_NE(balance, nullptr);
        EXPECT_NE(power, nullptr);
        EXPECT_EQ(FindByAccessibleName<QWidget>(dialog, QStringLiteral("Contrast")), nullptr);
        if (brightness != nullptr) {
            EXPECT_EQ(brightness->value(), 128);
            EXPECT_EQ(brightness->maximum(), 255);
        }
        if (balance != nullptr) {
            EXPECT_TRUE(balance->isChecked());
        }
        if (power != nullptr) {
            EXPECT_EQ(power->count(), 3);
            EXPECT_EQ(power->currentText(), QStringLiteral("50 Hz"));
        }
        return ClickButton(dialog, QStringLiteral("OK"));
    });
    EXPECT_EQ(dialogs.shown, (std::vector<QString>{QStringLiteral("display"), QStringLiteral("format")}));
    EXPECT_TRUE(ControlWrites().empty());
}

TEST_F(CaptureDialogsTest, ChangedControlsReachTheDeviceAtOnce)
{
    ConnectWithDialogs([](CaptureDisplayDialog& dialog) {
        FindByAccessibleName<QSlider>(dialog, QStringLiteral("Brightness"))->setValue(200);
        QTest::mouseClick(FindByAccessibleName<QCheckBox>(dialog, QStringLiteral("White Balance, Automatic")),
                          Qt::LeftButton);
        FindByAccessibleName<QComboBox>(dialog, QStringLiteral("Power Line Frequency"))->setCurrentIndex(2);
        return ClickButton(dialog, QStringLiteral("OK"));
    });
    const std::vector<std::pair<uint32_t, int32_t>> expected = {
        {kBrightness, 200}, {kAutoWhiteBalance, 0}, {kPowerLine, 2}};
    EXPECT_EQ(ControlWrites(), expected);
}

TEST_F(CaptureDialogsTest, CancelPutsTheStartingValuesBack)
{
    ConnectWithDialogs([](CaptureDisplayDialog& dialog) {
        FindByAccessibleName<QSlider>(dialog, QStringLiteral("Brightness"))->setValue(10);
        return ClickButton(dialog, QStringLiteral("Cancel"));
    });
    const int32_t brightness = io->WithDevice(0, [](FakeV4l2Device& d) { return d.setup.controls[0].value; });
    EXPECT_EQ(brightness, 128);
    EXPECT_EQ(ControlWrites().front(), std::make_pair(kBrightness, int32_t(10)));
}

TEST_F(CaptureDialogsTest, FormatDialogListsTheDeliverableFormatsAndTheirSizes)
{
    dialogs.onFormat = [](CaptureFormatDialog& dialog) {
        auto* formats = FindByAccessibleName<QComboBox>(dialog, QStringLiteral("Pixel format"));
        auto* sizes = FindByAccessibleName<QComboBox>(dialog, QStringLiteral("Frame size"));
        EXPECT_NE(formats, nullptr);
        EXPECT_NE(sizes, nullptr);
        if (formats == nullptr || sizes == nullptr)
            return int(QDialog::Rejected);
        EXPECT_EQ(formats->count(), 2) << "NV12 cannot be delivered";
        EXPECT_EQ(formats->currentText(), QStringLiteral("YUYV 4:2:2"));
        EXPECT_EQ(sizes->count(), 2);
        EXPECT_EQ(sizes->currentText(), QStringLiteral("320x240"));
        formats->setCurrentIndex(formats->findText(QStringLiteral("BGR24")));
        EXPECT_EQ(sizes->itemText(1), QStringLiteral("160x120"));
        EXPECT_EQ(sizes->currentText(), QStringLiteral("320x240")) << "the chosen size is kept where it exists";
        return ClickButton(dialog, QStringLiteral("OK"));
    };
    ConnectWithDialogs({});
    const v4l2_pix_format chosen = io->WithDevice(0, [](FakeV4l2Device& d) { return d.formatRequests.back(); });
    EXPECT_EQ(chosen.pixelformat, uint32_t(V4L2_PIX_FMT_BGR24));
    EXPECT_EQ(chosen.width, 320u);
}

TEST_F(CaptureDialogsTest, EveryControlOfBothDialogsHasAnAccessibleName)
{
    auto expectNamed = [](QDialog& dialog) {
        const auto widgets = dialog.findChildren<QWidget*>();
        for (QWidget* widget : widgets) {
            const bool isControl = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget)
                || qobject_cast<QSlider*>(widget);
            if (isControl) {
                EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->metaObject()->className();
            }
        }
        return ClickButton(dialog, QStringLiteral("OK"));
    };
    dialogs.onFormat = expectNamed;
    ConnectWithDialogs(expectNamed);
}

// Automatic modes off, then temperature 3500 and exposure time 900.
void SetWhiteBalanceAndExposureByHand(CaptureDisplayDialog& dialog)
{
    QTest::mouseClick(FindByAccessibleName<QCheckBox>(dialog, QStringLiteral("White Balance, Automatic")),
                      Qt::LeftButton);
    FindByAccessibleName<QSlider>(dialog, QStringLiteral("White Balance Temperature"))->setValue(3500);
    auto* exposureMode = FindByAccessibleName<QComboBox>(dialog, QStringLiteral("Auto Exposure"));
    exposureMode->setCurrentIndex(exposureMode->findText(QStringLiteral("Manual Mode")));
    FindByAccessibleName<QSlider>(dialog, QStringLiteral("Exposure Time, Absolute"))->setValue(900);
}

class CameraControlsTest : public CaptureDialogsTest {
protected:
    void SetUp() override { io->AddDevice(0, UvcWebcam()); }

    int32_t DeviceValue(uint32_t id)
    {
        return io->WithDevice(0, [id](FakeV4l2Device& d) { return d.FindControl(id)->value; });
    }

    static QWidget* Control(QDialog& dialog, const char* name)
    {
        return FindByAccessibleName<QWidget>(dialog, QString::fromUtf8(name));
    }
};

TEST_F(CameraControlsTest, FlagsAndTypesAreShownAsTheDeviceReportsThem)
{
    ConnectWithDialogs([](CaptureDisplayDialog& dialog) {
        EXPECT_TRUE(dialog.windowTitle().endsWith(QStringLiteral("HD Webcam (/dev/video0)")));
        EXPECT_NE(FindByAccessibleName<QLabel>(dialog, QStringLiteral("User Controls")), nullptr);
        EXPECT_NE(FindByAccessibleName<QLabel>(dialog, QStringLiteral("Camera Controls")), nullptr);
        EXPECT_TRUE(Control(dialog, "Brightness")->isEnabled());
        EXPECT_FALSE(Control(dialog, "White Balance Temperature")->isEnabled()) << "auto white balance is on";
        EXPECT_FALSE(Control(dialog, "Exposure Time, Absolute")->isEnabled()) << "auto exposure is on";
        EXPECT_FALSE(Control(dialog, "Gain")->isEnabled()) << "read-only";
        EXPECT_EQ(FindByAccessibleName<QSlider>(dialog, QStringLiteral("Gain"))->value(), 30);
        EXPECT_NE(FindByAccessibleName<QPushButton>(dialog, QStringLiteral("Pan, Reset")), nullptr);
        EXPECT_EQ(Control(dialog, "Pixel Rate"), nullptr) << "64-bit controls are left out";
        auto* zoom = FindByAccessibleName<QComboBox>(dialog, QStringLiteral("Zoom"));
        EXPECT_EQ(zoom->itemText(2), QStringLiteral("200"));
        auto* exposureMode = FindByAccessibleName<QComboBox>(dialog, QStringLiteral("Auto Exposure"));
        EXPECT_EQ(exposureMode->count(), 2) << "unnamed menu items are left out";

        QTest::mouseClick(FindByAccessibleName<QCheckBox>(dialog, QStringLiteral("White Balance, Automatic")),
                          Qt::LeftButton);
        EXPECT_TRUE(Control(dialog, "White Balance Temperature")->isEnabled()) << "read back after the change";
        exposureMode->setCurrentIndex(exposureMode->findText(QStringLiteral("Manual Mode")));
        EXPECT_TRUE(Control(dialog, "Exposure Time, Absolute")->isEnabled());
        return ClickButton(dialog, QStringLiteral("OK"));
    });
    EXPECT_EQ(DeviceValue(kAutoWhiteBalance), 0);
    EXPECT_EQ(DeviceValue(V4L2_CID_EXPOSURE_AUTO), 1);
}

TEST_F(CameraControlsTest, RefusedAndAdjustedValuesShowWhatTheDeviceHolds)
{
    ConnectWithDialogs([](CaptureDisplayDialog& dialog) {
        auto* status = FindByAccessibleName<QLabel>(dialog, QStringLiteral("Status"));
        auto* sharpness = FindByAccessibleName<QSlider>(dialog, QStringLiteral("Sharpness"));
        sharpness->setValue(6);
        EXPECT_EQ(sharpness->value(), 3);
        EXPECT_TRUE(status->text().contains(QStringLiteral("refused 6 for \"Sharpness\""))) << status->text().toStdString();
        EXPECT_EQ(FindByAccessibleName<QLabel>(dialog, QStringLiteral("Sharpness value"))->text(), QStringLiteral("3"));

        QTest::mouseClick(FindByAccessibleName<QCheckBox>(dialog, QStringLiteral("White Balance, Automatic")),
                          Qt::LeftButton);
        auto* temperature = FindByAccessibleName<QSlider>(dialog, QStringLiteral("White Balance Temperature"));
        temperature->setValue(3004);
        EXPECT_EQ(temperature->value(), 3000) << "the device rounds onto its step";
        EXPECT_TRUE(status->text().isEmpty());
        return ClickButton(dialog, QStringLiteral("OK"));
    });
    EXPECT_EQ(DeviceValue(V4L2_CID_SHARPNESS), 3);
    EXPECT_EQ(DeviceValue(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 3000);
}

// Switching the automatic mode back on first would make the device refuse the temperature.
TEST_F(CameraControlsTest, CancelUndoesTheChangesInAnOrderTheDeviceAccepts)
{
    ConnectWithDialogs([](CaptureDisplayDialog& dialog) {
        SetWhiteBalanceAndExposureByHand(dialog);
        FindByAccessibleName<QSlider>(dialog, QStringLiteral("Brightness"))->setValue(-20);
        return ClickButton(dialog, QStringLiteral("Cancel"));
    });
    EXPECT_EQ(DeviceValue(kAutoWhiteBalance), 1);
    EXPECT_EQ(DeviceValue(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 4600);
    EXPECT_EQ(DeviceValue(V4L2_CID_EXPOSURE_AUTO), 3);
    EXPECT_EQ(DeviceValue(V4L2_CID_EXPOSURE_ABSOLUTE), 250);
    EXPECT_EQ(DeviceValue(kBrightness), 10);
}

TEST_F(CameraControlsTest, DefaultsReachEveryWritableControlAndCancelStillPutsTheStartBack)
{
    const auto manualSettings = [](CaptureDisplayDialog& dialog) {
        SetWhiteBalanceAndExposureByHand(dialog);
        return ClickButton(dialog, QStringLiteral("OK"));
    };
    ConnectWithDialogs(manualSettings);

    ConnectWithDialogs([](CaptureDisplayDialog& dialog) {
        ClickButton(dialog, QStringLiteral("Defaults"));
        EXPECT_EQ(FindByAccessibleName<QSlider>(dialog, QStringLiteral("Brightness"))->value(), 0);
        EXPECT_FALSE(Control(dialog, "White Balance Temperature")->isEnabled());
        return ClickButton(dialog, QStringLiteral("OK"));
    });
    EXPECT_EQ(DeviceValue(kBrightness), 0);
    EXPECT_EQ(DeviceValue(kAutoWhiteBalance), 1);
    EXPECT_EQ(DeviceValue(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 4600);
    EXPECT_EQ(DeviceValue(V4L2_CID_EXPOSURE_AUTO), 3);
    EXPECT_EQ(DeviceValue(V4L2_CID_EXPOSURE_ABSOLUTE), 250);
    EXPECT_EQ(DeviceValue(V4L2_CID_GAIN), 30) << "read-only controls are left alone";

    ConnectWithDialogs(manualSettings);
    ConnectWithDialogs([](CaptureDisplayDialog& dialog) {
        ClickButton(dialog, QStringLiteral("Defaults"));
        return ClickButton(dialog, QStringLiteral("Cancel"));
    });
    EXPECT_EQ(DeviceValue(kAutoWhiteBalance), 0);
    EXPECT_EQ(DeviceValue(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 3500);
    EXPECT_EQ(DeviceValue(V4L2_CID_EXPOSURE_AUTO), 1);
    EXPECT_EQ(DeviceValue(V4L2_CID_EXPOSURE_ABSOLUTE), 900);
}

}  // namespace
