// Two to four frames, each a header that may lie about its size, some pixel bytes and every
// option the dialog sets, through one pipeline state; the HSV table is built once.

#include "imaging/Pipeline.h"
#include "support/FuzzCheck.h"
#include "support/FuzzFolder.h"
#include "support/FuzzInput.h"

#include <filesystem>

namespace {
PipelineOptions TakeOptions(FuzzInput& input)
{
    PipelineOptions options;
    options.inputMode = input.TakeInRange(kAsIs, kHistory);
    options.effect = input.TakeInRange(0, 4);
    options.mask = input.TakeBool();
    options.morphology = input.TakeBool();
    options.erosionCount = input.TakeInRange(0, 9);
    options.dilationCount = input.TakeInRange(0, 9);
    options.lens = input.TakeBool();
    options.lensParameter = input.Take<int32_t>();
    options.sourceMode = input.TakeInRange(kCameraSource, kAviFileSource);
    return options;
}

HsvRange TakeRange(FuzzInput& input)
{
    HsvRange range;
    range.hueLow = input.TakeInRange(0, 360);
    range.hueHigh = range.hueLow + input.TakeInRange(0, 360);
    range.saturationLow = input.TakeInRange(0, 255);
    range.saturationHigh = input.TakeInRange(range.saturationLow, 255);
    range.valueLow = input.TakeInRange(0, 255);
    range.valueHigh = input.TakeInRange(range.valueLow, 255);
    return range;
}

// A record of the header's 40 bytes and as many pixel bytes as the input gives, whatever
// the header says.
FrameRecord TakeFrame(FuzzInput& input)
{
    std::vector<uint8_t> record(kBitmapHeaderSize);
    const std::span<const uint8_t> header = input.TakeBytes(kBitmapHeaderSize);
    std::copy(header.begin(), header.end(), record.begin());
    const std::span<const uint8_t> pixels = input.TakeBytes(input.Take<uint16_t>());
    record.insert(record.end(), pixels.begin(), pixels.end());
    return FrameRecord(record.data(), record.size());
}

// The table, and the pass bits of the default range, once per process: seconds of work in an
// instrumented build that libFuzzer must not count against the first input.
void PrepareTable()
{
    static const bool prepared = BuildHsvTable() && HsvPassBits(HsvRange{}) != nullptr;
    FuzzCheck(prepared, "the HSV table is built");
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareTable();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    PrepareTable();
    FuzzInput input(data, size);
    PipelineState state;
    // A new range costs a pass over all 16.7 million colours, and so does going back to the
    // default after it, so few inputs bring one.
    if (input.Take<uint8_t>() % 64 == 1)
        state.hsvRange = TakeRange(input);
    state.binary.Set(input.TakeInRange(0, 255));
    const int frameCount = input.TakeInRange(2, 4);
    for (int i = 0; i < frameCount; ++i) {
        const PipelineOptions options = TakeOptions(input);
        if (input.TakeBool())
            ResetPipelineState(state);
        state.snapshotRequest = input.TakeBool();
        const FrameContext context{input.TakeInRange(0, 60), 1000, FuzzFolder().toStdString()};
        FrameRecord frame = TakeFrame(input);
        const FrameReport report = ProcessFrame(frame, state, options, context);
        if (report.snapshotPath)
            FuzzCheck(std::filesystem::exists(*report.snapshotPath), "a reported snapshot exists");
        if (report.passingPercent)
            FuzzCheck(*report.passingPercent >= 0.0 && *report.passingPercent <= 100.0,
                      "the pass share is a share");
    }
    return 0;
}
