#pragma once

#include "imaging/FrameRecord.h"
#include "imaging/HsvMask.h"
#include "imaging/HsvTable.h"
#include "imaging/InputModes.h"
#include "imaging/LensCorrection.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

enum InputMode { kAsIs = 0, kGrayScale = 1, kDelta = 2, kBinary = 3, kOtsuBin = 4, kHistory = 5 };
enum SourceMode { kCameraSource = 0, kAviFileSource = 1 };

// The options the dialog's controls set; read afresh for every frame.
struct PipelineOptions {
    int inputMode = kAsIs;
    int effect = 0;  // 0 none, else kernel effect − 1
    bool mask = false;
    bool morphology = false;
    int erosionCount = 2;
    int dilationCount = 2;
    bool lens = false;
    int32_t lensParameter = 10;
    int sourceMode = kCameraSource;
};

// What comes with one frame besides its pixels.
struct FrameContext {
    int rate = 0;                // frames per second of a camera frame, 0 for file frames
    long long clockMs = 0;       // milliseconds since the program started, names a snapshot
    std::string snapshotFolder;  // where a requested snapshot goes
};

// What the dialog must draw and show after a frame.
struct FrameReport {
    bool processed = false;  // false: the frame was skipped and nothing is to be drawn
    bool showThreshold = false;
    int threshold = 0;
    bool showFps = false;
    int fpsAverage = 0;
    std::optional<std::string> snapshotPath;  // the snapshot file written for this frame
    // While the mask is on: the percentage of the frame's pixels that pass it.
    std::optional<double> passingPercent;
};

constexpr int kHistorySlots = 13;
constexpr int kLastOutputBuffer = 13;
constexpr int kHistoryAccumulator = 14;

// The pipeline's state, owned by the dialog for its whole life.
struct PipelineState {
    HsvRange hsvRange;
    BinaryThreshold binary;
    bool snapshotRequest = false;
    int fpsFrames = 0;
    int fpsSum = 0;
    int fpsAverage = 0;

    FrameRecord unprocessedCopy;
    FrameRecord previousGrey;
    std::array<FrameRecord, 15> bufferSet;  // 0-12 history slots, 13 last output, 14 accumulator
    int newestSlot = 0;
    int oldestSlot = 1;

    // Scratch memory reused by every frame.
    MaskBuffers maskBuffers;
    LensMap lensMap;
    std::vector<uint8_t> scratch;
};

// Threshold 20 and no history, as after the dialog's input-state reset.
void ResetPipelineState(PipelineState& state);
// Frees the unprocessed copy and the previous-grey buffer, as a camera replacement does.
void ReleaseFrameBuffers(PipelineState& state);
// Sets the frame counter and rate average back to 0, as adding a camera does.
void ResetFrameRate(PipelineState& state);

// Runs one frame in place through input mode, effect, mask or morphology, lens and mirror,
// keeps the last output and serves a pending snapshot.
FrameReport ProcessFrame(FrameRecord& frame, PipelineState& state, const PipelineOptions& options,
                         const FrameContext& context);
