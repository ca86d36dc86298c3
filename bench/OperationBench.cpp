// The core's operations one at a time, each named as its OpenCV peer in OpenCvBench.cpp.
// Operations whose cost does not depend on the pixels run again and again on the same frame;
// the others restore their input first, as their peers do. Scratch memory is allocated by a
// first call before the timing, as in the pipeline, where every frame reuses it.

#include "BenchFrames.h"
#include "imaging/EffectFilters.h"
#include "imaging/FormatConversion.h"
#include "imaging/HsvMask.h"
#include "imaging/InputModes.h"
#include "imaging/LensCorrection.h"
#include "imaging/Mirror.h"
#include "imaging/Morphology.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

using FrameBench = void (*)(benchmark::State&, BenchSize, FrameKind);

void Mask(benchmark::State& run, BenchSize size, FrameKind kind)
{
    EnsureHsvTable();
    FrameRecord source = MakeBgrFrame(size, kind);
    FrameRecord target = source;
    ApplyHsvMask(*source.view(), *target.view(), kBenchRange);
    for (auto _ : run) {
        std::memcpy(target.pixels(), source.pixels(), source.pixelCapacity());
        ApplyHsvMask(*source.view(), *target.view(), kBenchRange);
        benchmark::ClobberMemory();
    }
}

// The range mask of the frame grown twice and shrunk twice, as the pipeline does for a frame
// that arrives as is: in bits.
void MaskMorphology(benchmark::State& run, BenchSize size, FrameKind kind)
{
    EnsureHsvTable();
    FrameRecord frame = MakeBgrFrame(size, kind);
    MaskBuffers buffers;
    const MaskBits rangeMask = RangeMaskBits(*frame.view(), kBenchRange, buffers);
    MaskBits mask;
    MaskBits readCopy;
    std::vector<uint64_t> rowScratch;
    for (auto _ : run) {
        mask = rangeMask;
        WorkWindow window{0, 0, size.width, size.height};
        MorphMaskBits(mask, readCopy, kGrowMask, window, 2, rowScratch);
        MorphMaskBits(readCopy, mask, kShrinkMask, window, 2, rowScratch);
        benchmark::ClobberMemory();
    }
}

void Gray(benchmark::State& run, BenchSize size, FrameKind kind)
{
    FrameRecord frame = MakeBgrFrame(size, kind);
    for (auto _ : run) {
        ToGray(*frame.view());
        benchmark::ClobberMemory();
    }
}

void Delta(benchmark::State& run, BenchSize size, FrameKind kind)
{
    FrameRecord frame = MakeBgrFrame(size, kind);
    FrameRecord previousGrey = MakeBgrFrame(size, kind, 1);
    for (auto _ : run) {
        FrameDelta(*previousGrey.view(), *frame.view());
        benchmark::ClobberMemory();
    }
}

void Binary(benchmark::State& run, BenchSize size, FrameKind kind)
{
    FrameRecord frame = MakeBgrFrame(size, kind);
    FrameRecord previousGrey = MakeBgrFrame(size, kind, 1);
    const BinaryThreshold binary;
    for (auto _ : run) {
        FrameBinary(*previousGrey.view(), *frame.view(), binary);
        benchmark::ClobberMemory();
    }
}

template <int kernel>
void Filter(benchmark::State& run, BenchSize size, FrameKind kind)
{
    FrameRecord frame = MakeBgrFrame(size, kind);
    ToGray(*frame.view());
    std::vector<uint8_t> scratch;
    Convolve(*frame.view(), kernel, scratch);
    for (auto _ : run) {
        Convolve(*frame.view(), kernel, scratch);
        benchmark::ClobberMemory();
    }
}

void Mirror(benchmark::State& run, BenchSize size, FrameKind kind)
{
    FrameRecord frame = MakeBgrFrame(size, kind);
    for (auto _ : run) {
        MirrorFrame(*frame.view());
        benchmark::ClobberMemory();
    }
}

// The map is built by the first frame and reused by every later one of the same size.
void Lens(benchmark::State& run, BenchSize size, FrameKind kind)
{
    FrameRecord frame = MakeBgrFrame(size, kind);
    LensMap map;
    std::vector<uint8_t> scratch;
    CorrectLens(*frame.view(), 10, map, scratch);
    for (auto _ : run) {
        CorrectLens(*frame.view(), 10, map, scratch);
        benchmark::ClobberMemory();
    }
}

// The first frame of a size or parameter: the map built, then used once.
void LensFirstFrame(benchmark::State& run, BenchSize size, FrameKind kind)
{
    FrameRecord frame = MakeBgrFrame(size, kind);
    std::vector<uint8_t> scratch;
    CorrectLens(*frame.view(), 10, scratch);
    for (auto _ : run) {
        CorrectLens(*frame.view(), 10, scratch);
        benchmark::ClobberMemory();
    }
}

void Yuy2(benchmark::State& run, BenchSize size, FrameKind kind)
{
    const std::vector<uint8_t> source = MakeYuy2Pixels(size, kind);
    std::vector<uint8_t> destination(std::size_t(size.width) * std::size_t(size.height) * 3);
    for (auto _ : run) {
        Yuy2ToRgb24(size.width, size.height, source.data(), destination.data());
        benchmark::ClobberMemory();
    }
}

void Rgb555(benchmark::State& run, BenchSize size, FrameKind kind)
{
    const FrameRecord source = MakeRgb555Frame(size, kind);
    FrameRecord destination;
    Rgb555ToRgb24(source, destination);
    for (auto _ : run) {
        benchmark::DoNotOptimize(Rgb555ToRgb24(source, destination));
        benchmark::ClobberMemory();
    }
}

// The floor: one copy of the frame's pixel bytes.
void Memcpy(benchmark::State& run, BenchSize size, FrameKind kind)
{
    const std::vector<uint8_t> source = MakeBgrPixels(size, kind);
    std::vector<uint8_t> destination(source.size());
    for (auto _ : run) {
        std::memcpy(destination.data(), source.data(), source.size());
        benchmark::ClobberMemory();
    }
}

// All cores, allocation included, as at start-up. Wall-clock time.
void HsvTable(benchmark::State& run)
{
    ReuseFreedMemory();
    for (auto _ : run)
        benchmark::DoNotOptimize(BuildHsvTable());
}

struct NamedBench {
    const char* side;
    const char* name;
    FrameBench bench;
};

const bool kRegistered = [] {
    const NamedBench benches[] = {
        {"vizmar", "mask", Mask},
        {"vizmar", "mask_morphology", MaskMorphology},
        {"vizmar", "gray", Gray},
        {"vizmar", "delta", Delta},
        {"vizmar", "binary", Binary},
        {"vizmar", "gaussian", Filter<kGaussian>},
        {"vizmar", "laplacian", Filter<kLaplacian>},
        {"vizmar", "sobel", Filter<kSobel>},
        {"vizmar", "prewitt", Filter<kPrewitt>},
        {"vizmar", "mirror", Mirror},
        {"vizmar", "lens", Lens},
        {"vizmar", "lens_first_frame", LensFirstFrame},
        {"vizmar", "yuy2", Yuy2},
        {"vizmar", "rgb555", Rgb555},
        {"memcpy", "frame", Memcpy},
    };
    for (const NamedBench& named : benches)
        for (BenchSize size : kBenchSizes)
            for (FrameKind kind : kFrameKinds)
                benchmark::RegisterBenchmark(BenchName(named.side, named.name, size, kind).c_str(), named.bench, size,
                                             kind)
                    ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("vizmar/hsv_table/256x256x256/all_colours", HsvTable)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    return true;
}();

}  // namespace
