#include "imaging/FrameRecord.h"
#include "sources/avi/AviTestVideo.h"
#include "sources/avi/ReaderFixture.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

const QString kInvalidFormat = "Invalid file format!";
const QString kNoDecompressor = "AVIStreamGetFrameOpen error!";

const QStringList kH264{"-c:v", "libx264", "-crf", "18", "-bf", "3", "-g", "6", "-pix_fmt", "yuv420p"};

class BadFilesTest : public ::testing::Test, protected ReaderFixture {
protected:
    QString Write(int frameCount, const QStringList& arguments, const QString& name)
    {
        const QString path = m_folder.file(name);
        const QString error = WriteTestPattern(96, 64, frameCount, arguments, path);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return path;
    }

    // Fails, shows expected and leaves no file loaded.
    void ExpectRefused(const QString& path, const QStringList& expected)
    {
        m_messages.clear();
        EXPECT_EQ(m_reader.Load(path, nullptr), 0);
        EXPECT_EQ(m_messages, expected);
        EXPECT_EQ(m_reader.FrameCount(), 0);
        EXPECT_EQ(m_reader.GetFrame(0), nullptr);
    }
};

TEST_F(BadFilesTest, FilesThatAreNoVideoAreAnInvalidFormat)
{
    const QString mp4 = Write(12, kH264, "whole.mp4");
    const QByteArray whole = ReadFileBytes(mp4);
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"zero-length", {}},
        {"text under a video's name", "Shopping list: milk, bread.\n"},
        // The MP4 writer puts its index last: without it nothing can be read.
        {"MP4 cut in half", whole.left(whole.size() / 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = m_folder.file("bad.mp4");
        WriteFileBytes(path, c.bytes);
        ExpectRefused(path, {kInvalidFormat});
    }
}

TEST_F(BadFilesTest, APictureUnderAVideoNameOpensAsThePictureItIs)
{
    const QString png = Write(1, {}, "picture.png");
    const QString renamed = m_folder.file("picture.mp4");
    WriteFileBytes(renamed, ReadFileBytes(png));
    ASSERT_EQ(m_reader.Load(renamed, nullptr), 1);
    EXPECT_EQ(m_reader.FrameCount(), 1);
    EXPECT_NE(m_reader.GetFrame(0), nullptr);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(BadFilesTest, AFileWithSoundAloneFailsQuietly)
{
    const QString path = m_folder.file("voice.mka");
    const QString error = RunFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=0.3", "-c:a", "flac", path});
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ExpectRefused(path, {});
}

// No decoder for the stream's format, or a frame size no one should allocate: nothing is
// decoded and the reader holds nothing.
TEST_F(BadFilesTest, UnsupportedCodecsAndEnormousFramesHaveNoDecompressor)
{
    const QString mkv = Write(6, kH264, "unknown.mkv");
    QByteArray bytes = ReadFileBytes(mkv);
    const qsizetype codecId = bytes.indexOf("V_MPEG4/ISO/AVC");
    ASSERT_GE(codecId, 0);
    bytes.replace(codecId, 15, "V_NOSUCH/CODEC!");
    WriteFileBytes(mkv, bytes);
    ExpectRefused(mkv, {kNoDecompressor});

    const QString png = Write(1, {}, "huge.png");
    bytes = ReadFileBytes(png);
    const qsizetype header = bytes.indexOf("IHDR") + 4;
    for (const qsizetype field : {header, header + 4})
        qToBigEndian<quint32>(60000, bytes.data() + field);
    WriteFileBytes(png, bytes);
    ExpectRefused(png, {kNoDecompressor});
}

// A recording that stopped mid-write keeps the frames before the break.
TEST_F(BadFilesTest, AFileThatBreaksMidwayPlaysUpToTheBreak)
{
    for (const char* name : {"broken.mkv", "broken.ts", "broken.webm"}) {
        SCOPED_TRACE(name);
        const QStringList arguments =
            QString(name).endsWith("webm") ? QStringList{"-c:v", "libvpx", "-b:v", "1M", "-g", "6"} : kH264;
        const QString path = Write(30, arguments, name);
        TestVideo reference;
        ASSERT_TRUE(DecodeWithFfmpeg(path, 96, 64, reference).isEmpty());
        const QByteArray whole = ReadFileBytes(path);
        WriteFileBytes(path, whole.left(whole.size() * 6 / 10));

        ASSERT_EQ(m_reader.Load(path, nullptr), 1);
        const int count = m_reader.FrameCount();
        EXPECT_GT(count, 8);
        EXPECT_LT(count, 30);
        int shown = 0;
        for (int position = 0; position < count; ++position) {
            const FrameRecord* frame = m_reader.GetFrame(position);
            if (frame == nullptr)
                continue;
            ++shown;
            EXPECT_EQ(ClosestFrame(reference, PixelsOf(*frame)), position);
        }
        EXPECT_GE(shown, count - 3);
        EXPECT_EQ(m_reader.GetFrame(count), nullptr);
        EXPECT_TRUE(m_messages.isEmpty());
    }
}

}  // namespace
