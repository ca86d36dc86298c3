#include "app/SourceDialogFixture.h"
#include "sources/avi/AviTestVideo.h"
#include "support/InstalledProgram.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

#include <cstring>

namespace {

const QString kLoadingError = QStringLiteral("Source file loading error:");
const QStringList kRaw24{"-c:v", "rawvideo", "-pix_fmt", "bgr24"};
const QStringList kMjpeg{"-c:v", "mjpeg", "-q:v", "2"};

// A 16-bit 5-5-5 frame as the 24-bit pixels it is shown with: each channel's five bits
// become its top five.
std::vector<uint8_t> As24Bit(const std::vector<uint8_t>& words)
{
    std::vector<uint8_t> pixels;
    for (std::size_t i = 0; i + 1 < words.size(); i += 2) {
        const int word = words[i] | words[i + 1] << 8;
        pixels.push_back(uint8_t((word & 31) << 3));
        pixels.push_back(uint8_t((word >> 5 & 31) << 3));
        pixels.push_back(uint8_t((word >> 10 & 31) << 3));
    }
    return pixels;
}

class AviFileDialogTest : public SourceDialogFixture {
protected:
    AviFileDialogTest() { Click(IDC_AVI_FILE); }

    QString Write(const TestVideo& video, const QStringList& arguments, const QString& name)
    {
        const QString path = m_files.file(name);
        const QString error = WriteAvi(video, arguments, path);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return path;
    }

    // Presses "Open" and chooses path in the file dialog.
    void Open(const QString& path)
    {
        m_onFileDialog = [path](QFileDialog& dialog) { return ChooseFile(dialog, path); };
        Click(IDC_ADD_CAM);
    }

    QSlider& Slider() { return *Dialog().controlAs<QSlider>(IDC_FRAME_SLIDER); }
    QString Counter() { return Dialog().controlAs<QLineEdit>(IDC_FRAME_COUNTER)->text(); }
    // A file is open: its frames can be snapped and played.
    bool HasFile() { return Text(IDC_ADD_CAM) == QStringLiteral("Snapshot") && Enabled(IDC_CAM_SETUP); }

    // Whether the display shows frame n of video as it is stored: unmirrored, the pixels
    // as given (or widened from 16 bits), at the file's size and depth.
    bool ShowsFrame(const TestVideo& video, int n, int bitCount = 24)
    {
        const std::vector<uint8_t> pixels = video.bytesPerPixel == 2 ? As24Bit(video.BottomUp(n)) : video.BottomUp(n);
        FrameRecord record(MakeBitmapHeader(video.width, video.height, bitCount));
        record.resize(kBitmapHeaderSize + pixels.size());
        std::copy(pixels.begin(), pixels.end(), record.pixels());
        return Shows(record);
    }

    // Takes a snapshot and returns the frame it holds: the frame as the dialog last
    // processed it.
    FrameRecord Snap()
    {
        const QStringList before = Snapshots();
        Click(IDC_ADD_CAM);
        for (const QString& name : Snapshots()) {
            if (!before.contains(name))
                return SnapshotRecord(name);
        }
        ADD_FAILURE() << "no snapshot";
        return {};
    }
    std::vector<uint8_t> SnappedPixels() { return PixelsOf(Snap()); }

    bool WaitForPlayLabel() { return WaitFor([&] { return Text(IDC_CAM_SETUP) == QStringLiteral("Play"); }); }

    TempFolder m_files;
};

TEST_F(AviFileDialogTest, FileModeShowsTheSliderAndCounterInsteadOfTheRate)
{
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Open"));
    EXPECT_EQ(Text(IDC_DELETE_CAM), QStringLiteral("Close"));
    EXPECT_EQ(Text(IDC_CAM_SETUP), QStringLiteral("Play"));
    EXPECT_FALSE(Enabled(IDC_CAM_SETUP));
    EXPECT_FALSE(Shown(IDC_FPS_LABEL));
    EXPECT_FALSE(Shown(IDC_FPS));
    for (const int id : {IDC_FRAME_SLIDER, IDC_FRAME_COUNTER}) {
        EXPECT_TRUE(Shown(id)) << id;
        EXPECT_TRUE(Enabled(id)) << id;
    }

    Click(IDC_WEB_CAMERA);
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Add Cam"));
    EXPECT_EQ(Text(IDC_DELETE_CAM), QStringLiteral("Del Cam"));
    EXPECT_EQ(Text(IDC_CAM_SETUP), QStringLiteral("Cam setup"));
    EXPECT_TRUE(Enabled(IDC_CAM_SETUP));
    EXPECT_TRUE(Shown(IDC_FPS));
    EXPECT_FALSE(Shown(IDC_FRAME_SLIDER));
    EXPECT_FALSE(Enabled(IDC_FRAME_COUNTER));
}

TEST_F(AviFileDialogTest, TheOpenDialogOffersAviBmpAndAllFiles)
{
    bool asked = false;
    m_onFileDialog = [&](QFileDialog& dialog) {
        asked = true;
        EXPECT_EQ(dialog.nameFilters().size(), 4);
        EXPECT_EQ(dialog.nameFilters().first(), QStringLiteral("AVI Files (*.avi)"));
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("avi"));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        const auto* fileName = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        EXPECT_TRUE(fileName != nullptr && fileName->text() == QStringLiteral("*.avi"));
        return int(QDialog::Rejected);
    };
    Click(IDC_ADD_CAM);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(m_messages.isEmpty()) << "a cancelled dialog says nothing";
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Open"));
    EXPECT_FALSE(Enabled(IDC_CAM_SETUP));
    EXPECT_EQ(Slider().maximum(), 0);
    EXPECT_TRUE(Enabled(IDC_AVI_FILE));
}

TEST_F(AviFileDialogTest, EveryFrameOfARaw24BitFileReachesThePipelineUnmirrored)
{
    const TestVideo video = MakeBgr24Video(320, 240, 10);
    Open(Write(video, kRaw24, "raw24.avi"));

    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(Slider().minimum(), 0);
    EXPECT_EQ(Slider().maximum(), 9);
    EXPECT_EQ(Slider().value(), 0);
    EXPECT_EQ(Counter(), QStringLiteral("0/9"));
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Snapshot"));
    EXPECT_TRUE(Enabled(IDC_CAM_SETUP));
    EXPECT_FALSE(Enabled(IDC_WEB_CAMERA));
    EXPECT_FALSE(Enabled(IDC_AVI_FILE));

    Slider().setFocus();
    for (int position = 0; position < 10; ++position) {
        SCOPED_TRACE(position);
        if (position > 0)
            QTest::keyClick(&Slider(), Qt::Key_Right);
        EXPECT_EQ(Counter(), QStringLiteral("%1/9").arg(position));
        EXPECT_TRUE(ShowsFrame(video, position)) << "file frames are not mirrored";
    }
    EXPECT_TRUE(SnappedPixels() == video.BottomUp(9)) << "bit for bit";
    EXPECT_EQ(Dialog().controlAs<QLineEdit>(IDC_FPS)->text(), QStringLiteral("N/A"));
}

TEST_F(AviFileDialogTest, RawDepthsAndPaddedRowsAreShownAsStored)
{
    struct Case {
        const char* name;
        TestVideo video;
        int bitCount;
        std::function<std::vector<uint8_t>(const TestVideo&)> expected;
    };
    const auto asStored = [](const TestVideo& v) { return v.BottomUp(0); };
    const auto widened = [](const TestVideo& v) { return As24Bit(v.BottomUp(0)); };
    const Case cases[] = {
        {"16-bit 5-5-5", MakeRgb555Video(320, 240, 2), 24, widened},
        {"32-bit", MakeBgraVideo(320, 240, 2), 32, asStored},
        {"24-bit, odd width", MakeBgr24Video(321, 7, 2), 24, asStored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(Write(c.video, {"-c:v", "rawvideo", "-pix_fmt", c.video.pixelFormat}, QString(c.name) + ".avi"));
        ASSERT_TRUE(HasFile());
        EXPECT_TRUE(ShowsFrame(c.video, 0, c.bitCount));
        const FrameRecord snapshot = Snap();
        const BitmapInfoHeader header = snapshot.header();
        EXPECT_EQ(header.biWidth, c.video.width);
        EXPECT_EQ(header.biHeight, c.video.height);
        EXPECT_EQ(header.biBitCount, c.bitCount);
        EXPECT_TRUE(PixelsOf(snapshot) == c.expected(c.video));
        Click(IDC_DELETE_CAM);
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(AviFileDialogTest, FilesThatCannotBeShownAreRefusedWithTheirMessagesInOrder)
{
    const QString good = Write(MakeBgr24Video(32, 8, 3), kRaw24, "good.avi");
    const QByteArray goodBytes = ReadFileBytes(good);
    QByteArray cutBeforeFrames = goodBytes;
    cutBeforeFrames.truncate(goodBytes.indexOf("movi") + 4);
    QByteArray hugeFrames = goodBytes;
    const qint32 side = 100000;
    for (const qsizetype offset : {hugeFrames.indexOf("avih") + 40, hugeFrames.indexOf("avih") + 44,
                                   hugeFrames.indexOf("strf") + 12, hugeFrames.indexOf("strf") + 16})
        std::memcpy(hugeFrames.data() + offset, &side, 4);
    QByteArray damaged = goodBytes;
    damaged.replace(0, 12, "NOT A RIFF!!");
    const QString audioOnly = m_files.file("audio.avi");
    const QString error =
        RunFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=0.3", "-c:a", "pcm_s16le", audioOnly});
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QString eightBit =
        Write(MakeBgr24Video(32, 8, 2), {"-c:v", "rawvideo", "-pix_fmt", "pal8"}, "eight-bit.avi");

    struct Case {
        const char* name;
        QString path;
        QString readerMessage;  // empty: the loading error alone
    };
    const auto file = [&](const char* name, const QByteArray& bytes) {
        const QString path = m_files.file(name);
        WriteFileBytes(path, bytes);
        return path;
    };
    const Case cases[] = {
        {"8-bit", eightBit, "BitCounts is not compatible!"},
        {"empty", file("empty.avi", {}), "Invalid file format!"},
        {"text renamed", file("note.avi", "This is a note, not a video.\n"), "Invalid file format!"},
        {"damaged header", file("damaged.avi", damaged), "Invalid file format!"},
        {"cut before its frames", file("cut.avi", cutBeforeFrames), "AVIStreamGetFrameOpen error!"},
        {"huge declared frames", file("huge.avi", hugeFrames), "AVIStreamGetFrameOpen error!"},
        {"no video stream", audioOnly, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_messages.clear();
        Open(c.path);
        QStringList expected;
        if (!c.readerMessage.isEmpty())
            expected << c.readerMessage;
        expected << kLoadingError + c.path;
        EXPECT_EQ(m_messages, expected);
        EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Open"));
        EXPECT_FALSE(Enabled(IDC_CAM_SETUP));
        EXPECT_TRUE(Enabled(IDC_WEB_CAMERA));
        EXPECT_EQ(Slider().maximum(), 0);
    }
    EXPECT_EQ(FramesProcessed(), 0);
}

TEST_F(AviFileDialogTest, MjpegFramesAreDecodedShownAndSnapped)
{
    const TestVideo video = MakeBgr24Video(640, 480, 4);
    Open(Write(video, kMjpeg, "mjpeg.avi"));
    ASSERT_TRUE(HasFile());
    EXPECT_EQ(Counter(), QStringLiteral("0/3"));

    Click(IDC_ADD_CAM);
    ASSERT_EQ(Snapshots().size(), 1);
    const QByteArray snapshot = ReadFileBytes(m_programFolder.file(Snapshots().first()));
    ASSERT_EQ(snapshot.size(), 14 + 40 + 640 * 480 * 3);
    const FrameRecord snapped = SnapshotRecord(Snapshots().first());
    EXPECT_EQ(ClosestFrame(video, PixelsOf(snapped)), 0);
    EXPECT_LT(MeanDifference(PixelsOf(snapped), video.BottomUp(0)), 4.0);
    EXPECT_TRUE(Shows(snapped));
    EXPECT_TRUE(HasFile()) << "the file stays open";
}

TEST_F(AviFileDialogTest, PlayingAOneFrameFileEndsWithoutMoving)
{
    Open(Write(MakeBgr24Video(32, 8, 1), kRaw24, "one.avi"));
    ASSERT_TRUE(HasFile());
    EXPECT_EQ(Slider().maximum(), 0);
    Click(IDC_CAM_SETUP);
    EXPECT_EQ(Text(IDC_CAM_SETUP), QStringLiteral("Stop"));
    ASSERT_TRUE(WaitForPlayLabel());
    EXPECT_EQ(Slider().value(), 0);
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    EXPECT_EQ(FramesProcessed(), 1);
}

TEST_F(AviFileDialogTest, PlayShowsEachFrameOnceAndStopsAtTheEnd)
{
    const TestVideo video = MakeBgr24Video(64, 48, 10);
    Open(Write(video, kRaw24, "ten.avi"));
    Click(IDC_CAM_SETUP);
    EXPECT_EQ(Text(IDC_CAM_SETUP), QStringLiteral("Stop"));
    ASSERT_TRUE(WaitForPlayLabel());

    EXPECT_EQ(Slider().value(), 9);
    EXPECT_EQ(Counter(), QStringLiteral("9/9"));
    EXPECT_TRUE(ShowsFrame(video, 9));
    EXPECT_EQ(FramesProcessed(), 10);
    QTest::qWait(100);
    EXPECT_EQ(Slider().value(), 9) << "playback does not loop";
    EXPECT_EQ(FramesProcessed(), 10);
}

TEST_F(AviFileDialogTest, StopEndsPlaybackAtTheNextTick)
{
    Open(Write(MakeBgr24Video(32, 8, 400), kRaw24, "long.avi"));
    Click(IDC_CAM_SETUP);
    ASSERT_TRUE(WaitFor([&] { return Slider().value() >= 2; }));
    Click(IDC_CAM_SETUP);
    EXPECT_EQ(Text(IDC_CAM_SETUP), QStringLiteral("Play"));
    const int stoppedAt = Slider().value();
    QTest::qWait(100);
    EXPECT_EQ(Slider().value(), stoppedAt);
    EXPECT_LT(stoppedAt, 399);
}

TEST_F(AviFileDialogTest, DraggingTheSliderShowsFramesAndOnceMoreOnRelease)
{
    const TestVideo video = MakeBgr24Video(64, 48, 10);
    Open(Write(video, kRaw24, "seek.avi"));
    QSlider& slider = Slider();
    const QPoint handle(4, slider.height() / 2);
    const int before = FramesProcessed();
    QTest::mousePress(&slider, Qt::LeftButton, {}, handle);
    for (int x = 8; x <= slider.width(); x += 8)
        QTest::mouseMove(&slider, QPoint(x, slider.height() / 2));
    const int whileDragging = FramesProcessed();
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(slider.width() - 1, slider.height() / 2));

    EXPECT_EQ(slider.value(), 9);
    EXPECT_GT(whileDragging, before + 1) << "frames are shown while the slider moves";
    EXPECT_EQ(FramesProcessed(), whileDragging + 1) << "and once more on release";
    EXPECT_EQ(Counter(), QStringLiteral("9/9"));
    EXPECT_TRUE(ShowsFrame(video, 9));

    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Home);
    EXPECT_TRUE(ShowsFrame(video, 0));
    QTest::keyClick(&slider, Qt::Key_PageUp);
    EXPECT_EQ(Counter(), QStringLiteral("%1/9").arg(slider.value()));
    EXPECT_TRUE(ShowsFrame(video, slider.value()));
}

TEST_F(AviFileDialogTest, SnapshotWhilePlayingStopsPlaybackAndSavesTheLastOutput)
{
    Open(Write(MakeBgr24Video(32, 8, 400), kRaw24, "long.avi"));
    Click(IDC_CAM_SETUP);
    ASSERT_TRUE(WaitFor([&] { return Slider().value() >= 2; }));
    Click(IDC_ADD_CAM);
    const int stoppedAt = Slider().value();
    ASSERT_EQ(Snapshots().size(), 1);
    EXPECT_TRUE(Shows(SnapshotRecord(Snapshots().first())));

    ASSERT_TRUE(WaitForPlayLabel());
    EXPECT_EQ(Slider().value(), stoppedAt) << "no frame follows the snapshot";
    QTest::qWait(100);
    EXPECT_EQ(Slider().value(), stoppedAt);
    EXPECT_LT(stoppedAt, 399);
}

TEST_F(AviFileDialogTest, AFrameThatCannotBeDecodedIsSkippedWhileTheCounterMoves)
{
    const TestVideo video = MakeBgr24Video(64, 48, 6);
    const QString path = Write(video, kMjpeg, "damaged-frame.avi");
    BlankVideoChunk(path, 2);

    Open(path);
    ASSERT_TRUE(HasFile());
    Click(IDC_CAM_SETUP);
    ASSERT_TRUE(WaitForPlayLabel());
    EXPECT_EQ(Counter(), QStringLiteral("5/5"));
    EXPECT_EQ(FramesProcessed(), 5) << "six frames, one of them skipped";
    EXPECT_EQ(ClosestFrame(video, SnappedPixels()), 5);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(AviFileDialogTest, CloseForgetsTheFileAndAFileOfAnotherSizeFollows)
{
    const TestVideo large = MakeBgr24Video(320, 240, 3);
    const TestVideo small = MakeBgr24Video(64, 48, 5);
    Open(Write(large, kRaw24, "large.avi"));
    ASSERT_TRUE(HasFile());

    Click(IDC_DELETE_CAM);
    EXPECT_FALSE(HasFile());
    EXPECT_EQ(Text(IDC_ADD_CAM), QStringLiteral("Open"));
    EXPECT_FALSE(Enabled(IDC_CAM_SETUP));
    EXPECT_TRUE(Enabled(IDC_WEB_CAMERA));
    EXPECT_TRUE(Enabled(IDC_AVI_FILE));
    QImage white(Picture().size(), Picture().format());
    white.fill(Qt::white);
    EXPECT_EQ(Picture(), white);

    Open(Write(small, kRaw24, "small.avi"));
    ASSERT_TRUE(HasFile());
    EXPECT_EQ(Counter(), QStringLiteral("0/4"));
    EXPECT_TRUE(ShowsFrame(small, 0));
    QTest::keyClick(&Slider(), Qt::Key_End);
    EXPECT_TRUE(ShowsFrame(small, 4));
    EXPECT_TRUE(SnappedPixels() == small.BottomUp(4));
}

TEST_F(AviFileDialogTest, ClosingWhilePlayingLetsTheCounterRunOutWithoutImages)
{
    Open(Write(MakeBgr24Video(32, 8, 30), kRaw24, "closing.avi"));
    Click(IDC_CAM_SETUP);
    ASSERT_TRUE(WaitFor([&] { return Slider().value() >= 1; }));
    Click(IDC_DELETE_CAM);
    const int shown = FramesProcessed();
    ASSERT_TRUE(WaitForPlayLabel());
    EXPECT_EQ(Slider().value(), 29);
    EXPECT_EQ(Counter(), QStringLiteral("29/29"));
    EXPECT_EQ(FramesProcessed(), shown);
    EXPECT_FALSE(Enabled(IDC_CAM_SETUP));
}

TEST_F(AviFileDialogTest, ClosingTheDialogWhilePlayingReleasesTheFile)
{
    Open(Write(MakeBgr24Video(32, 8, 400), kRaw24, "long.avi"));
    Click(IDC_CAM_SETUP);
    ASSERT_TRUE(WaitFor([&] { return Slider().value() >= 1; }));
    Click(IDC_EXIT);
    EXPECT_FALSE(Dialog().isVisible());
    const int position = Slider().value();
    QTest::qWait(100);
    EXPECT_EQ(Slider().value(), position);
}


TEST_F(AviFileDialogTest, InstalledSnapshotsGoToThePicturesFolder)
{
    InstalledProgram installed(m_programFolder.path());
    Open(Write(MakeBgr24Video(32, 8, 3), kRaw24, "short.avi"));
    Click(IDC_ADD_CAM);
    EXPECT_TRUE(Snapshots().isEmpty()) << "nothing is written beside the program";
    const QStringList pictures = QDir(installed.PicturesFolder()).entryList({QStringLiteral("VIZMAR*.bmp")}, QDir::Files);
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_TRUE(ReadFileBytes(installed.PicturesFolder() + QLatin1Char('/') + pictures.first()).startsWith("BM"));
}
}  // namespace
