#pragma once

#include "imaging/FrameRecord.h"
#include "imaging/HsvTable.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The frames every benchmark runs on, made deterministically so that runs compare.

struct BenchSize {
    int width;
    int height;
};

enum class FrameKind { kCameraLike, kRandom };

constexpr std::array<BenchSize, 2> kBenchSizes{{{320, 240}, {1280, 720}}};
constexpr std::array<FrameKind, 2> kFrameKinds{FrameKind::kCameraLike, FrameKind::kRandom};

// The "Green" preset, a range that needs no wrap through red, so that OpenCV's peer is one
// inRange call.
constexpr HsvRange kBenchRange{105, 181, 40, 255, 54, 255};

// "<side>/<operation>/<width>x<height>/<kind>", the name scripts/bench_table.py reads.
std::string BenchName(const std::string& side, const std::string& operation, BenchSize size, FrameKind kind);

// Smooth colour regions with hard edges and a little noise; phase moves the shapes and
// changes the noise, so that two phases make two successive camera frames.
// Random frames are uniform random bytes, a different stream for each phase.
std::vector<uint8_t> MakeBgrPixels(BenchSize size, FrameKind kind, int phase = 0);
FrameRecord MakeBgrFrame(BenchSize size, FrameKind kind, int phase = 0);

// Packed 4:2:2 YUV, top line first: the camera-like picture converted, or random bytes.
std::vector<uint8_t> MakeYuy2Pixels(BenchSize size, FrameKind kind);
// A 16-bit 5-5-5 record: the camera-like picture reduced, or random bytes.
FrameRecord MakeRgb555Frame(BenchSize size, FrameKind kind);

// Builds the process-wide HSV table once for the benchmarks that test colours.
void EnsureHsvTable();

// Keeps freed memory, however large, for the next allocation. Fresh pages cost a fault each
// on first touch, which outweighs converting a whole colour cube on some machines; with this
// both the table build and its peer measure the work, not the kernel's page faults.
void ReuseFreedMemory();
