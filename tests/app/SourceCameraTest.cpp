#include "app/SourceDialogFixture.h"
#include "imaging/FormatConversion.h"
#include "sources/CSetFPS.h"
#include "sources/CaptureDriverFactory.h"
#include "sources/SourceControl.h"
#include "sources/avi/AviTestVideo.h"
#include "sources/camera/CamObj.h"
#include "sources/camera/CamSlot.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/v4l2/FakeV4l2.h"
#include "sources/v4l2/V4l2CaptureDriver.h"
#include "sources/virtual/VirtualScene.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>

#include <cstdlib>

namespace {

const QString kConnectFailure =
    QStringLiteral("Failed to connect to selected Video device.\r\nPlease choose other device.");
constexpr qint64 kSnapshotFileBytes = 14 + 40 + 320 * 240 * 3;

// True when every pixel of output is the pixel of input at the same row, mirrored.
bool IsMirrorOf(const FrameRecord& output, const FrameRecord& input)
{
    const BitmapInfoHeader header = input.header();
    if (output.header().biWidth != header.biWidth || output.header().biHeight != header.biHeight)
        return false;
    for (int row = 0; row < header.biHeight; ++row) {
        for (int column = 0; column < header.biWidth; ++column) {
            if (PixelAt(output, row, column) != PixelAt(input, row, header.biWidth - 1 - column))
                return false;
        }
    }
    return true;
}

int FreeCamSlots()
{
    std::vector<std::unique_ptr<int>> keys;
    while (true) {
        keys.push_back(std::make_unique<int>());
        if (RegisterCamSlot(reinterpret_cast<CaptureHandle>(keys.back().get()), nullptr, nullptr) == nullptr)
            break;
    }
    for (const auto& key : keys)
        ReleaseCamSlot(reinterpret_cast<CaptureHandle>(key.get()));
    return int(keys.size()) - 1;
}

// The real dialog with the virtual camera behind "Add Cam" and "Cam setup".
class VirtualCameraDialogTest : public SourceDialogFixture {
protected:
    VirtualCameraDialogTest() { qputenv("VIZMAR_CAMERA", "virtual"); }
    ~VirtualCameraDialogTest() override { qunsetenv("VIZMAR_CAMERA"); }

    // Replaces the camera through "Cam setup", with the virtual camera's shapes standing
    // still, so that every frame is the same picture.
    void ConnectStillCamera()
    {
        m_driverDialogs.onDisplay = [](CaptureDisplayDialog& dialog) {
            FindByAccessibleName<QCheckBox>(dialog, QStringLiteral("Move shapes"))->setChecked(false);
            return ClickButton(dialog, QStringLiteral("OK"));
        };
        Click(IDC_CAM_SETUP);
        ASSERT_TRUE(Dialog().sourceControl().Cameras().HasCamera());
    }
};

TEST_F(VirtualCameraDialogTest, AddCamConnectsAndDrawsEveryFrameMirrored)
{
    Click(IDC_ADD_CAM);
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));
    EXPECT_FALSE(Enabled(IDC_WEB_CAMERA));
    EXPECT_FALSE(Enabled(IDC_AVI_FILE));
    EXPECT_TRUE(Enabled(IDC_CAM_SETUP));
    ASSERT_TRUE(WaitForFrames(3));

    const PipelineState& state = Dialog().pipelineState();
    const FrameRecord& drawn = state.bufferSet[kLastOutputBuffer];
    EXPECT_EQ(drawn.header().biWidth, 320);
    EXPECT_EQ(drawn.header().biHeight, 240);
    EXPECT_TRUE(IsMirrorOf(drawn, state.unprocessedCopy));
    EXPECT_FALSE(IsMirrorOf(drawn, drawn)) << "the picture is not symmetric, so mirroring shows";
    EXPECT_TRUE(Shows(drawn));
}

TEST_F(VirtualCameraDialogTest, ReadOutsShowTheRateAndThresholdAfterTwentyFrames)
{
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitFor([&] { return FramesProcessed() >= 20; }));
    bool isNumber = false;
    const int fps = Dialog().controlAs<QLineEdit>(IDC_FPS)->text().toInt(&isNumber);
    EXPECT_TRUE(isNumber) << Dialog().controlAs<QLineEdit>(IDC_FPS)->text().toStdString();
    EXPECT_GE(fps, 0);
    EXPECT_LE(fps, 1000);
    EXPECT_EQ(Dialog().controlAs<QLineEdit>(IDC_THRESHOLD)->text(), QStringLiteral("20"));
}

TEST_F(VirtualCameraDialogTest, SnapshotSavesTheNextFrameBesideTheProgram)
{
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitForFrames(1));
    EXPECT_TRUE(Snapshots().isEmpty());
    Click(IDC_ADD_CAM);
    EXPECT_TRUE(Dialog().pipelineState().snapshotRequest);
    ASSERT_TRUE(WaitFor([&] { return !Snapshots().isEmpty(); }));

    ASSERT_EQ(Snapshots().size(), 1);
    const QString name = Snapshots().first();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^VIZMAR\\d+\\.bmp$")).match(name).hasMatch()) << name.toStdString();
    EXPECT_EQ(QFileInfo(m_programFolder.file(name)).size(), kSnapshotFileBytes);
    EXPECT_FALSE(Dialog().pipelineState().snapshotRequest);
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));
}

TEST_F(VirtualCameraDialogTest, SnapshotHoldsThePixelsDrawn)
{
    ConnectStillCamera();
    ASSERT_TRUE(WaitForFrames(2));
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitFor([&] { return !Snapshots().isEmpty(); }));

    const QByteArray file = ReadFileBytes(m_programFolder.file(Snapshots().first()));
    ASSERT_EQ(file.size(), kSnapshotFileBytes);
    const FrameRecord& drawn = Dialog().pipelineState().bufferSet[kLastOutputBuffer];
    const QByteArray drawnPixels(reinterpret_cast<const char*>(drawn.pixels()), 320 * 240 * 3);
    EXPECT_TRUE(file.mid(54) == drawnPixels);
    EXPECT_TRUE(Shows(drawn));
}

// Each shape of the standing picture shows where the mirror puts it: at the same height,
// as far from the right edge as the camera has it from the left.
TEST_F(VirtualCameraDialogTest, TheDisplayShowsThePictureMirroredAndScaled)
{
    ConnectStillCamera();
    ASSERT_TRUE(WaitForFrames(1));
    const VirtualShapes shapes = VirtualShapesAt(0);
    const double scale = double(Picture().width()) / kVirtualWidth;
    struct Shape {
        const char* name;
        ShapeCentre centre;
        YuvColour colour;
    };
    for (const Shape& shape : {Shape{"red", shapes.red, kVirtualRed}, Shape{"green", shapes.green, kVirtualGreen},
                               Shape{"blue", shapes.blue, kVirtualBlue}}) {
        SCOPED_TRACE(shape.name);
        const uint32_t rgb = YuvToRgbPixel(shape.colour.y, shape.colour.u, shape.colour.v);
        const QRgb expected = qRgb(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF));
        const QPoint mirrored(int((kVirtualWidth - 1 - shape.centre.x) * scale), int(shape.centre.y * scale));
        const QPoint unmirrored(int(shape.centre.x * scale), int(shape.centre.y * scale));
        EXPECT_EQ(Picture().pixel(mirrored), expected);
        // A shape near the middle covers its own mirror image.
        if (std::abs(2 * shape.centre.x - (kVirtualWidth - 1)) > 80) {
            EXPECT_NE(Picture().pixel(unmirrored), expected);
        }
    }
}

TEST_F(VirtualCameraDialogTest, DelCamStopsTheCameraAndPaintsTheDisplayWhite)
{
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitForFrames(2));
    Click(IDC_DELETE_CAM);

    EXPECT_FALSE(Dialog().sourceControl().Cameras().HasCamera());
    EXPECT_EQ(FreeCamSlots(), kCamSlotCount);
    EXPECT_TRUE(NoMoreFrames());
    QImage white(Picture().size(), Picture().format());
    white.fill(Qt::white);
    EXPECT_EQ(Picture(), white);
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Add Cam"));
    EXPECT_TRUE(Enabled(IDC_WEB_CAMERA));
    EXPECT_TRUE(Enabled(IDC_AVI_FILE));
    EXPECT_TRUE(Dialog().pipelineState().bufferSet[0].empty()) << "the input state is reset";

    Click(IDC_ADD_CAM);
    EXPECT_TRUE(WaitForFrames(1)) << "a camera connects again";
}

TEST_F(VirtualCameraDialogTest, ASeventhCameraCannotConnect)
{
    RecordingSink elsewhere;
    std::vector<std::unique_ptr<CCamObj>> others;
    for (int i = 0; i < kCamSlotCount; ++i)
        others.push_back(std::make_unique<CCamObj>(&elsewhere, nullptr, CreateCaptureDriver()));

    Click(IDC_ADD_CAM);
    EXPECT_EQ(m_messages, QStringList{kConnectFailure});
    EXPECT_FALSE(Dialog().sourceControl().Cameras().HasCamera());
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));

    others.pop_back();
    Click(IDC_ADD_CAM);
    EXPECT_EQ(m_messages.size(), 1) << "with a slot free, the next press connects";
    EXPECT_TRUE(WaitForFrames(1));
}

TEST_F(VirtualCameraDialogTest, ClosingTheDialogWhileStreamingStopsTheCamera)
{
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitForFrames(2));
    Click(IDC_EXIT);
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(FreeCamSlots(), kCamSlotCount);
    EXPECT_TRUE(NoMoreFrames());
    m_dialog.reset();
    EXPECT_EQ(FreeCamSlots(), kCamSlotCount);
}

TEST_F(VirtualCameraDialogTest, CamSetupReplacesTheCameraAndLeavesTheSourceChoiceAlone)
{
    Click(IDC_CAM_SETUP);
    EXPECT_EQ(m_driverDialogs.shown, (std::vector<QString>{QStringLiteral("display"), QStringLiteral("format")}));
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));
    EXPECT_TRUE(Enabled(IDC_CAM_SETUP));
    EXPECT_TRUE(Enabled(IDC_WEB_CAMERA));
    EXPECT_TRUE(Enabled(IDC_AVI_FILE));
    ASSERT_TRUE(WaitForFrames(1));

    Click(IDC_CAM_SETUP);
    EXPECT_EQ(FreeCamSlots(), kCamSlotCount - 1) << "the first camera is gone";
    EXPECT_EQ(FramesProcessed(), 0) << "the rate average starts again";
    EXPECT_TRUE(Dialog().pipelineState().unprocessedCopy.empty());
    EXPECT_TRUE(WaitForFrames(1));
}

// In file mode a camera keeps streaming, its frames neither mirrored nor counted in the rate.
TEST_F(VirtualCameraDialogTest, ACameraSeenInFileModeIsNotMirrored)
{
    ConnectStillCamera();
    ASSERT_TRUE(WaitForFrames(1));
    Click(IDC_AVI_FILE);
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Open"));
    const QString rate = Dialog().controlAs<QLineEdit>(IDC_FPS)->text();
    ASSERT_TRUE(WaitForFrames(25));
    const PipelineState& state = Dialog().pipelineState();
    const FrameRecord& drawn = state.bufferSet[kLastOutputBuffer];
    EXPECT_TRUE(PixelsOf(drawn) == PixelsOf(state.unprocessedCopy));
    EXPECT_EQ(Dialog().controlAs<QLineEdit>(IDC_FPS)->text(), rate);
}

// The scripted V4L2 device behind the dialog's cameras.
class FakeDeviceDialogTest : public SourceDialogFixture {
protected:
    FakeDeviceSetup Yuyv320()
    {
        FakeDeviceSetup setup;
        setup.formats = {{V4L2_PIX_FMT_YUYV, "YUYV 4:2:2", {{320, 240}}}};
        return setup;
    }

    v4l2_fract FirstIntervalAsked()
    {
        return m_io->WithDevice(0, [](FakeV4l2Device& device) { return device.intervalRequests.at(0); });
    }

    std::shared_ptr<FakeV4l2> m_io = std::make_shared<FakeV4l2>();
    ScopedCaptureDriverFactory m_factory{[this] { return std::make_unique<V4l2CaptureDriver>(m_io); }};
};

TEST_F(FakeDeviceDialogTest, WithoutAnyDeviceAddCamTellsTheUserOnce)
{
    Click(IDC_ADD_CAM);
    EXPECT_EQ(m_messages, QStringList{kConnectFailure});
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));
    EXPECT_FALSE(Dialog().sourceControl().Cameras().HasCamera());

    Click(IDC_ADD_CAM);
    EXPECT_EQ(m_messages.size(), 2) << "with no camera open the button connects again";
    Click(IDC_DELETE_CAM);
    EXPECT_TRUE(Enabled(IDC_WEB_CAMERA));
    EXPECT_TRUE(Enabled(IDC_AVI_FILE));
}

TEST_F(FakeDeviceDialogTest, TheRateChosenInCamSetupReachesTheDevice)
{
    struct Case {
        QString item;
        uint32_t framesPerSecond;
    };
    for (const Case& c : {Case{"7", 7}, Case{"15", 15}, Case{"30", 30}, Case{"60", 60}}) {
        SCOPED_TRACE(c.item.toStdString());
        m_io = std::make_shared<FakeV4l2>();
        m_io->AddDevice(0, Yuyv320());
        m_onRateDialog = [&](CSetFPS& dialog) { return ChooseRate(dialog, c.item); };
        Click(IDC_CAM_SETUP);
        ASSERT_TRUE(Dialog().sourceControl().Cameras().HasCamera());
        const v4l2_fract asked = FirstIntervalAsked();
        EXPECT_EQ(asked.numerator, 1u);
        EXPECT_EQ(asked.denominator, c.framesPerSecond);
        Click(IDC_DELETE_CAM);
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(FakeDeviceDialogTest, CancelledRateDialogKeepsThirtyAndStillReconnects)
{
    m_io->AddDevice(0, Yuyv320());
    m_onRateDialog = [](CSetFPS& dialog) {
        auto* box = dialog.findChild<QComboBox*>(QString::number(CSetFPS::kRateComboId));
        box->setCurrentIndex(0);
        return ClickButton(dialog, QStringLiteral("Cancel"));
    };
    Click(IDC_CAM_SETUP);
    ASSERT_TRUE(Dialog().sourceControl().Cameras().HasCamera());
    const v4l2_fract asked = FirstIntervalAsked();
    EXPECT_EQ(asked.numerator, 1u);
    EXPECT_EQ(asked.denominator, 30u);
}

TEST_F(FakeDeviceDialogTest, AddCamAsksForThirtyFramesPerSecond)
{
    m_io->AddDevice(0, Yuyv320());
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(Dialog().sourceControl().Cameras().HasCamera());
    EXPECT_EQ(FirstIntervalAsked().denominator, 30u);
    EXPECT_TRUE(m_driverDialogs.shown.empty()) << "Add Cam shows no driver dialog";
}

}  // namespace
