#include "platform/ModalRunner.h"
#include "sources/camera/CamObj.h"
#include "sources/camera/CameraTestSupport.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/camera/CaptureFormatDialog.h"
#include "sources/v4l2/FakeV4l2.h"
#include "sources/v4l2/V4l2CaptureDriver.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QSlider>

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
        FindByAccessibleName<QCheckBox>(dialog, QStringLiteral("White Balance, Automatic"))->setChecked(false);
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

}  // namespace
