// OpenCV's nearest equivalents of the core's operations, the peer in the printed table. Each
// runs on one thread, as the pipeline does, except the whole-colour-cube conversion that
// stands beside the table build on all cores. Outputs are allocated before the loop.

#include "BenchFrames.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>

namespace {

using FrameBench = void (*)(benchmark::State&, BenchSize, FrameKind);

cv::Mat BgrMat(BenchSize size, FrameKind kind, int phase = 0)
{
    std::vector<uint8_t> pixels = MakeBgrPixels(size, kind, phase);
    return cv::Mat(size.height, size.width, CV_8UC3, pixels.data()).clone();
}

cv::Mat GreyMat(BenchSize size, FrameKind kind, int phase = 0)
{
    cv::Mat grey;
    cv::cvtColor(BgrMat(size, kind, phase), grey, cv::COLOR_BGR2GRAY);
    return grey;
}

// OpenCV's full-range hue runs 0-255 over the circle.
int FullRangeHue(int degrees)
{
    return degrees * 256 / 360;
}

const cv::Scalar kLowerHsv(FullRangeHue(kBenchRange.hueLow), kBenchRange.saturationLow, kBenchRange.valueLow);
const cv::Scalar kUpperHsv(FullRangeHue(kBenchRange.hueHigh), kBenchRange.saturationHigh, kBenchRange.valueHigh);

const cv::Mat kCross = cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(3, 3));

void SingleThread()
{
    cv::setNumThreads(1);
}

// cvtColor + inRange + setTo(0) of the pixels outside the range.
void Mask(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    const cv::Mat source = BgrMat(size, kind);
    cv::Mat target = source.clone();
    cv::Mat hsv(source.size(), CV_8UC3);
    cv::Mat passing(source.size(), CV_8UC1);
    cv::Mat failing(source.size(), CV_8UC1);
    for (auto _ : run) {
        source.copyTo(target);
        cv::cvtColor(source, hsv, cv::COLOR_BGR2HSV_FULL);
        cv::inRange(hsv, kLowerHsv, kUpperHsv, passing);
        cv::bitwise_not(passing, failing);
        target.setTo(cv::Scalar::all(0), failing);
        benchmark::ClobberMemory();
    }
}

void MaskMorphology(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    cv::Mat hsv;
    cv::Mat passing;
    cv::cvtColor(BgrMat(size, kind), hsv, cv::COLOR_BGR2HSV_FULL);
    cv::inRange(hsv, kLowerHsv, kUpperHsv, passing);
    cv::Mat grown(passing.size(), CV_8UC1);
    cv::Mat kept(passing.size(), CV_8UC1);
    for (auto _ : run) {
        cv::dilate(passing, grown, kCross, cv::Point(-1, -1), 2);
        cv::erode(grown, kept, kCross, cv::Point(-1, -1), 2);
        benchmark::ClobberMemory();
    }
}

// The colour chain: mask, grown twice and shrunk twice, applied, then the camera mirror.
void Chain(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    const cv::Mat sources[2] = {BgrMat(size, kind, 0), BgrMat(size, kind, 1)};
    cv::Mat target = sources[0].clone();
    cv::Mat hsv(target.size(), CV_8UC3);
    cv::Mat passing(target.size(), CV_8UC1);
    cv::Mat grown(target.size(), CV_8UC1);
    cv::Mat kept(target.size(), CV_8UC1);
    int phase = 0;
    for (auto _ : run) {
        const cv::Mat& source = sources[phase];
        phase ^= 1;
        source.copyTo(target);
        cv::cvtColor(source, hsv, cv::COLOR_BGR2HSV_FULL);
        cv::inRange(hsv, kLowerHsv, kUpperHsv, passing);
        cv::dilate(passing, grown, kCross, cv::Point(-1, -1), 2);
        cv::erode(grown, kept, kCross, cv::Point(-1, -1), 2);
        cv::bitwise_not(kept, kept);
        target.setTo(cv::Scalar::all(0), kept);
        cv::flip(target, target, 1);
        benchmark::ClobberMemory();
    }
}

void Gray(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    const cv::Mat source = BgrMat(size, kind);
    cv::Mat grey(source.size(), CV_8UC1);
    for (auto _ : run) {
        cv::cvtColor(source, grey, cv::COLOR_BGR2GRAY);
        benchmark::ClobberMemory();
    }
}

// Grey of the new frame, its difference to the previous grey, which it then replaces.
void Delta(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    const cv::Mat source = BgrMat(size, kind);
    cv::Mat grey(source.size(), CV_8UC1);
    cv::Mat previous = GreyMat(size, kind, 1);
    cv::Mat difference(source.size(), CV_8UC1);
    for (auto _ : run) {
        cv::cvtColor(source, grey, cv::COLOR_BGR2GRAY);
        cv::absdiff(grey, previous, difference);
        std::swap(grey, previous);
        benchmark::ClobberMemory();
    }
}

void Binary(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    const cv::Mat source = BgrMat(size, kind);
    cv::Mat grey(source.size(), CV_8UC1);
    cv::Mat previous = GreyMat(size, kind, 1);
    cv::Mat difference(source.size(), CV_8UC1);
    cv::Mat binary(source.size(), CV_8UC1);
    for (auto _ : run) {
        cv::cvtColor(source, grey, cv::COLOR_BGR2GRAY);
        cv::absdiff(grey, previous, difference);
        cv::threshold(difference, binary, 20, 255, cv::THRESH_BINARY);
        std::swap(grey, previous);
        benchmark::ClobberMemory();
    }
}

enum class Peer { kBlur, kLaplacian, kSobel, kPrewitt };

template <Peer peer>
void Filter(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    const cv::Mat grey = GreyMat(size, kind);
    cv::Mat filtered(grey.size(), CV_8UC1);
    const cv::Mat laplacian = (cv::Mat_<float>(3, 3) << 0, -1, 0, -1, 4, -1, 0, -1, 0);
    const cv::Mat prewitt = (cv::Mat_<float>(3, 3) << -1, -1, -1, 0, 0, 0, 1, 1, 1);
    for (auto _ : run) {
        if constexpr (peer == Peer::kBlur)
            cv::blur(grey, filtered, cv::Size(3, 3));
        else if constexpr (peer == Peer::kLaplacian)
            cv::filter2D(grey, filtered, CV_8U, laplacian);
        else if constexpr (peer == Peer::kSobel)
            cv::Sobel(grey, filtered, CV_8U, 1, 0, 3);
        else
            cv::filter2D(grey, filtered, CV_8U, prewitt);
        benchmark::ClobberMemory();
    }
}

void Mirror(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    cv::Mat frame = BgrMat(size, kind);
    for (auto _ : run) {
        cv::flip(frame, frame, 1);
        benchmark::ClobberMemory();
    }
}

// A radial map of the same kind as the lens correction, looked up nearest.
void Lens(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    const cv::Mat source = BgrMat(size, kind);
    cv::Mat mapX(source.size(), CV_32FC1);
    cv::Mat mapY(source.size(), CV_32FC1);
    const float cx = float(size.width / 2);
    const float cy = float(size.height / 2);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            const float spread = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + 100.0f);
            mapX.at<float>(y, x) = cx + (x - cx) * (cx + spread) / 320.0f;
            mapY.at<float>(y, x) = cy + (y - cy) * (cy + spread) / 320.0f;
        }
    cv::Mat fixedMap;
    cv::Mat unusedMap;
    cv::convertMaps(mapX, mapY, fixedMap, unusedMap, CV_16SC2, true);
    cv::Mat corrected(source.size(), CV_8UC3);
    for (auto _ : run) {
        cv::remap(source, corrected, fixedMap, cv::noArray(), cv::INTER_NEAREST, cv::BORDER_CONSTANT,
                  cv::Scalar::all(255));
        benchmark::ClobberMemory();
    }
}

void Yuy2(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    std::vector<uint8_t> pixels = MakeYuy2Pixels(size, kind);
    const cv::Mat source(size.height, size.width, CV_8UC2, pixels.data());
    cv::Mat bgr(source.size(), CV_8UC3);
    for (auto _ : run) {
        cv::cvtColor(source, bgr, cv::COLOR_YUV2BGR_YUY2);
        benchmark::ClobberMemory();
    }
}

void Rgb555(benchmark::State& run, BenchSize size, FrameKind kind)
{
    SingleThread();
    FrameRecord record = MakeRgb555Frame(size, kind);
    const cv::Mat source(size.height, size.width, CV_8UC2, record.pixels());
    cv::Mat bgr(source.size(), CV_8UC3);
    for (auto _ : run) {
        cv::cvtColor(source, bgr, cv::COLOR_BGR5552BGR);
        benchmark::ClobberMemory();
    }
}

// Every one of the 16,777,216 colours converted on all cores, the output allocated each
// time as the table is.
void HsvTable(benchmark::State& run)
{
    ReuseFreedMemory();
    cv::setNumThreads(-1);
    cv::Mat colours(4096, 4096, CV_8UC3);
    for (int i = 0; i < 4096 * 4096; ++i) {
        cv::Vec3b& colour = colours.at<cv::Vec3b>(i / 4096, i % 4096);
        colour = cv::Vec3b(uint8_t(i), uint8_t(i >> 8), uint8_t(i >> 16));
    }
    for (auto _ : run) {
        cv::Mat hsv;
        cv::cvtColor(colours, hsv, cv::COLOR_BGR2HSV_FULL);
        benchmark::DoNotOptimize(hsv.data);
    }
}

struct NamedBench {
    const char* name;
    FrameBench bench;
};

const bool kRegistered = [] {
    const NamedBench benches[] = {
        {"mask", Mask},
        {"mask_morphology", MaskMorphology},
        {"chain", Chain},
        {"gray", Gray},
        {"delta", Delta},
        {"binary", Binary},
        {"gaussian", Filter<Peer::kBlur>},
        {"laplacian", Filter<Peer::kLaplacian>},
        {"sobel", Filter<Peer::kSobel>},
        {"prewitt", Filter<Peer::kPrewitt>},
        {"mirror", Mirror},
        {"lens", Lens},
        {"yuy2", Yuy2},
        {"rgb555", Rgb555},
    };
    for (const NamedBench& named : benches)
        for (BenchSize size : kBenchSizes)
            for (FrameKind kind : kFrameKinds)
                benchmark::RegisterBenchmark(BenchName("opencv", named.name, size, kind).c_str(), named.bench, size,
                                             kind)
                    ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("opencv/hsv_table/256x256x256/all_colours", HsvTable)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    return true;
}();

}  // namespace
