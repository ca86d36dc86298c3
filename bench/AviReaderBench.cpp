// The file reader on files that the ffmpeg tool writes at start: playing (each frame after
// the one before, which decodes on without seeking) against jumping to random positions (a
// seek to the key frame before, then decoding forward), per codec: 640 × 480 AVI files, and
// a 1920 × 1080 H.264 MP4 at 30 frames per second with a key frame every 2 seconds, as a
// phone records. Decoders run on one thread.

#include "sources/avi/AVIFileObj.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct Codec {
    const char* name;
    const char* size;
    const char* file;
    int frames;
    QStringList arguments;
};

const std::vector<Codec>& Codecs()
{
    static const std::vector<Codec> codecs{
        {"raw24", "640x480", "raw24.avi", 60, {"-c:v", "rawvideo", "-pix_fmt", "bgr24"}},
        {"mjpeg", "640x480", "mjpeg.avi", 60, {"-c:v", "mjpeg", "-q:v", "3"}},
        {"mpeg4", "640x480", "mpeg4.avi", 60, {"-c:v", "mpeg4", "-q:v", "3", "-bf", "2", "-g", "30"}},
        {"h264", "640x480", "h264.avi", 60,
         {"-c:v", "libx264", "-crf", "20", "-bf", "3", "-g", "30", "-pix_fmt", "yuv420p"}},
        {"h264-mp4", "1920x1080", "h264.mp4", 300,
         // Grain as a camera's sensor gives it, so the decoder has real detail to work on.
         {"-vf", "noise=alls=6:allf=t", "-c:v", "libx264", "-preset", "fast", "-crf", "23", "-bf", "3", "-g", "60",
          "-pix_fmt", "yuv420p"}},
    };
    return codecs;
}

QString WriteBenchFile(const QTemporaryDir& folder, const Codec& codec)
{
    const QString path = folder.filePath(codec.file);
    const QString source = QString("testsrc2=size=%1:rate=30").arg(codec.size);
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                                       source, "-frames:v", QString::number(codec.frames)}
                               + codec.arguments + QStringList{path});
    ffmpeg.waitForFinished(-1);
    return ffmpeg.exitCode() == 0 ? path : QString();
}

void Play(benchmark::State& state, const QString& path)
{
    AVIFileObj reader;
    if (path.isEmpty() || reader.Load(path, nullptr) != 1) {
        state.SkipWithError("the file could not be written or loaded");
        return;
    }
    int position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.GetFrame(position));
        position = (position + 1) % reader.FrameCount();
    }
    state.SetItemsProcessed(state.iterations());
}

void Jump(benchmark::State& state, const QString& path)
{
    AVIFileObj reader;
    if (path.isEmpty() || reader.Load(path, nullptr) != 1) {
        state.SkipWithError("the file could not be written or loaded");
        return;
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int> positions(0, reader.FrameCount() - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.GetFrame(positions(random)));
    state.SetItemsProcessed(state.iterations());
}

const bool kRegistered = [] {
    static QTemporaryDir folder;
    for (const Codec& codec : Codecs()) {
        const QString path = WriteBenchFile(folder, codec);
        // Built with QString: GCC 12 at -O3 warns falsely on std::string's operator+ here.
        const auto name = [&codec](const char* kind) {
            return QString("AviReader/%1/%2/%3").arg(kind, codec.name, codec.size).toStdString();
        };
        benchmark::RegisterBenchmark(name("play").c_str(), [path](benchmark::State& state) { Play(state, path); });
        benchmark::RegisterBenchmark(name("jump").c_str(), [path](benchmark::State& state) { Jump(state, path); });
    }
    return true;
}();

}  // namespace
