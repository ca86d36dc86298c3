#include "imaging/Pipeline.h"

#include "imaging/BitmapFile.h"
#include "imaging/EffectFilters.h"
#include "imaging/LensCorrection.h"
#include "imaging/MaskedOutput.h"
#include "imaging/Mirror.h"
#include "imaging/Morphology.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kFrameCounterLimit = 20000;
constexpr int kFrameCounterRestart = 20;
constexpr int kEveryNthFrame = 20;

// The pipeline works on 3-byte pixels and, safely, on 4-byte ones; other depths
// (for example 16-bit frames a source forgot to convert) are skipped.
bool IsProcessableDepth(int bytesPerPixel)
{
    return bytesPerPixel == 3 || bytesPerPixel == 4;
}

bool HasGeometry(const FrameRecord& buffer, const ImageView& frame)
{
    if (buffer.empty())
        return false;
    const BitmapInfoHeader h = buffer.header();
    return h.biWidth == frame.width && h.biHeight == frame.height && h.biBitCount / 8 == frame.bytesPerPixel
        && buffer.pixelCapacity() >= frame.byteCount();
}

// A buffer of the frame's geometry with the frame's header and zeroed pixels.
void AllocateLike(FrameRecord& buffer, const BitmapInfoHeader& header, const ImageView& frame)
{
    buffer.release();
    buffer.resize(kBitmapHeaderSize + frame.byteCount());
    buffer.setHeader(header);
}

void CopyRecord(const FrameRecord& from, FrameRecord& to, std::size_t pixelBytes)
{
    std::memcpy(to.data(), from.data(), kBitmapHeaderSize + pixelBytes);
}

ImageView ViewOf(FrameRecord& buffer, const ImageView& frame)
{
    return ImageView{frame.width, frame.height, frame.bytesPerPixel, buffer.pixels()};
}

// Buffers follow the frame: one of another size or depth reallocates them (the history
// restarts), so that no frame is ever processed into buffers that are too small.
void PrepareBuffers(PipelineState& state, const BitmapInfoHeader& header, const ImageView& frame)
{
    if (!HasGeometry(state.previousGrey, frame))
        AllocateLike(state.previousGrey, header, frame);
    if (!HasGeometry(state.unprocessedCopy, frame))
        AllocateLike(state.unprocessedCopy, header, frame);
    if (!HasGeometry(state.bufferSet[0], frame)) {
        for (FrameRecord& buffer : state.bufferSet)
            AllocateLike(buffer, header, frame);
        state.newestSlot = 0;
        state.oldestSlot = 1;
    }
}

bool CountFrame(PipelineState& state)
{
    ++state.fpsFrames;
    if (state.fpsFrames > kFrameCounterLimit)
        state.fpsFrames = kFrameCounterRestart;
    return state.fpsFrames % kEveryNthFrame == 0;
}

bool HasEffect(const PipelineOptions& options)
{
    return options.effect >= 1 && options.effect <= 4;
}

void ApplyEffect(const ImageView& frame, PipelineState& state, const PipelineOptions& options)
{
    if (HasEffect(options))
        Convolve(frame, options.effect - 1, state.scratch);
}

void AdvanceHistory(PipelineState& state)
{
    state.newestSlot = (state.newestSlot + 1) % kHistorySlots;
    state.oldestSlot = (state.oldestSlot + 1) % kHistorySlots;
}

void RunInputMode(const ImageView& frame, PipelineState& state, const PipelineOptions& options, bool every20th)
{
    const ImageView previousGrey = ViewOf(state.previousGrey, frame);
    switch (options.inputMode) {
    case kGrayScale:
        if (HasEffect(options))
            GrayConvolve(frame, options.effect - 1, state.scratch);
        else
            ToGray(frame);
        break;
    case kDelta:
        if (every20th)
            UpdateOtsuThreshold(frame.height, frame.width, frame.pixels, state.binary);
        FrameDelta(previousGrey, frame);
        ApplyEffect(frame, state, options);
        break;
    case kOtsuBin:
        if (every20th)
            UpdateOtsuThreshold(frame.height, frame.width, frame.pixels, state.binary);
        [[fallthrough]];
    case kBinary:
        FrameBinary(previousGrey, frame, state.binary);
        ApplyEffect(frame, state, options);
        break;
    case kHistory:
        FrameBinary(previousGrey, frame, state.binary);
        ApplyEffect(frame, state, options);
        AccumulateHistory(frame, ViewOf(state.bufferSet[state.newestSlot], frame),
                          ViewOf(state.bufferSet[state.oldestSlot], frame),
                          ViewOf(state.bufferSet[kHistoryAccumulator], frame));
        AdvanceHistory(state);
        break;
    default:
        break;
    }
}

// Returns the number of pixels that pass the mask while it is on.
std::optional<int> RunMaskAndMorphology(const ImageView& frame, PipelineState& state, const PipelineOptions& options)
{
    WorkWindow window{0, 0, frame.width, frame.height};
    const ImageView source = ViewOf(state.unprocessedCopy, frame);
    if (options.mask && options.morphology)
        return MaskWithMorphology(source, frame, options.erosionCount, options.dilationCount, window,
                                  state.hsvRange, state.maskBuffers);
    if (options.mask)
        return ApplyHsvMask(source, frame, state.hsvRange);
    if (options.morphology && (options.inputMode == kBinary || options.inputMode == kOtsuBin)) {
        MorphFrame(frame, kErodeFrame, window, options.erosionCount, state.scratch);
        MorphFrame(frame, kDilateFrame, window, options.dilationCount, state.scratch);
    }
    return std::nullopt;
}

// As is with the mask on and no lens, the frame is still as it arrived when its mask is made,
// so the copies and the last stages can share one pass over it.
bool IsMaskedAsIs(const PipelineOptions& options)
{
    return options.inputMode == kAsIs && options.mask && !options.lens;
}

int RunMaskedAsIs(FrameRecord& frame, const ImageView& view, PipelineState& state, const PipelineOptions& options)
{
    WorkWindow window{0, 0, view.width, view.height};
    MaskBuffers& buffers = state.maskBuffers;
    const MaskBits& flags = options.morphology ? MorphedRangeMaskBits(view, options.erosionCount,
                                                                      options.dilationCount, window, state.hsvRange,
                                                                      buffers)
                                               : RangeMaskBits(view, state.hsvRange, buffers);
    FrameRecord& lastOutput = state.bufferSet[kLastOutputBuffer];
    std::memcpy(state.unprocessedCopy.data(), frame.data(), kBitmapHeaderSize);
    std::memcpy(lastOutput.data(), frame.data(), kBitmapHeaderSize);
    return FinishMaskedFrame(view, flags, state.unprocessedCopy.pixels(), lastOutput.pixels(),
                             options.sourceMode == kCameraSource);
}

// Every stage in turn. Returns the number of pixels that pass the mask while it is on.
std::optional<int> RunStages(FrameRecord& frame, const ImageView& view, PipelineState& state,
                             const PipelineOptions& options, bool every20th)
{
    CopyRecord(frame, state.unprocessedCopy, view.byteCount());
    RunInputMode(view, state, options, every20th);
    const std::optional<int> passing = RunMaskAndMorphology(view, state, options);
    if (options.lens)
        CorrectLens(view, options.lensParameter, state.lensMap, state.scratch);
    if (options.sourceMode == kCameraSource)
        MirrorFrame(view);
    CopyRecord(frame, state.bufferSet[kLastOutputBuffer], view.byteCount());
    return passing;
}

std::optional<std::string> ServeSnapshot(const FrameRecord& frame, PipelineState& state, const FrameContext& context)
{
    if (!state.snapshotRequest)
        return std::nullopt;
    state.snapshotRequest = false;
    return SaveSnapshot(frame, context.snapshotFolder, context.clockMs);
}

void AverageFrameRate(PipelineState& state, int rate, bool every20th, FrameReport& report)
{
    state.fpsSum += rate;
    if (every20th) {
        state.fpsAverage = state.fpsSum / kEveryNthFrame;
        state.fpsSum = 0;
    }
    report.showFps = true;
    report.fpsAverage = state.fpsAverage;
}

}  // namespace

void ResetPipelineState(PipelineState& state)
{
    state.binary.Set(20);
    if (!state.bufferSet[0].empty()) {
        for (FrameRecord& buffer : state.bufferSet)
            buffer.release();
        state.newestSlot = 0;
        state.oldestSlot = 1;
    }
}

void ReleaseFrameBuffers(PipelineState& state)
{
    state.unprocessedCopy.release();
    state.previousGrey.release();
}

void ResetFrameRate(PipelineState& state)
{
    state.fpsFrames = 0;
    state.fpsSum = 0;
    state.fpsAverage = 0;
}

FrameReport ProcessFrame(FrameRecord& frame, PipelineState& state, const PipelineOptions& options,
                         const FrameContext& context)
{
    FrameReport report;
    const std::optional<ImageView> view = frame.view();
    // A frame without pixels needs no pixel bytes, so its header may claim any height; no
    // stage may loop over rows that are not there.
    if (!view || !IsProcessableDepth(view->bytesPerPixel) || view->pixelCount() == 0)
        return report;

    const BitmapInfoHeader header = frame.header();
    PrepareBuffers(state, header, *view);
    const bool every20th = CountFrame(state);
    const std::optional<int> passing = IsMaskedAsIs(options) ? RunMaskedAsIs(frame, *view, state, options)
                                                             : RunStages(frame, *view, state, options, every20th);
    report.snapshotPath = ServeSnapshot(frame, state, context);

    report.processed = true;
    if (passing)
        report.passingPercent = 100.0 * *passing / double(view->pixelCount());
    if (every20th) {
        report.showThreshold = true;
        report.threshold = state.binary.threshold;
    }
    if (options.sourceMode == kCameraSource)
        AverageFrameRate(state, context.rate, every20th, report);
    return report;
}
