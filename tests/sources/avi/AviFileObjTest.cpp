#include "imaging/FormatConversion.h"
#include "imaging/FrameRecord.h"
#include "sources/avi/AviTestVideo.h"
#include "sources/avi/ReaderFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const QString kInvalidFormat = "Invalid file format!";
const QString kNoDecompressor = "AVIStreamGetFrameOpen error!";
const QString kIncompatibleBitCount = "BitCounts is not compatible!";

const QStringList kRaw24{"-c:v", "rawvideo", "-pix_fmt", "bgr24"};

class AviFileObjTest : public ::testing::Test, protected ReaderFixture {
protected:
    QString Write(const TestVideo& video, const QStringList& outputArguments, const QString& name = "video.avi")
    {
        const QString path = m_folder.file(name);
        const QString error = WriteAvi(video, outputArguments, path);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return path;
    }

    void ExpectFramesExact(const TestVideo& video, const std::vector<int>& order)
    {
        for (const int position : order) {
            const FrameRecord* frame = m_reader.GetFrame(position);
            ASSERT_NE(frame, nullptr) << "position " << position;
            const BitmapInfoHeader header = frame->header();
            EXPECT_EQ(header.biSize, kBitmapHeaderSize);
            EXPECT_EQ(header.biPlanes, 1);
            EXPECT_EQ(header.biWidth, video.width);
            EXPECT_EQ(header.biHeight, video.height);
            EXPECT_EQ(header.biBitCount, video.bytesPerPixel * 8);
            EXPECT_EQ(header.biCompression, 0u);
            EXPECT_EQ(header.biSizeImage, uint32_t(video.width * video.height * video.bytesPerPixel));
            EXPECT_EQ(frame->size(), kBitmapHeaderSize + header.biSizeImage);
            EXPECT_TRUE(PixelsOf(*frame) == video.BottomUp(position)) << "position " << position;
        }
    }
};

TEST_F(AviFileObjTest, Raw24BitFramesComeBackExactAndBottomUp)
{
    const TestVideo video = MakeBgr24Video(320, 240, 10);
    const QString path = Write(video, kRaw24);

    ASSERT_EQ(m_reader.Load(path, nullptr), 1);
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(m_reader.Path(), path);
    EXPECT_EQ(m_reader.FrameCount(), 10);
    ExpectFramesExact(video, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
}

TEST_F(AviFileObjTest, RawFramesKeepTheirDepthAndRowsLoseTheirPadding)
{
    struct Case {
        const char* name;
        TestVideo video;
    };
    const Case cases[] = {
        {"16-bit 5-5-5", MakeRgb555Video(320, 240, 3)},
        {"32-bit", MakeBgraVideo(320, 240, 3)},
        {"24-bit, odd width (rows padded in the file)", MakeBgr24Video(321, 7, 3)},
        {"24-bit, width 1", MakeBgr24Video(1, 5, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Write(c.video, {"-c:v", "rawvideo", "-pix_fmt", c.video.pixelFormat},
                                   QString("%1-%2.avi").arg(c.video.width).arg(c.video.pixelFormat));
        ASSERT_EQ(m_reader.Load(path, nullptr), 1);
        EXPECT_EQ(m_reader.FrameCount(), 3);
        ExpectFramesExact(c.video, {0, 1, 2, 0});
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(AviFileObjTest, SixteenBitFramesConvertToTheFiveBitValuesTimesEight)
{
    const TestVideo video = MakeRgb555Video(64, 4, 2);
    ASSERT_EQ(m_reader.Load(Write(video, {"-c:v", "rawvideo", "-pix_fmt", "rgb555le"}), nullptr), 1);
    const FrameRecord* frame = m_reader.GetFrame(1);
    ASSERT_NE(frame, nullptr);

    FrameRecord converted(MakeBitmapHeader(64, 4, 24));
    Rgb555ToRgb24(*frame, converted);
    const std::vector<uint8_t> words = video.BottomUp(1);
    const std::vector<uint8_t> rgb = PixelsOf(converted);
    for (std::size_t i = 0; i < 64 * 4; ++i) {
        const int word = words[2 * i] | words[2 * i + 1] << 8;
        ASSERT_EQ(rgb[3 * i], (word & 31) * 8) << "pixel " << i;
        ASSERT_EQ(rgb[3 * i + 1], (word >> 5 & 31) * 8) << "pixel " << i;
        ASSERT_EQ(rgb[3 * i + 2], (word >> 10 & 31) * 8) << "pixel " << i;
    }
}

TEST_F(AviFileObjTest, EightBitFilesAreRefused)
{
    for (const char* pixelFormat : {"pal8", "gray"}) {
        SCOPED_TRACE(pixelFormat);
        m_messages.clear();
        const QString path = Write(MakeBgr24Video(32, 8, 2), {"-c:v", "rawvideo", "-pix_fmt", pixelFormat},
                                   QString(pixelFormat) + ".avi");
        EXPECT_EQ(m_reader.Load(path, nullptr), 0);
        EXPECT_EQ(m_messages, QStringList{kIncompatibleBitCount});
        EXPECT_EQ(m_reader.FrameCount(), 0);
        EXPECT_EQ(m_reader.GetFrame(0), nullptr);
    }
}

TEST_F(AviFileObjTest, OneFrameFileHasOnlyPositionZero)
{
    const TestVideo video = MakeBgr24Video(16, 16, 1);
    ASSERT_EQ(m_reader.Load(Write(video, kRaw24), nullptr), 1);
    EXPECT_EQ(m_reader.FrameCount(), 1);
    ExpectFramesExact(video, {0});
    EXPECT_EQ(m_reader.GetFrame(1), nullptr);
    EXPECT_EQ(m_reader.GetFrame(-1), nullptr);
    ExpectFramesExact(video, {0});
}

TEST_F(AviFileObjTest, RandomAccessGivesTheSameFramesAsPlaying)
{
    const TestVideo video = MakeBgr24Video(320, 240, 10);
    ASSERT_EQ(m_reader.Load(Write(video, kRaw24), nullptr), 1);
    ExpectFramesExact(video, {7, 3, 4, 4, 9, 0, 8, 2});
    EXPECT_EQ(m_reader.GetFrame(10), nullptr);
    ExpectFramesExact(video, {5});
}

// Lossy codecs: each position must come back as its own source frame (the closest of all,
// and close in absolute terms), upright and unmirrored, whether played or sought.
TEST_F(AviFileObjTest, CompressedStreamsDecodeTo24BitsAtEveryPosition)
{
    struct Case {
        const char* name;
        int width;
        int height;
        QStringList arguments;
    };
    const Case cases[] = {
        {"MJPEG", 640, 480, {"-c:v", "mjpeg", "-q:v", "2"}},
        {"MPEG-4 with B-frames", 320, 240, {"-c:v", "mpeg4", "-q:v", "2", "-bf", "2", "-g", "5"}},
        {"H.264 with B-frames", 320, 240,
         {"-c:v", "libx264", "-crf", "12", "-bf", "3", "-g", "5", "-pix_fmt", "yuv420p"}},
        {"H.264 with B-frames across key frames", 320, 240,
         {"-c:v", "libx264", "-crf", "12", "-bf", "3", "-g", "5", "-x264-params", "open-gop=1", "-pix_fmt",
          "yuv420p"}},
        {"MS-MPEG-4 v3", 320, 240, {"-c:v", "msmpeg4", "-q:v", "2", "-g", "5"}},
    };
    const std::vector<int> order{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 7, 3, 4, 11, 0, 6, 5, 9};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TestVideo video = MakeBgr24Video(c.width, c.height, 12);
        ASSERT_EQ(m_reader.Load(Write(video, c.arguments, QString::number(&c - cases) + ".avi"), nullptr), 1);
        EXPECT_EQ(m_reader.FrameCount(), 12);
        for (const int position : order) {
            const FrameRecord* frame = m_reader.GetFrame(position);
            ASSERT_NE(frame, nullptr) << "position " << position;
            EXPECT_EQ(frame->header().biBitCount, 24);
            EXPECT_EQ(frame->header().biWidth, c.width);
            EXPECT_EQ(frame->header().biHeight, c.height);
            const std::vector<uint8_t> pixels = PixelsOf(*frame);
            EXPECT_EQ(ClosestFrame(video, pixels), position);
            EXPECT_LT(MeanDifference(pixels, video.BottomUp(position)), 4.0) << "position " << position;
        }
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

// Xvid stores B-frames packed two to a chunk, and FFmpeg's writer leaves empty chunks
// before them: the decoder's output lags the chunks in a way of its own. Whatever frame a
// position shows, it must be the same whether played to or sought.
TEST_F(AviFileObjTest, PackedBFramesShowTheSameFrameWhetherPlayedOrSought)
{
    const TestVideo video = MakeBgr24Video(320, 240, 12);
    const QString path = Write(video, {"-c:v", "libxvid", "-q:v", "2", "-bf", "2", "-g", "5"});
    ASSERT_EQ(m_reader.Load(path, nullptr), 1);
    ASSERT_EQ(m_reader.FrameCount(), 12);
    std::vector<std::vector<uint8_t>> played;
    for (int position = 0; position < 12; ++position) {
        const FrameRecord* frame = m_reader.GetFrame(position);
        ASSERT_NE(frame, nullptr) << "position " << position;
        played.push_back(PixelsOf(*frame));
    }
    for (const int position : {7, 3, 4, 11, 0, 6, 5, 9, 1, 10, 2, 8}) {
        const FrameRecord* frame = m_reader.GetFrame(position);
        ASSERT_NE(frame, nullptr) << "position " << position;
        EXPECT_TRUE(PixelsOf(*frame) == played[position]) << "position " << position;
    }
    EXPECT_EQ(ClosestFrame(video, played[0]), 0);
}

// A recorder that drops frames stores them as empty chunks: they show the frame before.
TEST_F(AviFileObjTest, DroppedFramesRepeatTheFrameBefore)
{
    const TestVideo video = MakeBgr24Video(32, 8, 6);
    const QStringList dropEveryThirdSlot{"-vf", "setpts=(N+floor(N/2))/TB/25", "-fps_mode", "passthrough"};
    const QString path = Write(video, kRaw24 + dropEveryThirdSlot);
    ASSERT_EQ(m_reader.Load(path, nullptr), 1);
    ASSERT_EQ(m_reader.FrameCount(), 8);
    const int sourceAt[] = {0, 1, 1, 2, 3, 3, 4, 5};
    for (const int position : {0, 1, 2, 3, 4, 5, 6, 7, 5, 2, 7, 3, 6}) {
        const FrameRecord* frame = m_reader.GetFrame(position);
        ASSERT_NE(frame, nullptr) << "position " << position;
        EXPECT_TRUE(PixelsOf(*frame) == video.BottomUp(sourceAt[position])) << "position " << position;
    }
}

// Written to a pipe, the header keeps FFmpeg's placeholder frame count (2^30); only the
// index says how many frames there are.
TEST_F(AviFileObjTest, FrameCountOfAStreamedRecordingComesFromItsIndex)
{
    const TestVideo video = MakeBgr24Video(32, 8, 12);
    const QString path = m_folder.file("piped.avi");
    const QString error = WriteAviThroughPipe(video, {"-c:v", "mjpeg", "-q:v", "2"}, path);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(m_reader.Load(path, nullptr), 1);
    EXPECT_EQ(m_reader.FrameCount(), 12);
    EXPECT_NE(m_reader.GetFrame(11), nullptr);
}

TEST_F(AviFileObjTest, TheFirstVideoStreamIsReadWhenAudioComesFirst)
{
    const TestVideo video = MakeBgr24Video(32, 8, 4);
    const QString path = m_folder.file("audio-first.avi");
    QByteArray input;
    for (const auto& frame : video.frames)
        input.append(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
    const QString error = RunFfmpeg({"-f", "rawvideo", "-pix_fmt", "bgr24", "-s", "32x8", "-r", "25", "-i", "-", "-f",
                                     "lavfi", "-i", "sine=frequency=440:duration=1", "-map", "1:a", "-map", "0:v",
                                     "-c:a", "pcm_s16le", "-c:v", "rawvideo", "-pix_fmt", "bgr24", "-shortest", path},
                                    input);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(m_reader.Load(path, nullptr), 1);
    EXPECT_EQ(m_reader.FrameCount(), 4);
    ExpectFramesExact(video, {0, 1, 2, 3, 1});
}

TEST_F(AviFileObjTest, AFileCutShortGivesTheFramesItStillHolds)
{
    const TestVideo video = MakeBgr24Video(320, 240, 10);
    const QString path = Write(video, kRaw24);
    QByteArray bytes = ReadFileBytes(path);
    const qsizetype firstChunk = bytes.indexOf("movi") + 4;
    const qsizetype chunkBytes = 8 + 320 * 240 * 3;
    bytes.truncate(firstChunk + 5 * chunkBytes + 8 + 1000);
    WriteFileBytes(path, bytes);

    ASSERT_EQ(m_reader.Load(path, nullptr), 1);
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(m_reader.FrameCount(), 6);
    ExpectFramesExact(video, {0, 1, 2, 3, 4});
    EXPECT_EQ(m_reader.GetFrame(5), nullptr);
    ExpectFramesExact(video, {2, 4});
    EXPECT_EQ(m_reader.GetFrame(5), nullptr);
    ExpectFramesExact(video, {1});
    EXPECT_EQ(m_reader.GetFrame(5), nullptr);
}

TEST_F(AviFileObjTest, AFileCutBeforeItsFirstFrameHasNoFrameToDecode)
{
    const QString path = Write(MakeBgr24Video(32, 8, 3), kRaw24);
    QByteArray bytes = ReadFileBytes(path);
    bytes.truncate(bytes.indexOf("movi") + 4);
    WriteFileBytes(path, bytes);

    EXPECT_EQ(m_reader.Load(path, nullptr), 0);
    EXPECT_EQ(m_messages, QStringList{kNoDecompressor});
    EXPECT_EQ(m_reader.FrameCount(), 0);
}

TEST_F(AviFileObjTest, AFrameThatCannotBeDecodedIsSkippedAndTheRestStillShow)
{
    const TestVideo video = MakeBgr24Video(64, 48, 6);
    const QString path = Write(video, {"-c:v", "mjpeg", "-q:v", "2"});
    BlankVideoChunk(path, 2);

    ASSERT_EQ(m_reader.Load(path, nullptr), 1);
    EXPECT_EQ(m_reader.FrameCount(), 6);
    for (const int position : {0, 1, 2, 3, 4, 5, 2, 4, 1, 2, 3}) {
        const FrameRecord* frame = m_reader.GetFrame(position);
        if (position == 2) {
            EXPECT_EQ(frame, nullptr);
            continue;
        }
        ASSERT_NE(frame, nullptr) << "position " << position;
        EXPECT_EQ(ClosestFrame(video, PixelsOf(*frame)), position);
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(AviFileObjTest, UnreadableFilesAreAnInvalidFormat)
{
    const QString good = Write(MakeBgr24Video(32, 8, 2), kRaw24, "good.avi");
    QByteArray damaged = ReadFileBytes(good);
    damaged.replace(0, 12, "NOT A RIFF!!");
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"empty file", {}},
        {"text file renamed", "This is a note, not a video.\nSecond line.\n"},
        {"header cut short", ReadFileBytes(good).left(100)},
        {"header damaged", damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_messages.clear();
        const QString path = m_folder.file("bad.avi");
        WriteFileBytes(path, c.bytes);
        EXPECT_EQ(m_reader.Load(path, nullptr), 0);
        EXPECT_EQ(m_messages, QStringList{kInvalidFormat});
        EXPECT_EQ(m_reader.FrameCount(), 0);
        EXPECT_EQ(m_reader.GetFrame(0), nullptr);
    }
}

// A picture is a video of one frame now; a file with no video at all still fails quietly.
TEST_F(AviFileObjTest, FilesWithoutAVideoStreamFailWithoutAMessage)
{
    const QString audioOnly = m_folder.file("audio.avi");
    const QString error =
        RunFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=0.3", "-c:a", "pcm_s16le", audioOnly});
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();

    for (const QString& path : {audioOnly, m_folder.file("missing.avi")}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(m_reader.Load(path, nullptr), 0);
        EXPECT_EQ(m_reader.FrameCount(), 0);
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

// The header says the frames are enormous; the stored frames are small.
TEST_F(AviFileObjTest, AHugeDeclaredFrameSizeIsRefused)
{
    const QString path = Write(MakeBgr24Video(16, 16, 2), kRaw24);
    const QByteArray original = ReadFileBytes(path);
    for (const qint32 side : {100000, 16000}) {
        SCOPED_TRACE(side);
        m_messages.clear();
        QByteArray bytes = original;
        const qsizetype mainHeader = bytes.indexOf("avih") + 8;
        const qsizetype bitmapHeader = bytes.indexOf("strf") + 8;
        for (const qsizetype offset : {mainHeader + 32, mainHeader + 36, bitmapHeader + 4, bitmapHeader + 8})
            std::memcpy(bytes.data() + offset, &side, 4);
        WriteFileBytes(path, bytes);

        EXPECT_EQ(m_reader.Load(path, nullptr), 0);
        EXPECT_EQ(m_messages, QStringList{kNoDecompressor});
        EXPECT_EQ(m_reader.GetFrame(0), nullptr);
    }
}

TEST_F(AviFileObjTest, LoadingAnotherFileReplacesTheFirst)
{
    const TestVideo small = MakeBgr24Video(32, 8, 3);
    const TestVideo large = MakeBgr24Video(64, 48, 5);
    ASSERT_EQ(m_reader.Load(Write(small, kRaw24, "small.avi"), nullptr), 1);
    ExpectFramesExact(small, {2});
    ASSERT_EQ(m_reader.Load(Write(large, kRaw24, "large.avi"), nullptr), 1);
    EXPECT_EQ(m_reader.FrameCount(), 5);
    ExpectFramesExact(large, {2, 4});

    EXPECT_EQ(m_reader.Load(m_folder.file("missing.avi"), nullptr), 0);
    EXPECT_EQ(m_reader.FrameCount(), 0);
    EXPECT_EQ(m_reader.GetFrame(2), nullptr);
}

}  // namespace
