#include "imaging/HsvTable.h"
#include "imaging/Pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

// Every frame after the first reuses the pipeline's buffers: counting the allocations of this
// program shows that none is made once a stream of frames is under way.

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace {

FrameRecord RandomFrame(unsigned seed)
{
    FrameRecord frame(MakeBitmapHeader(96, 40, 24));
    std::mt19937 random(seed);
    const ImageView view = *frame.view();
    for (std::size_t i = 0; i < view.byteCount(); ++i)
        view.pixels[i] = static_cast<uint8_t>(random());
    return frame;
}

TEST(PipelineAllocation, FramesAfterTheFirstAllocateNothing)
{
    ASSERT_TRUE(BuildHsvTable());
    const FrameRecord sources[2] = {RandomFrame(1), RandomFrame(2)};
    for (int inputMode = kAsIs; inputMode <= kHistory; ++inputMode)
        for (int effect = 0; effect <= 4; ++effect)
            for (int combination = 0; combination < 8; ++combination) {
                PipelineOptions options;
                options.inputMode = inputMode;
                options.effect = effect;
                options.mask = (combination & 1) != 0;
                options.morphology = (combination & 2) != 0;
                options.lens = (combination & 4) != 0;
                options.sourceMode = combination % 3 == 0 ? kCameraSource : kAviFileSource;
                PipelineState state;
                state.hsvRange = {60, 200, 20, 255, 20, 255};
                FrameRecord frame = sources[0];
                const long first = g_allocations;
                ProcessFrame(frame, state, options, FrameContext{});
                ASSERT_GT(g_allocations - first, 0) << "the first frame allocates the buffers";

                const long before = g_allocations;
                // Past the 20th frame, so that the threshold and rate tasks run too.
                for (int i = 1; i <= 25; ++i) {
                    std::copy_n(sources[i % 2].data(), frame.size(), frame.data());
                    ProcessFrame(frame, state, options, FrameContext{});
                }
                EXPECT_EQ(g_allocations - before, 0)
                    << "input mode " << inputMode << ", effect " << effect << ", options " << combination;
            }
    FreeHsvTable();
}

}  // namespace
