// ProcessFrame per input mode and option set. Each iteration restores the frame from one of
// two successive source frames, as a source delivers them, so that the differences, the
// binary images and the morphology see motion.

#include "BenchFrames.h"
#include "imaging/FormatConversion.h"
#include "imaging/Pipeline.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

struct OptionSet {
    const char* name;
    PipelineOptions options;
};

PipelineOptions FileOptions(int inputMode = kAsIs, int effect = 0)
{
    PipelineOptions options;
    options.sourceMode = kAviFileSource;
    options.inputMode = inputMode;
    options.effect = effect;
    return options;
}

PipelineOptions Masked(PipelineOptions options, bool morphology)
{
    options.mask = true;
    options.morphology = morphology;
    return options;
}

PipelineOptions WithMorphology(PipelineOptions options)
{
    options.morphology = true;
    return options;
}

PipelineOptions WithLens(PipelineOptions options)
{
    options.lens = true;
    return options;
}

PipelineOptions FromCamera(PipelineOptions options)
{
    options.sourceMode = kCameraSource;
    return options;
}

// Morphology counts are the defaults, erosion 2 and dilation 2.
const std::vector<OptionSet>& OptionSets()
{
    static const std::vector<OptionSet> sets{
        {"frame_as_is", FileOptions()},
        {"frame_mirror", FromCamera(FileOptions())},
        {"frame_mask", Masked(FileOptions(), false)},
        {"chain", FromCamera(Masked(FileOptions(), true))},
        {"frame_gray", FileOptions(kGrayScale)},
        {"frame_delta", FileOptions(kDelta)},
        {"frame_binary_morphology", WithMorphology(FileOptions(kBinary))},
        {"frame_otsu", FileOptions(kOtsuBin)},
        {"frame_history", FileOptions(kHistory)},
        {"frame_gaussian", FileOptions(kGrayScale, 1)},
        {"frame_laplacian", FileOptions(kGrayScale, 2)},
        {"frame_sobel", FileOptions(kGrayScale, 3)},
        {"frame_prewitt", FileOptions(kGrayScale, 4)},
        {"frame_lens", WithLens(FileOptions())},
    };
    return sets;
}

void RunProcessFrame(benchmark::State& run, const PipelineOptions& options, BenchSize size, FrameKind kind)
{
    EnsureHsvTable();
    const std::vector<uint8_t> sources[2] = {MakeBgrPixels(size, kind, 0), MakeBgrPixels(size, kind, 1)};
    FrameRecord frame = MakeBgrFrame(size, kind);
    PipelineState state;
    state.hsvRange = kBenchRange;
    const FrameContext context;
    // The first frame allocates the pipeline's buffers; every later one reuses them.
    ProcessFrame(frame, state, options, context);
    int phase = 0;
    for (auto _ : run) {
        std::memcpy(frame.pixels(), sources[phase].data(), sources[phase].size());
        phase ^= 1;
        benchmark::DoNotOptimize(ProcessFrame(frame, state, options, context));
        benchmark::ClobberMemory();
    }
}

// A whole frame of a YUY2 camera as the program runs it: converted into the frame record, then
// masked, eroded and mirrored.
void RunCameraFrame(benchmark::State& run, BenchSize size, FrameKind kind)
{
    EnsureHsvTable();
    const std::vector<uint8_t> yuy2 = MakeYuy2Pixels(size, kind);
    FrameRecord frame = MakeBgrFrame(size, kind);
    PipelineState state;
    state.hsvRange = kBenchRange;
    const PipelineOptions options = FromCamera(Masked(FileOptions(), true));
    const FrameContext context;
    ProcessFrame(frame, state, options, context);
    for (auto _ : run) {
        Yuy2ToRgb24(size.width, size.height, yuy2.data(), frame.pixels());
        benchmark::DoNotOptimize(ProcessFrame(frame, state, options, context));
        benchmark::ClobberMemory();
    }
}

const bool kRegistered = [] {
    for (const OptionSet& set : OptionSets())
        for (BenchSize size : kBenchSizes)
            for (FrameKind kind : kFrameKinds)
                benchmark::RegisterBenchmark(BenchName("vizmar", set.name, size, kind).c_str(), RunProcessFrame,
                                             set.options, size, kind)
                    ->Unit(benchmark::kMicrosecond);
    for (FrameKind kind : kFrameKinds)
        benchmark::RegisterBenchmark(BenchName("vizmar", "camera_frame", kBenchSizes[0], kind).c_str(),
                                     RunCameraFrame, kBenchSizes[0], kind)
            ->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace
