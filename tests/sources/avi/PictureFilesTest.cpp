#include "imaging/BitmapFile.h"
#include "imaging/FrameRecord.h"
#include "sources/avi/AviTestVideo.h"
#include "sources/avi/ReaderFixture.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

class PictureFilesTest : public ::testing::Test, protected ReaderFixture {
protected:
    // The picture as the reader's only frame, after checking what a one-frame file offers.
    std::vector<uint8_t> OnlyFrame(const QString& path)
    {
        if (m_reader.Load(path, nullptr) != 1) {
            ADD_FAILURE() << "cannot load " << path.toStdString();
            return {};
        }
        EXPECT_EQ(m_reader.FrameCount(), 1);
        EXPECT_EQ(m_reader.GetFrame(1), nullptr);
        const FrameRecord* frame = m_reader.GetFrame(0);
        if (frame == nullptr) {
            ADD_FAILURE() << "no frame in " << path.toStdString();
            return {};
        }
        EXPECT_EQ(frame->header().biBitCount, 24);
        EXPECT_EQ(frame->header().biWidth, kWidth);
        EXPECT_EQ(frame->header().biHeight, kHeight);
        return PixelsOf(*frame);
    }

    std::vector<uint8_t> ToolDecoded(const QString& path)
    {
        TestVideo decoded;
        const QString error = DecodeWithFfmpeg(path, kWidth, kHeight, decoded);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(decoded.frames.size(), 1u);
        return decoded.frames.empty() ? std::vector<uint8_t>{} : decoded.BottomUp(0);
    }
};

// Lossless pictures come back byte for byte; lossy ones as the ffmpeg tool decodes them.
TEST_F(PictureFilesTest, PicturesAreOneFrameEqualToTheirDecodedPixels)
{
    struct Case {
        const char* file;
        QStringList arguments;
        double tolerance;
    };
    const Case cases[] = {
        {"picture.png", {"-pix_fmt", "rgb24"}, 0.0},
        {"deep.png", {"-pix_fmt", "rgb48be"}, 1.0},
        {"photo.jpg", {"-q:v", "2"}, 1.0},
        {"picture.bmp", {"-pix_fmt", "bgr24"}, 0.0},
        {"picture.tiff", {"-pix_fmt", "rgb24"}, 0.0},
        {"picture.webp", {"-c:v", "libwebp", "-quality", "90"}, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = m_folder.file(c.file);
        const QString error = WriteTestPattern(kWidth, kHeight, 1, c.arguments, path);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        const std::vector<uint8_t> expected = ToolDecoded(path);
        const std::vector<uint8_t> shown = OnlyFrame(path);
        if (c.tolerance == 0.0)
            EXPECT_TRUE(shown == expected);
        else
            EXPECT_LT(MeanDifference(shown, expected), c.tolerance);
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

// A 16-bit picture shows each channel's top eight bits.
TEST_F(PictureFilesTest, SixteenBitPngShowsTheHighBytes)
{
    const QString path = m_folder.file("deep.png");
    const QString error = WriteTestPattern(kWidth, kHeight, 1, {"-pix_fmt", "rgb48be"}, path);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    QByteArray deep;
    ASSERT_TRUE(RunFfmpeg({"-i", path, "-f", "rawvideo", "-pix_fmt", "rgb48le", "pipe:1"}, {}, &deep).isEmpty());
    ASSERT_EQ(deep.size(), kWidth * kHeight * 6);

    const std::vector<uint8_t> shown = OnlyFrame(path);
    ASSERT_EQ(shown.size(), std::size_t(kWidth * kHeight * 3));
    const auto* words = reinterpret_cast<const uint8_t*>(deep.constData());
    int wrongChannels = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int channel = 0; channel < 3; ++channel) {
                const int high = words[((y * kWidth + x) * 3 + channel) * 2 + 1];
                const int value = shown[(std::size_t(kHeight - 1 - y) * kWidth + x) * 3 + std::size_t(2 - channel)];
                wrongChannels += std::abs(value - high) > 1;
            }
    EXPECT_EQ(wrongChannels, 0);
}

// What "Snapshot" saved opens again as exactly the frame it saved.
TEST_F(PictureFilesTest, ASavedSnapshotReopensWithExactlyItsPixels)
{
    FrameRecord snapshot(MakeBitmapHeader(kWidth, kHeight, 24));
    for (std::size_t i = 0; i < snapshot.pixelCapacity(); ++i)
        snapshot.pixels()[i] = uint8_t(i * 7 + i / 97);
    const QString path = m_folder.file("VIZMAR1234.bmp");
    ASSERT_TRUE(SaveBitmapFile(&snapshot, QFile::encodeName(path).toStdString()));

    EXPECT_TRUE(OnlyFrame(path) == PixelsOf(snapshot));
    EXPECT_TRUE(m_messages.isEmpty());
}

}  // namespace
