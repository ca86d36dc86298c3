#include "imaging/FormatConversion.h"
#include "platform/ModalRunner.h"
#include "sources/camera/CamObj.h"
#include "sources/camera/CameraTestSupport.h"
#include "sources/camera/CaptureFormatDialog.h"
#include "sources/v4l2/FakeV4l2.h"
#include "sources/v4l2/V4l2CaptureDriver.h"

#include <QBuffer>
#include <QImage>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

const QString kQuestion =
    QStringLiteral("Please use 320x240 resolution for this application.\r\nDo you want to configure?");

FakeDeviceSetup YuyvSetup(uint32_t width = kWidth, uint32_t height = kHeight)
{
    FakeDeviceSetup setup;
    setup.formats = {{V4L2_PIX_FMT_YUYV, "YUYV 4:2:2", {{640, 480}, {320, 240}}}};
    setup.pixelFormat = V4L2_PIX_FMT_YUYV;
    setup.width = width;
    setup.height = height;
    return setup;
}

std::vector<uint8_t> Grey(uint8_t y)
{
    const uint32_t rgb = YuvToRgbPixel(y, 128, 128);
    return {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)};
}

class V4l2CameraTest : public ::testing::Test {
protected:
    std::unique_ptr<CCamObj> MakeCamera()
    {
        return std::make_unique<CCamObj>(&sink, nullptr, std::make_unique<V4l2CaptureDriver>(io));
    }

    int Count(int FakeV4l2Device::*counter)
    {
        return io->WithDevice(0, [counter](FakeV4l2Device& d) { return d.*counter; });
    }

    // Lets the device deliver the frame, then handles the event it caused.
    void DeliverOneFrame(std::vector<uint8_t> bytes)
    {
        const int before = Count(&FakeV4l2Device::buffersRequeued);
        io->PushFrame(0, {std::move(bytes)});
        ASSERT_TRUE(WaitFor([&] { return Count(&FakeV4l2Device::buffersRequeued) > before; }));
        QCoreApplication::sendPostedEvents();
    }

    std::shared_ptr<FakeV4l2> io = std::make_shared<FakeV4l2>();
    DialogScript dialogs;
    ScopedModalHook hook{[this](QDialog& dialog) { return dialogs.Answer(dialog); }};
    RecordingSink sink;
};

TEST_F(V4l2CameraTest, WithoutAnyDeviceConnectFailsQuietly)
{
    auto camera = MakeCamera();
    EXPECT_EQ(camera->Connect(0), 0);
    EXPECT_TRUE(dialogs.shown.empty());
    camera.reset();
    EXPECT_EQ(io->OpenFdCount(), 0);
}

TEST_F(V4l2CameraTest, DriversAreTriedInOrderAndNodesThatCannotStreamAreSkipped)
{
    FakeDeviceSetup metadata = YuyvSetup();
    metadata.capabilities = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    io->AddDevice(1, metadata);
    io->AddDevice(3, YuyvSetup());
    io->AddDevice(5, YuyvSetup());
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    EXPECT_EQ(io->WithDevice(3, [](FakeV4l2Device& d) { return d.streamOnCount; }), 1);
    EXPECT_EQ(io->WithDevice(5, [](FakeV4l2Device& d) { return d.streamOnCount; }), 0);
    EXPECT_EQ(io->OpenFdCount(), 1);
    camera->StopStream();
    camera.reset();
    EXPECT_EQ(io->OpenFdCount(), 0);
    EXPECT_EQ(io->MappingCount(), 0);
}

TEST_F(V4l2CameraTest, WideDeviceAskedNoFailsAndKeepsItsFormat)
{
    io->AddDevice(0, YuyvSetup(640, 480));
    auto camera = MakeCamera();
    EXPECT_EQ(camera->Connect(0), 0);
    EXPECT_EQ(dialogs.questions, (std::vector<QString>{kQuestion}));
    EXPECT_EQ(io->WithDevice(0, [](FakeV4l2Device& d) { return d.formatRequests.size(); }), 0u);
    EXPECT_EQ(Count(&FakeV4l2Device::streamOnCount), 0);
}

TEST_F(V4l2CameraTest, QuestionIsAStopBoxWithYesAndNo)
{
    io->AddDevice(0, YuyvSetup(640, 480));
    dialogs.onQuestion = [](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
        return int(QMessageBox::No);
    };
    EXPECT_EQ(MakeCamera()->Connect(0), 0);
}

TEST_F(V4l2CameraTest, WideDeviceAskedYesIsSetTo320InTheFormatDialog)
{
    io->AddDevice(0, YuyvSetup(640, 480));
    dialogs.onQuestion = [](QMessageBox&) { return int(QMessageBox::Yes); };
    dialogs.onFormat = [](CaptureFormatDialog& dialog) { return ChooseFormat(dialog, QStringLiteral("320x240")); };
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    EXPECT_EQ(dialogs.shown, (std::vector<QString>{QStringLiteral("question"), QStringLiteral("format")}));
    const v4l2_pix_format chosen = io->WithDevice(0, [](FakeV4l2Device& d) { return d.formatRequests.back(); });
    EXPECT_EQ(chosen.pixelformat, uint32_t(V4L2_PIX_FMT_YUYV));
    EXPECT_EQ(chosen.width, 320u);
    EXPECT_EQ(chosen.height, 240u);
    camera->StopStream();
}

TEST_F(V4l2CameraTest, QuestionIsRepeatedWhileTheWidthIsNot320)
{
    io->AddDevice(0, YuyvSetup(640, 480));
    int asked = 0;
    dialogs.onQuestion = [&](QMessageBox&) { return int(++asked < 3 ? QMessageBox::Yes : QMessageBox::No); };
    dialogs.onFormat = [](CaptureFormatDialog& dialog) { return ClickButton(dialog, QStringLiteral("Cancel")); };
    EXPECT_EQ(MakeCamera()->Connect(0), 0);
    EXPECT_EQ(dialogs.shown, (std::vector<QString>{QStringLiteral("question"), QStringLiteral("format"),
                                                   QStringLiteral("question"), QStringLiteral("format"),
                                                   QStringLiteral("question")}));
}

TEST_F(V4l2CameraTest, YuyvFramesArriveAsConvertedBottomUpRgb)
{
    io->AddDevice(0, YuyvSetup());
    std::vector<uint8_t> frame = Yuy2Frame(kWidth, kHeight, 128, 128, 128);
    for (int i = 0; i < kWidth * 2; i += 2)
        frame[std::size_t(i)] = 255;  // the top line is white
    io->PushFrame(0, {frame});
    io->SetRepeatLastFrame(0, true);
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    ASSERT_TRUE(WaitFor([&] { return sink.frames.size() >= 2; }));
    camera->StopStream();

    const FrameRecord& record = sink.frames.back();
    const BitmapInfoHeader header = record.header();
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, 0u);
    EXPECT_EQ(header.biSizeImage, uint32_t(kWidth * kHeight * 3));
    EXPECT_EQ(record.size(), 40u + kWidth * kHeight * 3);
    for (int x : {0, 1, 160, 319}) {
        EXPECT_EQ(PixelAt(record, kHeight - 1, x), Grey(255)) << x;
        EXPECT_EQ(PixelAt(record, 0, x), Grey(128)) << x;
        EXPECT_EQ(PixelAt(record, kHeight - 2, x), Grey(128)) << x;
    }
}

TEST_F(V4l2CameraTest, Bgr24FramesArePassedOnWithRowsBottomUp)
{
    FakeDeviceSetup setup;
    setup.formats = {{V4L2_PIX_FMT_BGR24, "BGR24", {{320, 240}}}};
    setup.pixelFormat = V4L2_PIX_FMT_BGR24;
    setup.paddingPerLine = 16;
    io->AddDevice(0, setup);
    const std::size_t line = kWidth * 3 + 16;
    std::vector<uint8_t> frame(line * kHeight, 0xEE);
    for (int y = 0; y < kHeight; ++y)
        std::fill_n(frame.begin() + std::ptrdiff_t(std::size_t(y) * line), kWidth * 3, uint8_t(y));
    io->PushFrame(0, {frame});
    io->SetRepeatLastFrame(0, true);
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_TRUE(WaitFor([&] { return !sink.frames.empty(); }));
    camera->StopStream();

    const FrameRecord& record = sink.frames.back();
    EXPECT_EQ(record.header().biBitCount, 24);
    EXPECT_EQ(record.header().biCompression, 0u);
    EXPECT_EQ(record.header().biSizeImage, uint32_t(kWidth * kHeight * 3));
    ASSERT_EQ(record.size(), 40u + kWidth * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        const int row = kHeight - 1 - y;
        EXPECT_EQ(PixelAt(record, row, 0), std::vector<uint8_t>(3, uint8_t(y))) << y;
        EXPECT_EQ(PixelAt(record, row, kWidth - 1), std::vector<uint8_t>(3, uint8_t(y))) << y;
    }
}

std::vector<uint8_t> JpegOfColour(QColor colour)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    image.fill(colour);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", 95));
    return {buffer.data().begin(), buffer.data().end()};
}

FakeDeviceSetup MjpegSetup()
{
    FakeDeviceSetup setup;
    setup.formats = {
        {V4L2_PIX_FMT_MJPEG, "Motion-JPEG", {{320, 240}}},
        {V4L2_PIX_FMT_YUYV, "YUYV 4:2:2", {{320, 240}}},
    };
    setup.pixelFormat = V4L2_PIX_FMT_MJPEG;
    return setup;
}

TEST_F(V4l2CameraTest, MjpegDeviceOffersTheFormatDialogAndKeptMjpegIsDecoded)
{
    io->AddDevice(0, MjpegSetup());
    io->PushFrame(0, {JpegOfColour(QColor(60, 200, 40))});
    io->SetRepeatLastFrame(0, true);
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    EXPECT_EQ(dialogs.shown, (std::vector<QString>{QStringLiteral("format")}));
    ASSERT_TRUE(WaitFor([&] { return !sink.frames.empty(); }));
    camera->StopStream();

    const FrameRecord& record = sink.frames.back();
    EXPECT_EQ(record.header().biBitCount, 24);
    EXPECT_EQ(record.header().biCompression, 0u);
    ASSERT_EQ(record.size(), 40u + kWidth * kHeight * 3);
    for (auto [row, column] : {std::pair{0, 0}, {120, 160}, {239, 319}}) {
        const std::vector<uint8_t> pixel = PixelAt(record, row, column);
        EXPECT_NEAR(pixel[0], 40, 8);
        EXPECT_NEAR(pixel[1], 200, 8);
        EXPECT_NEAR(pixel[2], 60, 8);
    }
}

TEST_F(V4l2CameraTest, MjpegDeviceSwitchedToYuyvInTheDialogIsConverted)
{
    io->AddDevice(0, MjpegSetup());
    io->PushFrame(0, {Yuy2Frame(kWidth, kHeight, 200, 128, 128)});
    io->SetRepeatLastFrame(0, true);
    dialogs.onFormat = [](CaptureFormatDialog& dialog) {
        return ChooseFormat(dialog, QStringLiteral("320x240"), QStringLiteral("YUYV 4:2:2"));
    };
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    ASSERT_TRUE(WaitFor([&] { return !sink.frames.empty(); }));
    camera->StopStream();
    EXPECT_EQ(sink.frames.back().header().biBitCount, 24);
    EXPECT_EQ(PixelAt(sink.frames.back(), 100, 100), Grey(200));
}

TEST_F(V4l2CameraTest, TheRequestedFrameIntervalReachesTheDeviceAndIsPutBackOnStop)
{
    const struct {
        uint32_t microseconds;
        uint32_t framesPerSecond;
    } cases[] = {{142857, 7}, {66666, 15}, {33333, 30}, {16666, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.framesPerSecond);
        FakeDeviceSetup setup = YuyvSetup();
        setup.timePerFrame = {1, 25};
        io->AddDevice(0, setup);
        auto camera = MakeCamera();
        ASSERT_EQ(camera->Connect(0, c.microseconds), 1);
        const v4l2_fract asked = io->WithDevice(0, [](FakeV4l2Device& d) { return d.intervalRequests.front(); });
        EXPECT_EQ(asked.numerator, 1u);
        EXPECT_EQ(asked.denominator, c.framesPerSecond);
        camera->StopStream();
        const v4l2_fract restored = io->WithDevice(0, [](FakeV4l2Device& d) { return d.intervalRequests.back(); });
        EXPECT_EQ(restored.numerator, 1u);
        EXPECT_EQ(restored.denominator, 25u);
    }
}

TEST_F(V4l2CameraTest, WithoutARequestedIntervalThirtyFramesASecondAreAsked)
{
    FakeDeviceSetup setup = YuyvSetup();
    setup.reportsTimePerFrame = false;
    io->AddDevice(0, setup);
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    const v4l2_fract asked = io->WithDevice(0, [](FakeV4l2Device& d) { return d.intervalRequests.front(); });
    EXPECT_EQ(asked.denominator, 30u);
    camera->StopStream();
}

TEST_F(V4l2CameraTest, ADeviceThatFailsWhileStreamingEndsItsStreamCleanly)
{
    const struct {
        const char* name;
        int error;
        bool unplugged;
    } cases[] = {{"gone at DQBUF", ENODEV, false}, {"I/O error at DQBUF", EIO, false}, {"unplugged", ENODEV, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        io->AddDevice(0, YuyvSetup());
        sink.frames.clear();
        for (int i = 0; i < 3; ++i)
            io->PushFrame(0, {Yuy2Frame(kWidth, kHeight, 90, 128, 128)});
        if (!c.unplugged)
            io->PushFrame(0, {{}, c.error});
        auto camera = MakeCamera();
        QSignalSpy lost(camera.get(), &CCamObj::Lost);
        ASSERT_EQ(camera->Connect(0), 1);
        ASSERT_TRUE(WaitFor([&] { return sink.frames.size() >= 3; }));
        if (c.unplugged)
            io->Unplug(0);
        ASSERT_TRUE(WaitFor([&] { return lost.count() == 1; }));
        QTest::qWait(200);
        EXPECT_EQ(lost.count(), 1) << "the loss is told once";
        EXPECT_EQ(Count(&FakeV4l2Device::pollsAfterGone), 0) << "the thread keeps polling";
        EXPECT_EQ(sink.frames.size(), 3u);

        camera->StopStream();
        camera.reset();
        EXPECT_EQ(io->OpenFdCount(), 0);
        EXPECT_EQ(io->MappingCount(), 0);
    }
}

TEST_F(V4l2CameraTest, BuffersLongerOrShorterThanTheFirstAreHandledSafely)
{
    FakeDeviceSetup setup = YuyvSetup();
    setup.extraBufferBytes = 4096;
    io->AddDevice(0, setup);
    io->WithDevice(0, [](FakeV4l2Device& d) { d.frameGap = std::chrono::milliseconds(0); });
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    const std::size_t full = std::size_t(kWidth) * kHeight * 2;

    std::vector<uint8_t> shortFirst = Yuy2Frame(kWidth, kHeight, 30, 128, 128);
    shortFirst.resize(full / 2);
    DeliverOneFrame(shortFirst);
    EXPECT_TRUE(sink.frames.empty()) << "a frame shorter than its format is dropped";

    DeliverOneFrame(Yuy2Frame(kWidth, kHeight, 50, 128, 128));
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(PixelAt(sink.frames.back(), 0, 0), Grey(50));

    std::vector<uint8_t> longer = Yuy2Frame(kWidth, kHeight, 60, 128, 128);
    longer.resize(full + 4096, 7);
    DeliverOneFrame(longer);
    ASSERT_EQ(sink.frames.size(), 2u);
    EXPECT_EQ(PixelAt(sink.frames.back(), 239, 319), Grey(60));
    EXPECT_EQ(sink.frames.back().size(), 40u + kWidth * kHeight * 3);

    std::vector<uint8_t> shorter = Yuy2Frame(kWidth, kHeight, 70, 128, 128);
    shorter.resize(full - 2);
    DeliverOneFrame(shorter);
    EXPECT_EQ(sink.frames.size(), 2u);

    DeliverOneFrame(Yuy2Frame(kWidth, kHeight, 80, 128, 128));
    ASSERT_EQ(sink.frames.size(), 3u);
    EXPECT_EQ(PixelAt(sink.frames.back(), 120, 160), Grey(80));
    camera->StopStream();
}

TEST_F(V4l2CameraTest, FramesCloserThanAMillisecondGiveAFiniteRate)
{
    io->AddDevice(0, YuyvSetup());
    io->WithDevice(0, [](FakeV4l2Device& d) { d.frameGap = std::chrono::milliseconds(0); });
    for (int i = 0; i < 40; ++i)
        io->PushFrame(0, {Yuy2Frame(kWidth, kHeight, 100, 128, 128)});
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    ASSERT_TRUE(WaitFor([&] { return Count(&FakeV4l2Device::framesDequeued) == 40; }));
    QCoreApplication::sendPostedEvents();
    camera->StopStream();
    ASSERT_FALSE(sink.rates.empty());
    for (int fps : sink.rates) {
        EXPECT_GE(fps, 0);
        EXPECT_LE(fps, 1000);
    }
}

TEST_F(V4l2CameraTest, EventsQueuedBeforeStopStreamAreIgnored)
{
    io->AddDevice(0, YuyvSetup());
    io->WithDevice(0, [](FakeV4l2Device& d) { d.frameGap = std::chrono::milliseconds(0); });
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    DeliverOneFrame(Yuy2Frame(kWidth, kHeight, 100, 128, 128));
    ASSERT_EQ(sink.frames.size(), 1u);

    for (int i = 0; i < 3; ++i)
        io->PushFrame(0, {Yuy2Frame(kWidth, kHeight, 100, 128, 128)});
    while (Count(&FakeV4l2Device::buffersRequeued) < 4)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    camera->StopStream();
    QCoreApplication::sendPostedEvents();
    QTest::qWait(50);
    EXPECT_EQ(sink.frames.size(), 1u);
}

// Nodes are counted in number order, and only those a program can capture video from.
TEST_F(V4l2CameraTest, DriverZeroIsTheFirstUsableCaptureNodeWhateverItsNumber)
{
    FakeDeviceSetup metadata = YuyvSetup();
    metadata.capabilities = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    FakeDeviceSetup rawSensor = YuyvSetup();
    rawSensor.capabilities |= V4L2_CAP_IO_MC;
    FakeDeviceSetup planarOnly = YuyvSetup();
    planarOnly.formats = {{V4L2_PIX_FMT_NV12, "Y/UV 4:2:0", {{320, 240}}}};
    planarOnly.pixelFormat = V4L2_PIX_FMT_NV12;
    FakeDeviceSetup webcam = YuyvSetup();
    webcam.card = "USB Webcam";
    io->AddDevice(0, rawSensor);
    io->AddDevice(1, metadata);
    io->AddDevice(3, planarOnly);
    io->AddDevice(12, webcam);
    io->AddDevice(13, metadata);
    dialogs.onFormat = [](CaptureFormatDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Video Format - USB Webcam (/dev/video12)"));
        return ClickButton(dialog, QStringLiteral("OK"));
    };
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(1), 1);
    EXPECT_EQ(camera->DeviceName(), QStringLiteral("USB Webcam (/dev/video12)"));
    EXPECT_EQ(Count(&FakeV4l2Device::streamOnCount), 0);
    EXPECT_EQ(io->WithDevice(12, [](FakeV4l2Device& d) { return d.streamOnCount; }), 1);
    EXPECT_EQ(io->OpenFdCount(), 1) << "the nodes looked at are closed again";
    camera->StopStream();
}

TEST_F(V4l2CameraTest, ACameraAnotherProgramStreamsFromIsReportedBusyWithoutQuestions)
{
    const struct {
        const char* name;
        uint32_t width;
    } cases[] = {{"refused at S_PARM", 320}, {"refused at S_FMT", 640}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        io->AddDevice(0, YuyvSetup(c.width, c.width * 3 / 4));
        io->OccupyByOtherProgram(0);
        dialogs = {};
        dialogs.onQuestion = [](QMessageBox&) { return int(QMessageBox::Yes); };
        dialogs.onFormat = [](CaptureFormatDialog& dialog) { return ChooseFormat(dialog, QStringLiteral("320x240")); };
        auto camera = MakeCamera();
        EXPECT_EQ(camera->Connect(0), 0);
        EXPECT_EQ(camera->ConnectError(), DeviceError::InUse);
        EXPECT_LE(dialogs.questions.size(), 1u) << "the question is not repeated";
        EXPECT_EQ(io->WithDevice(0, [](FakeV4l2Device& d) { return d.streamOnCount; }), 0);
        camera.reset();

        io->ReleaseOtherProgram(0);
        dialogs.onQuestion = {};
        auto again = MakeCamera();
        EXPECT_EQ(again->Connect(0), c.width == 320 ? 1 : 0);
        EXPECT_EQ(again->ConnectError(), DeviceError::None);
        again.reset();
        EXPECT_EQ(io->OpenFdCount(), 0);
    }
}

// What UVC does with requests it cannot meet: another format, the nearest size and rate,
// fewer buffers, or no rate control at all.
TEST_F(V4l2CameraTest, TheDeviceMayAdjustEveryRequestAndStillStreams)
{
    FakeDeviceSetup setup = YuyvSetup(640, 480);
    setup.maxBuffers = 1;
    setup.frameRates = {30, 10};
    io->AddDevice(0, setup);
    io->PushFrame(0, {Yuy2Frame(kWidth, kHeight, 150, 128, 128)});
    io->SetRepeatLastFrame(0, true);
    dialogs.onQuestion = [](QMessageBox&) { return int(QMessageBox::Yes); };
    dialogs.onFormat = [](CaptureFormatDialog& dialog) { return ChooseFormat(dialog, QStringLiteral("320x240")); };
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0, 16666), 1);
    EXPECT_EQ(io->WithDevice(0, [](FakeV4l2Device& d) { return d.timePerFrame.denominator; }), 30u);
    ASSERT_TRUE(WaitFor([&] { return sink.frames.size() >= 3; })) << "one buffer is enough";
    EXPECT_EQ(PixelAt(sink.frames.back(), 10, 10), Grey(150));
    camera->StopStream();
    camera.reset();

    io = std::make_shared<FakeV4l2>();
    FakeDeviceSetup fixedRate = YuyvSetup();
    fixedRate.supportsParm = false;
    io->AddDevice(0, fixedRate);
    EXPECT_EQ(MakeCamera()->Connect(0), 1);

    FakeV4l2 direct;
    direct.AddDevice(0, YuyvSetup());
    const int fd = direct.Open("/dev/video0", 0);
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = 333;
    format.fmt.pix.height = 250;
    format.fmt.pix.pixelformat = V4L2_PIX_FMT_NV12;
    ASSERT_EQ(direct.Ioctl(fd, VIDIOC_S_FMT, &format), 0);
    EXPECT_EQ(format.fmt.pix.pixelformat, uint32_t(V4L2_PIX_FMT_YUYV));
    EXPECT_EQ(format.fmt.pix.width, 320u);
    direct.Close(fd);
}

TEST_F(V4l2CameraTest, ErrorFlaggedAndShortBuffersAreDroppedAndRequeued)
{
    io->AddDevice(0, YuyvSetup());
    io->WithDevice(0, [](FakeV4l2Device& d) { d.frameGap = std::chrono::milliseconds(0); });
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    std::vector<uint8_t> torn = Yuy2Frame(kWidth, kHeight, 20, 128, 128);
    torn.resize(torn.size() - kWidth * 2);
    DeliverOneFrame(Yuy2Frame(kWidth, kHeight, 40, 128, 128));
    io->PushFrame(0, {Yuy2Frame(kWidth, kHeight, 10, 128, 128), 0, true});
    DeliverOneFrame(torn);
    DeliverOneFrame(Yuy2Frame(kWidth, kHeight, 60, 128, 128));
    ASSERT_EQ(sink.frames.size(), 2u);
    EXPECT_EQ(PixelAt(sink.frames[0], 5, 5), Grey(40));
    EXPECT_EQ(PixelAt(sink.frames[1], 5, 5), Grey(60));
    EXPECT_EQ(Count(&FakeV4l2Device::buffersRequeued), 4);
    camera->StopStream();
}

TEST_F(V4l2CameraTest, ACameraThatStopsSendingIsReportedStalledOnce)
{
    io->AddDevice(0, YuyvSetup());
    io->PushFrame(0, {Yuy2Frame(kWidth, kHeight, 40, 128, 128)});
    auto camera = MakeCamera();
    QSignalSpy stalled(camera.get(), &CCamObj::Stalled);
    QSignalSpy lost(camera.get(), &CCamObj::Lost);
    ASSERT_EQ(camera->Connect(0), 1);
    ASSERT_TRUE(WaitFor([&] { return stalled.count() == 1; }));
    EXPECT_EQ(sink.frames.size(), 1u);
    QTest::qWait(300);
    EXPECT_EQ(stalled.count(), 1);

    DeliverOneFrame(Yuy2Frame(kWidth, kHeight, 40, 128, 128));
    EXPECT_EQ(sink.frames.size(), 2u);
    ASSERT_TRUE(WaitFor([&] { return stalled.count() == 2; })) << "a new stall after frames came back";
    EXPECT_EQ(lost.count(), 0);
    camera->StopStream();
}

// UVC cameras leave the Huffman tables out of their JPEG frames; a frame that does not
// decode is dropped and the next one shows.
TEST_F(V4l2CameraTest, MjpegFramesWithoutHuffmanTablesDecodeAndBrokenOnesAreSkipped)
{
    FakeDeviceSetup setup = MjpegSetup();
    setup.compressedFrameBytes = 40000;
    io->AddDevice(0, setup);
    io->WithDevice(0, [](FakeV4l2Device& d) { d.frameGap = std::chrono::milliseconds(0); });
    const std::vector<uint8_t> jpeg = JpegOfColour(QColor(200, 40, 60));
    const std::vector<uint8_t> bare = WithoutHuffmanTables(jpeg);
    ASSERT_LT(bare.size(), jpeg.size());
    ASSERT_LE(bare.size(), 40000u);
    auto camera = MakeCamera();
    ASSERT_EQ(camera->Connect(0), 1);
    DeliverOneFrame(bare);
    DeliverOneFrame(std::vector<uint8_t>(bare.begin(), bare.begin() + 40));
    DeliverOneFrame(bare);
    camera->StopStream();
    ASSERT_EQ(sink.frames.size(), 2u);
    for (const FrameRecord& record : sink.frames) {
        const std::vector<uint8_t> pixel = PixelAt(record, 100, 100);
        EXPECT_NEAR(pixel[0], 60, 8);
        EXPECT_NEAR(pixel[1], 40, 8);
        EXPECT_NEAR(pixel[2], 200, 8);
    }
}

// The automatic modes that change brightness or colours by themselves, each with the values
// that mean on: a white-balance preset such as daylight is fixed, shutter priority still
// lets the iris follow the light.
TEST_F(V4l2CameraTest, TheDriverTellsWhichAutomaticModesAreOn)
{
    FakeDeviceSetup setup = YuyvSetup();
    setup.card = "HD Webcam";
    const auto control = [](uint32_t id, uint32_t type, int32_t maximum, int32_t value) {
        FakeControl c;
        c.id = id;
        c.type = type;
        c.name = std::to_string(id);
        c.maximum = maximum;
        c.value = value;
        c.menu = std::vector<std::string>(std::size_t(maximum) + 1, "item");
        return c;
    };
    setup.controls = {control(V4L2_CID_BRIGHTNESS, V4L2_CTRL_TYPE_INTEGER, 255, 128),
                      control(V4L2_CID_AUTOGAIN, V4L2_CTRL_TYPE_BOOLEAN, 1, 1),
                      control(V4L2_CID_AUTO_WHITE_BALANCE, V4L2_CTRL_TYPE_BOOLEAN, 1, 0),
                      control(V4L2_CID_AUTO_N_PRESET_WHITE_BALANCE, V4L2_CTRL_TYPE_MENU, 9,
                              V4L2_WHITE_BALANCE_DAYLIGHT),
                      control(V4L2_CID_EXPOSURE_AUTO, V4L2_CTRL_TYPE_MENU, 3, V4L2_EXPOSURE_SHUTTER_PRIORITY)};
    io->AddDevice(0, setup);
    V4l2CaptureDriver driver(io);
    EXPECT_EQ(driver.Controls(), nullptr) << "nothing connected";
    ASSERT_TRUE(driver.DriverConnect(0));
    EXPECT_EQ(driver.CardName(), QStringLiteral("HD Webcam"));

    const auto automaticOn = [&] {
        std::vector<uint32_t> on;
        for (const CaptureControl& c : driver.Controls()->ReadControls()) {
            if (c.automaticModeOn)
                on.push_back(c.id);
        }
        return on;
    };
    EXPECT_EQ(automaticOn(), (std::vector<uint32_t>{V4L2_CID_AUTOGAIN, V4L2_CID_EXPOSURE_AUTO}));
    driver.Controls()->WriteControl(V4L2_CID_AUTO_N_PRESET_WHITE_BALANCE, V4L2_WHITE_BALANCE_AUTO);
    driver.Controls()->WriteControl(V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL);
    driver.Controls()->WriteControl(V4L2_CID_AUTOGAIN, 0);
    EXPECT_EQ(automaticOn(), (std::vector<uint32_t>{V4L2_CID_AUTO_N_PRESET_WHITE_BALANCE}));
}

}  // namespace
