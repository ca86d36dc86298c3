#include "BenchFrames.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

struct Bgr {
    double b, g, r;
};

struct Disc {
    double cx, cy, radius;  // in shares of the frame's height
    Bgr colour;
};

// A red, a green, a blue and a yellow object over a shaded background.
constexpr std::array<Disc, 4> kDiscs{{
    {0.30, 0.35, 0.22, {40, 50, 200}},
    {0.75, 0.40, 0.25, {60, 180, 70}},
    {0.55, 0.75, 0.18, {190, 90, 40}},
    {1.05, 0.80, 0.15, {40, 200, 210}},
}};

uint8_t ToByte(double level)
{
    return static_cast<uint8_t>(std::clamp(level, 0.0, 255.0));
}

// Background gradient, then the discs shaded towards their rims, the last drawn on top.
Bgr CameraColour(BenchSize size, int x, int y, int phase)
{
    const double u = double(x) / size.height;
    const double v = double(y) / size.height;
    Bgr colour{90 + 60 * v, 110 + 40 * u, 120 + 30 * (u + v)};
    for (const Disc& disc : kDiscs) {
        const double dx = u - disc.cx - 0.01 * phase;
        const double dy = v - disc.cy;
        const double distance = std::sqrt(dx * dx + dy * dy) / disc.radius;
        if (distance < 1) {
            const double shade = 1.0 - 0.35 * distance * distance;
            colour = {disc.colour.b * shade, disc.colour.g * shade, disc.colour.r * shade};
        }
    }
    return colour;
}

std::vector<uint8_t> RandomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(random() >> 24);
    return bytes;
}

std::size_t PixelCount(BenchSize size)
{
    return std::size_t(size.width) * std::size_t(size.height);
}

}  // namespace

std::string BenchName(const std::string& side, const std::string& operation, BenchSize size, FrameKind kind)
{
    const char* kindName = kind == FrameKind::kCameraLike ? "camera" : "random";
    return side + "/" + operation + "/" + std::to_string(size.width) + "x" + std::to_string(size.height) + "/" +
           kindName;
}

std::vector<uint8_t> MakeBgrPixels(BenchSize size, FrameKind kind, int phase)
{
    if (kind == FrameKind::kRandom)
        return RandomBytes(PixelCount(size) * 3, 1000u + unsigned(phase));
    std::vector<uint8_t> pixels(PixelCount(size) * 3);
    std::mt19937 noise(7u + unsigned(phase));
    uint8_t* out = pixels.data();
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x, out += 3) {
            const Bgr colour = CameraColour(size, x, y, phase);
            out[0] = ToByte(colour.b + double(noise() % 7) - 3);
            out[1] = ToByte(colour.g + double(noise() % 7) - 3);
            out[2] = ToByte(colour.r + double(noise() % 7) - 3);
        }
    return pixels;
}

FrameRecord MakeBgrFrame(BenchSize size, FrameKind kind, int phase)
{
    FrameRecord frame(MakeBitmapHeader(size.width, size.height, 24));
    const std::vector<uint8_t> pixels = MakeBgrPixels(size, kind, phase);
    std::memcpy(frame.pixels(), pixels.data(), pixels.size());
    return frame;
}

std::vector<uint8_t> MakeYuy2Pixels(BenchSize size, FrameKind kind)
{
    if (kind == FrameKind::kRandom)
        return RandomBytes(PixelCount(size) * 2, 2000u);
    const std::vector<uint8_t> bgr = MakeBgrPixels(size, kind);
    std::vector<uint8_t> yuy2(PixelCount(size) * 2);
    for (std::size_t i = 0; i < PixelCount(size); ++i) {
        const double b = bgr[3 * i];
        const double g = bgr[3 * i + 1];
        const double r = bgr[3 * i + 2];
        const double luma = 0.299 * r + 0.587 * g + 0.114 * b;
        yuy2[2 * i] = ToByte(luma);
        // Even pixels carry U, odd pixels V, each taken from that pixel.
        yuy2[2 * i + 1] = i % 2 == 0 ? ToByte(128 + 0.564 * (b - luma)) : ToByte(128 + 0.713 * (r - luma));
    }
    return yuy2;
}

FrameRecord MakeRgb555Frame(BenchSize size, FrameKind kind)
{
    FrameRecord frame(MakeBitmapHeader(size.width, size.height, 16));
    if (kind == FrameKind::kRandom) {
        const std::vector<uint8_t> bytes = RandomBytes(PixelCount(size) * 2, 3000u);
        std::memcpy(frame.pixels(), bytes.data(), bytes.size());
        return frame;
    }
    const std::vector<uint8_t> bgr = MakeBgrPixels(size, kind);
    for (std::size_t i = 0; i < PixelCount(size); ++i) {
        const unsigned word = unsigned(bgr[3 * i] >> 3) | unsigned(bgr[3 * i + 1] >> 3) << 5 |
                              unsigned(bgr[3 * i + 2] >> 3) << 10;
        frame.pixels()[2 * i] = static_cast<uint8_t>(word);
        frame.pixels()[2 * i + 1] = static_cast<uint8_t>(word >> 8);
    }
    return frame;
}

void EnsureHsvTable()
{
    if (!HasHsvTable())
        BuildHsvTable();
}

void ReuseFreedMemory()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
#endif
}
