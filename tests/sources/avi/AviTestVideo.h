#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class FrameRecord;

// Frames of a known pattern, top line first, rows without padding, in one of ffmpeg's raw
// pixel layouts. Each frame has a red (or, at 16 bits, a red-bit) level of its own, so a
// frame that comes back at the wrong position is told apart even after lossy coding.
struct TestVideo {
    int width = 0;
    int height = 0;
    QString pixelFormat;
    int bytesPerPixel = 0;
    std::vector<std::vector<uint8_t>> frames;

    // The frame as a bottom-up bitmap: the last row first.
    std::vector<uint8_t> BottomUp(int frame) const;
};

TestVideo MakeBgr24Video(int width, int height, int frameCount);
TestVideo MakeRgb555Video(int width, int height, int frameCount);
TestVideo MakeBgraVideo(int width, int height, int frameCount);

// Runs the ffmpeg tool with arguments and input on its standard input; the error output
// when it fails, an empty string when it succeeds. Its standard output goes to output.
QString RunFfmpeg(const QStringList& arguments, const QByteArray& input = {}, QByteArray* output = nullptr);

// Writes video to path through ffmpeg: the frames go in as raw video at 25 frames per
// second, outputArguments say how they are stored (codec, pixel format, filters).
QString WriteAvi(const TestVideo& video, const QStringList& outputArguments, const QString& path);
// The same through a pipe, as a recorder that streams its output writes it: the writer
// cannot go back to fill in the header's frame counts.
QString WriteAviThroughPipe(const TestVideo& video, const QStringList& outputArguments, const QString& path);

// Writes frameCount frames of ffmpeg's moving test picture (each frame differs from the
// others) to path, stored as outputArguments say.
QString WriteTestPattern(int width, int height, int frameCount, const QStringList& outputArguments,
                         const QString& path);
// Every frame the ffmpeg tool decodes from path, in display order, as 24-bit BGR of
// width × height; the error output when it fails.
QString DecodeWithFfmpeg(const QString& path, int width, int height, TestVideo& decoded);

QByteArray ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const QByteArray& bytes);

// Zeroes the data of the video chunk of the given frame ("00dc"), so that it cannot be decoded.
void BlankVideoChunk(const QString& path, int frame);

// The pixel bytes of a record, as a vector for comparisons.
std::vector<uint8_t> PixelsOf(const FrameRecord& record);

// The mean absolute difference of two byte sequences of the same length.
double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

// The frame of video that pixels (a bottom-up 24-bit frame) are closest to.
int ClosestFrame(const TestVideo& video, const std::vector<uint8_t>& pixels);
