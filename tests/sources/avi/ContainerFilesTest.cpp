#include "imaging/FrameRecord.h"
#include "sources/avi/AviTestVideo.h"
#include "sources/avi/ReaderFixture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kFrames = 30;

// Lossy frames converted by the reader and by the ffmpeg tool differ by rounding alone.
constexpr double kConversionTolerance = 1.0;

struct ContainerCase {
    const char* name;
    const char* file;
    const char* encoder;
    QStringList arguments;
};

const QStringList kH264WithBFrames{"-c:v", "libx264", "-crf", "18", "-bf", "3", "-g", "12", "-pix_fmt", "yuv420p"};

// Every container and codec a phone, a browser or a recorder writes, with B-frames, open
// groups of pictures, hidden reference frames and uneven frame times.
const std::vector<ContainerCase>& Cases()
{
    static const std::vector<ContainerCase> cases{
        {"MP4 H.264 with B-frames", "bframes.mp4", "libx264", kH264WithBFrames},
        {"MP4 H.264 open GOP", "opengop.mp4", "libx264",
         kH264WithBFrames + QStringList{"-x264-params", "open-gop=1:keyint=12:min-keyint=12"}},
        {"MOV H.264", "phone.mov", "libx264", kH264WithBFrames},
        {"M4V MPEG-4 with B-frames", "clip.m4v", "mpeg4", {"-c:v", "mpeg4", "-q:v", "2", "-bf", "2", "-g", "10"}},
        {"MKV VP9", "vp9.mkv", "libvpx-vp9",
         {"-c:v", "libvpx-vp9", "-crf", "20", "-b:v", "0", "-g", "10", "-deadline", "realtime", "-cpu-used", "8"}},
        {"WebM VP8 with hidden reference frames", "vp8.webm", "libvpx",
         {"-c:v", "libvpx", "-crf", "8", "-b:v", "2M", "-g", "10", "-auto-alt-ref", "1", "-lag-in-frames", "8"}},
        {"MKV HEVC with B-frames", "hevc.mkv", "libx265",
         {"-c:v", "libx265", "-crf", "18", "-x265-params", "bframes=3:keyint=12:log-level=error", "-pix_fmt",
          "yuv420p"}},
        {"MPEG-TS H.264 with B-frames", "stream.ts", "libx264", kH264WithBFrames},
        {"MKV MJPEG", "mjpeg.mkv", "mjpeg", {"-c:v", "mjpeg", "-q:v", "2"}},
        {"MOV raw video", "raw.mov", "rawvideo", {"-c:v", "rawvideo", "-pix_fmt", "bgr24"}},
        {"MP4 H.264 with variable frame rate", "vfr.mp4", "libx264",
         kH264WithBFrames
             + QStringList{"-vf", "settb=1/1000,setpts=N*N*4+N*10", "-fps_mode", "passthrough",
                           "-video_track_timescale", "1000"}},
    };
    return cases;
}

bool HasEncoder(const QString& name)
{
    QByteArray encoders;
    RunFfmpeg({"-encoders"}, {}, &encoders);
    return encoders.contains(" " + name.toUtf8() + " ");
}

class ContainerFilesTest : public ::testing::TestWithParam<ContainerCase>, protected ReaderFixture {
protected:
    // The reader's frame at position, checked against the tool's frame of that index.
    std::vector<uint8_t> CheckedFrame(const TestVideo& reference, int position)
    {
        const FrameRecord* frame = m_reader.GetFrame(position);
        if (frame == nullptr) {
            ADD_FAILURE() << "no frame at position " << position;
            return {};
        }
        EXPECT_EQ(frame->header().biBitCount, 24);
        EXPECT_EQ(frame->header().biWidth, kWidth);
        EXPECT_EQ(frame->header().biHeight, kHeight);
        std::vector<uint8_t> pixels = PixelsOf(*frame);
        EXPECT_EQ(ClosestFrame(reference, pixels), position);
        EXPECT_LT(MeanDifference(pixels, reference.BottomUp(position)), kConversionTolerance)
            << "position " << position;
        return pixels;
    }
};

TEST_P(ContainerFilesTest, EveryFrameInDisplayOrderWhetherPlayedOrSought)
{
    const ContainerCase& c = GetParam();
    if (!HasEncoder(c.encoder))
        GTEST_SKIP() << "this ffmpeg has no " << c.encoder << " encoder";
    const QString path = m_folder.file(c.file);
    const QString written = WriteTestPattern(kWidth, kHeight, kFrames, c.arguments, path);
    ASSERT_TRUE(written.isEmpty()) << written.toStdString();
    TestVideo reference;
    const QString decoded = DecodeWithFfmpeg(path, kWidth, kHeight, reference);
    ASSERT_TRUE(decoded.isEmpty()) << decoded.toStdString();
    ASSERT_EQ(int(reference.frames.size()), kFrames);

    ASSERT_EQ(m_reader.Load(path, nullptr), 1);
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(m_reader.FrameCount(), kFrames);
    // The first, a middle and the last frame straight after opening, then all in turn.
    for (const int position : {0, kFrames / 2, kFrames - 1})
        CheckedFrame(reference, position);
    std::vector<std::vector<uint8_t>> played;
    for (int position = 0; position < kFrames; ++position)
        played.push_back(CheckedFrame(reference, position));
    EXPECT_EQ(m_reader.GetFrame(kFrames), nullptr);

    for (const int position : {17, 3, 29, 12, 13, 11, 0, 24, 6, 5, 18, 1, 28, 23}) {
        const FrameRecord* frame = m_reader.GetFrame(position);
        ASSERT_NE(frame, nullptr) << "position " << position;
        EXPECT_TRUE(PixelsOf(*frame) == played[std::size_t(position)]) << "position " << position;
    }
}

class FrameCountingTest : public ::testing::Test, protected ReaderFixture {};

// A stream without an index is counted packet by packet; the count reports how far it has
// read and stops, without a message, when the report says so.
TEST_F(FrameCountingTest, ReportsProgressAndStopsQuietlyWhenCancelled)
{
    const QString path = m_folder.file("long.ts");
    const QString written = WriteTestPattern(32, 32, 300, {"-c:v", "mpeg2video", "-f", "mpegts"}, path);
    ASSERT_TRUE(written.isEmpty()) << written.toStdString();

    int reports = 0;
    EXPECT_NE(m_reader.Load(path, nullptr, [&reports](int) { return ++reports < 2; }), 1);
    EXPECT_EQ(reports, 2) << "the count stops at the report that cancels it";
    EXPECT_TRUE(m_reader.WasCancelled());
    EXPECT_TRUE(m_messages.isEmpty());

    std::vector<int> percents;
    ASSERT_EQ(m_reader.Load(path, nullptr, [&percents](int percent) {
        percents.push_back(percent);
        return true;
    }),
              1);
    EXPECT_FALSE(m_reader.WasCancelled());
    EXPECT_EQ(m_reader.FrameCount(), 300);
    ASSERT_GE(percents.size(), 2u);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_GE(percents.front(), 0);
    EXPECT_LE(percents.back(), 100);
    EXPECT_NE(m_reader.GetFrame(299), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Containers, ContainerFilesTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<ContainerCase>& info) {
                             QString name = info.param.name;
                             name.replace(QRegularExpression("[^A-Za-z0-9]"), "_");
                             return name.toStdString();
                         });

}  // namespace
