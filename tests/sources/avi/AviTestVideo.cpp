#include "sources/avi/AviTestVideo.h"

#include "imaging/FrameRecord.h"

#include <QFile>
#include <QProcess>

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

uint8_t Level(int position, int extent)
{
    return uint8_t(extent > 1 ? position * 255 / (extent - 1) : 0);
}

template <typename WritePixel>
TestVideo MakeVideo(int width, int height, int frameCount, const QString& pixelFormat, int bytesPerPixel,
                    WritePixel writePixel)
{
    TestVideo video{width, height, pixelFormat, bytesPerPixel, {}};
    for (int f = 0; f < frameCount; ++f) {
        std::vector<uint8_t> frame(std::size_t(width) * height * bytesPerPixel);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                writePixel(&frame[(std::size_t(y) * width + x) * bytesPerPixel], x, y, f);
        video.frames.push_back(std::move(frame));
    }
    return video;
}

}  // namespace

std::vector<uint8_t> TestVideo::BottomUp(int frame) const
{
    const std::size_t rowBytes = std::size_t(width) * bytesPerPixel;
    std::vector<uint8_t> pixels;
    pixels.reserve(rowBytes * height);
    for (int y = height - 1; y >= 0; --y) {
        const auto row = frames[frame].begin() + std::ptrdiff_t(y * rowBytes);
        pixels.insert(pixels.end(), row, row + std::ptrdiff_t(rowBytes));
    }
    return pixels;
}

TestVideo MakeBgr24Video(int width, int height, int frameCount)
{
    return MakeVideo(width, height, frameCount, "bgr24", 3, [&](uint8_t* pixel, int x, int y, int f) {
        pixel[0] = Level(x, width);
        pixel[1] = Level(y, height);
        pixel[2] = uint8_t(10 + 20 * f);
    });
}

TestVideo MakeRgb555Video(int width, int height, int frameCount)
{
    return MakeVideo(width, height, frameCount, "rgb555le", 2, [&](uint8_t* pixel, int x, int y, int f) {
        const int blue = x & 31;
        const int green = y & 31;
        const int red = (3 * f + x / 32) & 31;
        const int word = blue | green << 5 | red << 10;
        pixel[0] = uint8_t(word);
        pixel[1] = uint8_t(word >> 8);
    });
}

TestVideo MakeBgraVideo(int width, int height, int frameCount)
{
    return MakeVideo(width, height, frameCount, "bgra", 4, [&](uint8_t* pixel, int x, int y, int f) {
        pixel[0] = Level(x, width);
        pixel[1] = Level(y, height);
        pixel[2] = uint8_t(10 + 20 * f);
        pixel[3] = uint8_t(x + y);
    });
}

QString RunFfmpeg(const QStringList& arguments, const QByteArray& input, QByteArray* output)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-nostdin", "-y"} + arguments);
    if (!ffmpeg.waitForStarted(-1))
        return "ffmpeg did not start: " + ffmpeg.errorString();
    ffmpeg.write(input);
    ffmpeg.closeWriteChannel();
    ffmpeg.waitForFinished(-1);
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0)
        return "ffmpeg failed: " + QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    if (output != nullptr)
        *output = ffmpeg.readAllStandardOutput();
    return {};
}

namespace {

QByteArray RawInput(const TestVideo& video)
{
    QByteArray input;
    for (const auto& frame : video.frames)
        input.append(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
    return input;
}

QStringList RawInputArguments(const TestVideo& video)
{
    return {"-f", "rawvideo", "-pix_fmt", video.pixelFormat, "-s", QString("%1x%2").arg(video.width).arg(video.height),
            "-r", "25", "-i", "-"};
}

}  // namespace

QString WriteAvi(const TestVideo& video, const QStringList& outputArguments, const QString& path)
{
    return RunFfmpeg(RawInputArguments(video) + outputArguments + QStringList{path}, RawInput(video));
}

QString WriteAviThroughPipe(const TestVideo& video, const QStringList& outputArguments, const QString& path)
{
    QByteArray written;
    const QString error = RunFfmpeg(RawInputArguments(video) + outputArguments + QStringList{"-f", "avi", "pipe:1"},
                                    RawInput(video), &written);
    if (error.isEmpty())
        WriteFileBytes(path, written);
    return error;
}

QString WriteTestPattern(int width, int height, int frameCount, const QStringList& outputArguments,
                         const QString& path)
{
    const QString source = QString("testsrc2=size=%1x%2:rate=25").arg(width).arg(height);
    return RunFfmpeg(QStringList{"-f", "lavfi", "-i", source, "-frames:v", QString::number(frameCount)}
                     + outputArguments + QStringList{path});
}

QString DecodeWithFfmpeg(const QString& path, int width, int height, TestVideo& decoded)
{
    QByteArray output;
    // Every frame once, converted as the reader converts (bilinear, no scaling).
    const QString error = RunFfmpeg({"-i", path, "-map", "0:v:0", "-fps_mode", "passthrough", "-sws_flags",
                                     "bilinear", "-f", "rawvideo", "-pix_fmt", "bgr24", "pipe:1"},
                                    {}, &output);
    decoded = TestVideo{width, height, "bgr24", 3, {}};
    const qsizetype frameBytes = qsizetype(width) * height * 3;
    for (qsizetype offset = 0; frameBytes > 0 && offset + frameBytes <= output.size(); offset += frameBytes) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(output.constData() + offset);
        decoded.frames.emplace_back(bytes, bytes + frameBytes);
    }
    return error;
}

QByteArray ReadFileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void BlankVideoChunk(const QString& path, int frame)
{
    QByteArray bytes = ReadFileBytes(path);
    qsizetype chunk = bytes.indexOf("00dc", bytes.indexOf("movi"));
    for (int skipped = 0; skipped < frame; ++skipped)
        chunk = bytes.indexOf("00dc", chunk + 4);
    quint32 size = 0;
    std::memcpy(&size, bytes.constData() + chunk + 4, 4);
    bytes.replace(chunk + 8, qsizetype(size), QByteArray(qsizetype(size), '\0'));
    WriteFileBytes(path, bytes);
}

std::vector<uint8_t> PixelsOf(const FrameRecord& record)
{
    return std::vector<uint8_t>(record.pixels(), record.pixels() + record.pixelCapacity());
}

double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size() || a.empty())
        return std::numeric_limits<double>::infinity();
    double total = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        total += std::abs(int(a[i]) - int(b[i]));
    return total / double(a.size());
}

int ClosestFrame(const TestVideo& video, const std::vector<uint8_t>& pixels)
{
    int closest = -1;
    double smallest = std::numeric_limits<double>::infinity();
    for (int f = 0; f < int(video.frames.size()); ++f) {
        const double difference = MeanDifference(video.BottomUp(f), pixels);
        if (difference < smallest) {
            smallest = difference;
            closest = f;
        }
    }
    return closest;
}
