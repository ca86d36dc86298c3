#include "app/SourceDialogFixture.h"
#include "imaging/FormatConversion.h"
#include "sources/CSetFPS.h"
#include "sources/CaptureDriverFactory.h"
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
#include <QTest>

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

// Whether the frame shows the three shapes of some frame of the virtual camera's cycle,
// each where the mirror puts it.
bool ShowsShapesOfSomeFrame(const FrameRecord& frame, bool mirrored)
{
    struct Shape {
        ShapeCentre VirtualShapes::*centre;
        YuvColour colour;
    };
    const Shape kinds[] = {{&VirtualShapes::red, kVirtualRed}, {&VirtualShapes::green, kVirtualGreen},
                           {&VirtualShapes::blue, kVirtualBlue}};
    for (int index = 0; index < kVirtualCycle; ++index) {
        const VirtualShapes shapes = VirtualShapesAt(index);
        bool all = true;
        for (const Shape& kind : kinds) {
            const ShapeCentre centre = shapes.*kind.centre;
            const int column = mirrored ? kVirtualWidth - 1 - centre.x : centre.x;
            const uint32_t rgb = YuvToRgbPixel(kind.colour.y, kind.colour.u, kind.colour.v);
            const std::vector<uint8_t> bgr{uint8_t(rgb >> 16 & 0xFF), uint8_t(rgb >> 8 & 0xFF), uint8_t(rgb & 0xFF)};
            all = all && PixelAt(frame, kVirtualHeight - 1 - centre.y, column) == bgr;
        }
        if (all)
            return true;
    }
    return false;
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
        ASSERT_TRUE(m_messages.isEmpty());
    }

    // Whether the display shows each shape of the standing picture where the camera puts it,
    // mirrored or not: at the same height, as far from one edge as the camera has it from
    // the other. A shape near the middle covers its own mirror image, so only the others
    // must be missing from the other side.
    bool ShowsTheStandingShapes(bool mirrored)
    {
        const QImage picture = Picture();
        const VirtualShapes shapes = VirtualShapesAt(0);
        const double scale = double(picture.width()) / kVirtualWidth;
        struct Shape {
            const char* name;
            ShapeCentre centre;
            YuvColour colour;
        };
        bool shown = true;
        for (const Shape& shape : {Shape{"red", shapes.red, kVirtualRed}, Shape{"green", shapes.green, kVirtualGreen},
                                   Shape{"blue", shapes.blue, kVirtualBlue}}) {
            SCOPED_TRACE(shape.name);
            const uint32_t rgb = YuvToRgbPixel(shape.colour.y, shape.colour.u, shape.colour.v);
            const QRgb expected = qRgb(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF));
            const int fromRight = kVirtualWidth - 1 - shape.centre.x;
            const QPoint where(int((mirrored ? fromRight : shape.centre.x) * scale), int(shape.centre.y * scale));
            const QPoint across(int((mirrored ? shape.centre.x : fromRight) * scale), int(shape.centre.y * scale));
            shown = shown && picture.pixel(where) == expected;
            if (std::abs(2 * shape.centre.x - (kVirtualWidth - 1)) > 80)
                shown = shown && picture.pixel(across) != expected;
        }
        return shown;
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

    // The moving picture is drawn as the camera's frame, mirrored: the snapshot of a frame
    // is the frame drawn, and in it each shape sits where the mirror puts it at some frame
    // of the virtual camera's cycle.
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitFor([&] { return !Snapshots().isEmpty(); }));
    const FrameRecord drawn = SnapshotRecord(Snapshots().first());
    EXPECT_EQ(drawn.header().biWidth, 320);
    EXPECT_EQ(drawn.header().biHeight, 240);
    EXPECT_TRUE(ShowsShapesOfSomeFrame(drawn, true));
    EXPECT_FALSE(IsMirrorOf(drawn, drawn)) << "the picture is not symmetric, so mirroring shows";
    const int shown = FramesProcessed();
    ASSERT_TRUE(WaitForFrames(1));
    EXPECT_GT(FramesProcessed(), shown) << "frames keep coming";
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
    EXPECT_TRUE(Snapshots().isEmpty()) << "the next frame is saved, when it comes";
    ASSERT_TRUE(WaitFor([&] { return !Snapshots().isEmpty(); }));

    ASSERT_EQ(Snapshots().size(), 1);
    const QString name = Snapshots().first();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^VIZMAR\\d+\\.bmp$")).match(name).hasMatch()) << name.toStdString();
    EXPECT_EQ(QFileInfo(m_programFolder.file(name)).size(), kSnapshotFileBytes);
    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_EQ(Snapshots().size(), 1) << "one press, one snapshot";
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
    EXPECT_TRUE(file.startsWith("BM"));
    EXPECT_TRUE(Shows(SnapshotRecord(Snapshots().first())));
}

// Each shape of the standing picture shows where the mirror puts it: at the same height,
// as far from the right edge as the camera has it from the left.
TEST_F(VirtualCameraDialogTest, TheDisplayShowsThePictureMirroredAndScaled)
{
    ConnectStillCamera();
    ASSERT_TRUE(WaitForFrames(1));
    EXPECT_TRUE(ShowsTheStandingShapes(true));
}

TEST_F(VirtualCameraDialogTest, DelCamStopsTheCameraAndPaintsTheDisplayWhite)
{
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitForFrames(2));
    Click(IDC_DELETE_CAM);

    EXPECT_EQ(FreeCamSlots(), kCamSlotCount);
    EXPECT_TRUE(NoMoreFrames());
    QImage white(Picture().size(), Picture().format());
    white.fill(Qt::white);
    EXPECT_EQ(Picture(), white);
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Add Cam"));
    EXPECT_TRUE(Enabled(IDC_WEB_CAMERA));
    EXPECT_TRUE(Enabled(IDC_AVI_FILE));

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
    EXPECT_TRUE(NoMoreFrames());
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
    EXPECT_TRUE(ShowsTheStandingShapes(false));
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

    // Whether the dialog's camera has the device streaming.
    bool Streaming()
    {
        return m_io->WithDevice(0, [](FakeV4l2Device& device) { return device.streaming; });
    }

    std::shared_ptr<FakeV4l2> m_io = std::make_shared<FakeV4l2>();
    ScopedCaptureDriverFactory m_factory{[this] { return std::make_unique<V4l2CaptureDriver>(m_io); }};
};

TEST_F(FakeDeviceDialogTest, WithoutAnyDeviceAddCamTellsTheUserOnce)
{
    Click(IDC_ADD_CAM);
    EXPECT_EQ(m_messages, QStringList{kConnectFailure});
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));
    EXPECT_TRUE(NoMoreFrames());

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
        ASSERT_TRUE(Streaming());
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
    ASSERT_TRUE(Streaming());
    const v4l2_fract asked = FirstIntervalAsked();
    EXPECT_EQ(asked.numerator, 1u);
    EXPECT_EQ(asked.denominator, 30u);
}

TEST_F(FakeDeviceDialogTest, AddCamAsksForThirtyFramesPerSecond)
{
    m_io->AddDevice(0, Yuyv320());
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(Streaming());
    EXPECT_EQ(FirstIntervalAsked().denominator, 30u);
    EXPECT_TRUE(m_driverDialogs.shown.empty()) << "Add Cam shows no driver dialog";
}

bool IsWhite(const QImage& picture)
{
    QImage white(picture.size(), picture.format());
    white.fill(Qt::white);
    return picture == white;
}

TEST_F(FakeDeviceDialogTest, ACameraInUseIsNamedOnceAndConnectsWhenFreed)
{
    FakeDeviceSetup setup = Yuyv320();
    setup.card = "Desk Camera";
    m_io->AddDevice(4, setup);
    m_io->OccupyByOtherProgram(4);
    Click(IDC_ADD_CAM);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].contains(QStringLiteral("Desk Camera (/dev/video4)")));
    EXPECT_TRUE(m_messages[0].contains(QStringLiteral("another program")));
    EXPECT_TRUE(m_driverDialogs.questions.empty());
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));

    m_io->ReleaseOtherProgram(4);
    m_io->PushFrame(4, {Yuy2Frame(320, 240, 90, 128, 128)});
    Click(IDC_ADD_CAM);
    EXPECT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWhite(Picture()); }));
}

TEST_F(FakeDeviceDialogTest, AnUnpluggedCameraIsReportedOnceAndLeavesTheStateOfDelCam)
{
    m_io->AddDevice(0, Yuyv320());
    m_io->PushFrame(0, {Yuy2Frame(320, 240, 90, 128, 128)});
    m_io->SetRepeatLastFrame(0, true);
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitFor([&] { return !IsWhite(Picture()); }));
    m_io->SetRepeatLastFrame(0, false);
    QTest::qWait(100);
    Click(IDC_ADD_CAM);  // a snapshot request the lost camera will never serve
    ASSERT_TRUE(Snapshots().isEmpty());

    m_io->Unplug(0);
    ASSERT_TRUE(WaitFor([&] { return !m_messages.isEmpty(); }));
    QTest::qWait(300);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].contains(QStringLiteral("Fake Camera (/dev/video0)")));
    EXPECT_TRUE(m_messages[0].contains(QStringLiteral("disconnected")));
    EXPECT_TRUE(IsWhite(Picture()));
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Add Cam"));
    EXPECT_TRUE(Enabled(IDC_WEB_CAMERA));
    EXPECT_TRUE(Enabled(IDC_AVI_FILE));
    EXPECT_EQ(m_io->OpenFdCount(), 0);

    m_io->AddDevice(0, Yuyv320());
    m_io->PushFrame(0, {Yuy2Frame(320, 240, 200, 128, 128)});
    m_io->SetRepeatLastFrame(0, true);
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitFor([&] { return !IsWhite(Picture()); })) << "Add Cam works again";
    QTest::qWait(200);
    EXPECT_TRUE(Snapshots().isEmpty()) << "the old snapshot request was dropped";
}

TEST_F(FakeDeviceDialogTest, ASnapshotAskedOfAStalledCameraDoesNotOutliveDelCam)
{
    m_io->AddDevice(0, Yuyv320());
    Click(IDC_ADD_CAM);
    Click(IDC_ADD_CAM);
    Click(IDC_DELETE_CAM);

    m_io->PushFrame(0, {Yuy2Frame(320, 240, 200, 128, 128)});
    m_io->SetRepeatLastFrame(0, true);
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitFor([&] { return !IsWhite(Picture()); }));
    QTest::qWait(200);
    EXPECT_TRUE(Snapshots().isEmpty());
}

TEST_F(FakeDeviceDialogTest, CurrentFpsFallsToZeroWhenFramesStop)
{
    m_io->AddDevice(0, Yuyv320());
    m_io->WithDevice(0, [](FakeV4l2Device& device) { device.frameGap = std::chrono::milliseconds(20); });
    m_io->PushFrame(0, {Yuy2Frame(320, 240, 90, 128, 128)});
    m_io->SetRepeatLastFrame(0, true);
    auto* fps = Dialog().controlAs<QLineEdit>(IDC_FPS);
    Click(IDC_ADD_CAM);
    ASSERT_TRUE(WaitFor([&] { return fps->text().toInt() > 0; }));

    m_io->SetRepeatLastFrame(0, false);
    ASSERT_TRUE(WaitFor([&] { return fps->text() == QStringLiteral("0"); }));
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot")) << "a stalled camera stays connected";
}

}  // namespace
