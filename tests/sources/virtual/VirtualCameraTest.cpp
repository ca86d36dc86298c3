#include "imaging/FormatConversion.h"
#include "platform/ModalRunner.h"
#include "sources/camera/CamObj.h"
#include "sources/camera/CamSlot.h"
#include "sources/camera/CameraTestSupport.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/virtual/VirtualCaptureDriver.h"
#include "sources/virtual/VirtualScene.h"

#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

std::vector<uint8_t> ExpectedBgr(const YuvColour& colour)
{
    const uint32_t rgb = YuvToRgbPixel(colour.y, colour.u, colour.v);
    return {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)};
}

long long LastTick(CaptureHandle handle)
{
    CamSlot* slot = FindCamSlot(handle);
    std::lock_guard lock(slot->frameMutex);
    return slot->lastTick;
}

// Blocks the UI thread, without handling events, until the capture thread has stored
// another frame: its WM_CAMFRAME is then waiting in the queue.
void WaitForQueuedFrame(CaptureHandle handle)
{
    const long long before = LastTick(handle);
    for (int i = 0; i < 6000 && LastTick(handle) == before; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

class VirtualCameraTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("VIZMAR_CAMERA", "virtual"); }
    void TearDown() override { qunsetenv("VIZMAR_CAMERA"); }

    DialogScript dialogs;
    ScopedModalHook hook{[this](QDialog& dialog) { return dialogs.Answer(dialog); }};
    RecordingSink sink;
};

TEST_F(VirtualCameraTest, ConnectsWithoutDialogsAndDeliversTwentyFourBitFrames)
{
    CCamObj camera(&sink, nullptr, std::make_unique<VirtualCaptureDriver>());
    ASSERT_EQ(camera.Connect(0), 1);
    ASSERT_TRUE(WaitFor([&] { return sink.frames.size() >= 5; }));

    EXPECT_TRUE(dialogs.shown.empty());
    for (const FrameRecord& frame : sink.frames) {
        const BitmapInfoHeader header = frame.header();
        EXPECT_EQ(header.biWidth, 320);
        EXPECT_EQ(header.biHeight, 240);
        EXPECT_EQ(header.biBitCount, 24);
        EXPECT_EQ(header.biCompression, 0u);
        EXPECT_EQ(header.biSizeImage, 320u * 240 * 3);
        EXPECT_EQ(frame.size(), 40u + 320 * 240 * 3);
    }
    for (int fps : sink.rates) {
        EXPECT_GE(fps, 0);
        EXPECT_LE(fps, 1000);
    }
    EXPECT_TRUE(std::any_of(sink.rates.begin() + 1, sink.rates.end(), [](int fps) { return fps > 0; }));
    camera.StopStream();
}

TEST_F(VirtualCameraTest, DialogsStopTheShapesAndThePictureShowsThemBottomUp)
{
    dialogs.onDisplay = [](CaptureDisplayDialog& dialog) {
        auto* move = FindByAccessibleName<QCheckBox>(dialog, QStringLiteral("Move shapes"));
        EXPECT_NE(move, nullptr);
        if (move != nullptr)
            move->setChecked(false);
        return ClickButton(dialog, QStringLiteral("OK"));
    };
    CCamObj camera(&sink, nullptr, std::make_unique<VirtualCaptureDriver>());
    ASSERT_EQ(camera.Connect(1), 1);
    EXPECT_EQ(dialogs.shown, (std::vector<QString>{QStringLiteral("display"), QStringLiteral("format")}));
    ASSERT_TRUE(WaitFor([&] { return sink.frames.size() >= 2; }));
    camera.StopStream();

    const VirtualShapes shapes = VirtualShapesAt(0);
    const FrameRecord& frame = sink.frames.back();
    auto pixelOnScreen = [&](ShapeCentre at) { return PixelAt(frame, 239 - at.y, at.x); };
    EXPECT_EQ(pixelOnScreen(shapes.red), ExpectedBgr(kVirtualRed));
    EXPECT_EQ(pixelOnScreen(shapes.green), ExpectedBgr(kVirtualGreen));
    EXPECT_EQ(pixelOnScreen(shapes.blue), ExpectedBgr(kVirtualBlue));
    EXPECT_EQ(pixelOnScreen({2, 2}), ExpectedBgr(kVirtualBackground));
    EXPECT_EQ(sink.frames.front().size(), frame.size());
}

TEST_F(VirtualCameraTest, DeletingTheCameraReleasesItsSlot)
{
    auto driver = std::make_unique<VirtualCaptureDriver>();
    const CaptureHandle handle = driver->Handle();
    auto camera = std::make_unique<CCamObj>(&sink, nullptr, std::move(driver));
    ASSERT_NE(FindCamSlot(handle), nullptr);
    ASSERT_EQ(camera->Connect(0), 1);
    ASSERT_TRUE(WaitFor([&] { return !sink.frames.empty(); }));
    camera->StopStream();
    camera.reset();
    EXPECT_EQ(FindCamSlot(handle), nullptr);
}

TEST_F(VirtualCameraTest, ASeventhCameraCannotConnectWhileSixAreRegistered)
{
    std::vector<std::unique_ptr<CCamObj>> cameras;
    for (int i = 0; i < 6; ++i) {
        cameras.push_back(std::make_unique<CCamObj>(&sink, nullptr, std::make_unique<VirtualCaptureDriver>()));
        ASSERT_EQ(cameras.back()->Connect(0), 1);
    }
    CCamObj seventh(&sink, nullptr, std::make_unique<VirtualCaptureDriver>());
    EXPECT_EQ(seventh.Connect(0), 0);
    EXPECT_TRUE(dialogs.shown.empty());

    cameras.front()->StopStream();
    cameras.erase(cameras.begin());
    CCamObj replacement(&sink, nullptr, std::make_unique<VirtualCaptureDriver>());
    EXPECT_EQ(replacement.Connect(0), 1);
    replacement.StopStream();
    for (auto& camera : cameras)
        camera->StopStream();
}

TEST_F(VirtualCameraTest, NothingReachesTheSinkAfterStopStreamAndDeletion)
{
    auto driver = std::make_unique<VirtualCaptureDriver>();
    const CaptureHandle handle = driver->Handle();
    auto camera = std::make_unique<CCamObj>(&sink, nullptr, std::move(driver));
    ASSERT_EQ(camera->Connect(0), 1);
    ASSERT_TRUE(WaitFor([&] { return sink.frames.size() >= 2; }));

    WaitForQueuedFrame(handle);
    WaitForQueuedFrame(handle);
    const std::size_t delivered = sink.frames.size();
    camera->StopStream();
    QTest::qWait(100);
    EXPECT_EQ(sink.frames.size(), delivered);
    camera.reset();
    QTest::qWait(100);
    EXPECT_EQ(sink.frames.size(), delivered);
}

TEST_F(VirtualCameraTest, DeletingAStreamingCameraStopsItsThreadFirst)
{
    auto driver = std::make_unique<VirtualCaptureDriver>();
    const CaptureHandle handle = driver->Handle();
    auto camera = std::make_unique<CCamObj>(&sink, nullptr, std::move(driver));
    ASSERT_EQ(camera->Connect(0), 1);
    ASSERT_TRUE(WaitFor([&] { return !sink.frames.empty(); }));

    WaitForQueuedFrame(handle);
    const std::size_t delivered = sink.frames.size();
    camera.reset();
    QTest::qWait(100);
    EXPECT_EQ(sink.frames.size(), delivered);
    EXPECT_EQ(FindCamSlot(handle), nullptr);
}

// Stands for a pipeline that pumps events while it works.
class PumpingSink : public CameraFrameSink {
public:
    void ProcessCameraFrame(FrameRecord&, int) override
    {
        ++calls;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (calls == 1)
            QTest::qWait(300);
        --depth;
    }

    int calls = 0;
    int depth = 0;
    int maxDepth = 0;
};

TEST_F(VirtualCameraTest, AFrameArrivingWhileTheSinkRunsIsNotProcessed)
{
    PumpingSink pumping;
    auto driver = std::make_unique<VirtualCaptureDriver>();
    const CaptureHandle handle = driver->Handle();
    CCamObj camera(&pumping, nullptr, std::move(driver));
    ASSERT_EQ(camera.Connect(0), 1);
    ASSERT_TRUE(WaitFor([&] { return pumping.calls >= 1 && pumping.depth == 0; }));
    WaitForQueuedFrame(handle);
    ASSERT_TRUE(WaitFor([&] { return pumping.calls >= 2; }));
    camera.StopStream();
    EXPECT_EQ(pumping.maxDepth, 1);
}

}  // namespace
