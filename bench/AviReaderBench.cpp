// The AVI reader on 640 × 480 files that the ffmpeg tool writes at start: playing (each
// frame after the one before, which decodes on without seeking) against jumping to random
// positions (a seek to the key frame before, then decoding forward), per codec.

#include "sources/avi/AVIFileObj.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 60;

struct Codec {
    const char* name;
    QStringList arguments;
};

const std::vector<Codec>& Codecs()
{
    static const std::vector<Codec> codecs{
        {"raw24", {"-c:v", "rawvideo", "-pix_fmt", "bgr24"}},
        {"mjpeg", {"-c:v", "mjpeg", "-q:v", "3"}},
        {"mpeg4", {"-c:v", "mpeg4", "-q:v", "3", "-bf", "2", "-g", "30"}},
        {"h264", {"-c:v", "libx264", "-crf", "20", "-bf", "3", "-g", "30", "-pix_fmt", "yuv420p"}},
    };
    return codecs;
}

QString WriteBenchFile(const QTemporaryDir& folder, const Codec& codec)
{
    const QString path = folder.filePath(QString(codec.name) + ".avi");
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                                       "testsrc2=size=640x480:rate=25", "-frames:v", QString::number(kFrames)}
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
        const std::string size = "/640x480";
        benchmark::RegisterBenchmark(("AviReader/play/" + std::string(codec.name) + size).c_str(),
                                     [path](benchmark::State& state) { Play(state, path); });
        benchmark::RegisterBenchmark(("AviReader/jump/" + std::string(codec.name) + size).c_str(),
                                     [path](benchmark::State& state) { Jump(state, path); });
    }
    return true;
}();

}  // namespace
