#include "imaging/FormatConversion.h"

#include "imaging/FrameRecord.h"
#include "imaging/PixelBlock.h"
#include "imaging/VectorClones.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

// Clamps to 0-255, then scales to 0-219 as the cameras' RGB range. The values lie within
// ±500, so converting to int truncates toward zero as the rule asks.
VIZMAR_CLONE_HELPER uint8_t ScaledChannel(double value)
{
    const int channel = std::clamp(static_cast<int>(value), 0, 255);
    return static_cast<uint8_t>(channel * 220 / 256);
}

// The chroma terms of the three channels, shared by the two pixels of a group.
struct Chroma {
    double red;
    double greenFromV;
    double greenFromU;
    double blue;
};

VIZMAR_CLONE_HELPER Chroma ChromaOf(int u, int v)
{
    return {1.370705 * (v - 128), 0.698001 * (v - 128), 0.337633 * (u - 128), 1.732446 * (u - 128)};
}

// Blue, green and red of one pixel into three bytes.
VIZMAR_CLONE_HELPER void WritePixel(int y, const Chroma& chroma, uint8_t* bgr)
{
    bgr[0] = ScaledChannel(y + chroma.blue);
    bgr[1] = ScaledChannel(y - chroma.greenFromV - chroma.greenFromU);
    bgr[2] = ScaledChannel(y + chroma.red);
}

uint32_t Packed(const uint8_t* bgr)
{
    return uint32_t(bgr[2]) | uint32_t(bgr[1]) << 8 | uint32_t(bgr[0]) << 16;
}

// Sixteen groups, 64 source bytes, make 32 pixels: one pixel block.
constexpr std::size_t kBlockGroups = kBlockPixels / 2;

// A group in a 32-bit lane, little-endian: Y0 in bits 0-7, U 8-15, Y1 16-23, V 24-31; read as
// 16-bit lanes, the low byte of lane p is pixel p's luma.
using GroupWords = uint32_t __attribute__((vector_size(4 * kBlockGroups)));
using GroupInts = int32_t __attribute__((vector_size(4 * kBlockGroups)));
using PixelShorts = int16_t __attribute__((vector_size(2 * kBlockPixels)));

// floor((uMillionths × (U − 128) + vMillionths × (V − 128)) / 1,000,000) for sixteen groups,
// the chroma term in whole levels, in both 16-bit halves of its group's lane, so that it
// lines up with both pixels. Added to a luma, it gives the rule's truncated double sum once
// clamped to 0-255, for every luma and chroma as the tests check colour by colour; whole
// numbers let the lanes be narrow. The bias keeps the division on non-negative numbers.
VIZMAR_CLONE_HELPER PixelShorts ChromaTerm(int32_t uMillionths, int32_t vMillionths, GroupInts u, GroupInts v)
{
    constexpr int32_t kBiasLevels = 256;
    const GroupInts biased = uMillionths * u + vMillionths * v + kBiasLevels * 1000000;
    const GroupWords levels = reinterpret_cast<GroupWords>(biased) / 1000000u - kBiasLevels;
    return reinterpret_cast<PixelShorts>((levels & 0xFFFF) | levels << 16);
}

// Clamps luma + term to 0-255 and scales it to 0-219 as ScaledChannel does.
VIZMAR_CLONE_HELPER BlockBytes ScaledChannels(PixelShorts lumas, PixelShorts terms)
{
    PixelShorts sum = lumas + terms;
    sum = sum < 0 ? 0 : sum;
    sum = sum > 255 ? 255 : sum;
    const auto scaled = reinterpret_cast<BlockWords>(sum) * 220 >> 8;
    return __builtin_convertvector(scaled, BlockBytes);
}

VIZMAR_CLONE_HELPER void ConvertBlock(const uint8_t* source, uint8_t* row)
{
    GroupWords groups;
    std::memcpy(&groups, source, sizeof groups);
    const auto u = reinterpret_cast<GroupInts>(groups >> 8 & 0xFF) - 128;
    const auto v = reinterpret_cast<GroupInts>(groups >> 24) - 128;
    const PixelShorts lumas = reinterpret_cast<PixelShorts>(groups) & 0xFF;
    StorePixelBlock(row, Interleave(ScaledChannels(lumas, ChromaTerm(1732446, 0, u, v)),
                                    ScaledChannels(lumas, ChromaTerm(-337633, -698001, u, v)),
                                    ScaledChannels(lumas, ChromaTerm(0, 1370705, u, v))));
}

// One source line of an even width: whole groups, straight into its destination row, a block
// at a time and the groups left over one by one.
VIZMAR_VECTOR_CLONES void ConvertLine(const uint8_t* groups, std::size_t groupCount, uint8_t* row)
{
    std::size_t g = 0;
    for (; g + kBlockGroups <= groupCount; g += kBlockGroups)
        ConvertBlock(groups + 4 * g, row + 6 * g);
    for (; g < groupCount; ++g) {
        const uint8_t* group = groups + 4 * g;
        const Chroma chroma = ChromaOf(group[1], group[3]);
        WritePixel(group[0], chroma, row + 6 * g);
        WritePixel(group[2], chroma, row + 6 * g + 3);
    }
}

// Places pixels in source order: left to right along each line, the first line at the top of
// the bottom-up destination (its last row in memory).
class BottomUpWriter {
public:
    BottomUpWriter(int width, int height, uint8_t* destination)
        : width_(width), destination_(destination), row_(height - 1)
    {
    }

    void Put(uint32_t rgb)
    {
        uint8_t* pixel = destination_ + (std::size_t(row_) * std::size_t(width_) + std::size_t(column_)) * 3;
        pixel[0] = static_cast<uint8_t>(rgb >> 16);
        pixel[1] = static_cast<uint8_t>(rgb >> 8);
        pixel[2] = static_cast<uint8_t>(rgb);
        if (++column_ == width_) {
            column_ = 0;
            --row_;
        }
    }

private:
    int width_;
    uint8_t* destination_;
    int row_;
    int column_ = 0;
};

// Bytes per pixel of a readable source of 16 bits or more, else 0.
std::size_t ReadableSourceStep(const FrameRecord& source, const BitmapInfoHeader& header)
{
    const std::size_t step = header.biBitCount / 8;
    if (source.size() < kBitmapHeaderSize || header.biWidth < 0 || header.biHeight < 0 || step < 2)
        return 0;
    const std::size_t pixels = std::size_t(header.biWidth) * std::size_t(header.biHeight);
    if (header.biWidth != 0 && pixels / std::size_t(header.biWidth) != std::size_t(header.biHeight))
        return 0;
    return pixels <= source.pixelCapacity() / step ? step : 0;
}

VIZMAR_CLONE_HELPER uint8_t Expand5Bits(unsigned word, int shift)
{
    return static_cast<uint8_t>(((word >> shift) & 31) * 8);
}

template <typename Step>
VIZMAR_VECTOR_CLONES void Expand555Pixels(const uint8_t* in, Step step, uint8_t* out, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned word = in[i * step] | unsigned(in[i * step + 1]) << 8;
        out[3 * i] = Expand5Bits(word, 0);
        out[3 * i + 1] = Expand5Bits(word, 5);
        out[3 * i + 2] = Expand5Bits(word, 10);
    }
}

// The 5-bit field from bit shift on of each word, as Expand5Bits makes it.
VIZMAR_CLONE_HELPER BlockBytes Expand5BitFields(BlockWords words, int shift)
{
    return __builtin_convertvector(((words >> shift) & 31) << 3, BlockBytes);
}

// Expand555Pixels for whole blocks of 2-byte pixels: the three fields in 16-bit lanes, each
// narrowed to a byte per pixel, then interleaved into 3-byte pixels.
VIZMAR_VECTOR_CLONES void Expand555Blocks(const uint8_t* in, uint8_t* out, std::size_t blocks)
{
    for (std::size_t b = 0; b < blocks; ++b) {
        BlockWords words;
        std::memcpy(&words, in + b * sizeof words, sizeof words);
        StorePixelBlock(out + b * kBlockBytes,
                        Interleave(Expand5BitFields(words, 0), Expand5BitFields(words, 5), Expand5BitFields(words, 10)));
    }
}

}  // namespace

uint32_t YuvToRgbPixel(int y, int u, int v)
{
    uint8_t bgr[3];
    WritePixel(y, ChromaOf(u, v), bgr);
    return Packed(bgr);
}

void Yuy2ToRgb24(int width, int height, const uint8_t* source, uint8_t* destination)
{
    if (width <= 0 || height <= 0)
        return;
    // With an even width every line holds whole groups; each goes to its row in one pass.
    if (width % 2 == 0) {
        const std::size_t rowBytes = std::size_t(width) * 3;
        for (int line = 0; line < height; ++line)
            ConvertLine(source + std::size_t(line) * std::size_t(width) * 2, std::size_t(width) / 2,
                        destination + std::size_t(height - 1 - line) * rowBytes);
        return;
    }
    BottomUpWriter writer(width, height, destination);
    const std::size_t pixelCount = std::size_t(width) * std::size_t(height);
    // Each group Y0 U Y1 V holds two pixels. An odd pixel count ends on half a group, Y0 U,
    // whose missing V is taken as neutral.
    for (std::size_t first = 0; first < pixelCount; first += 2) {
        const uint8_t* group = source + first * 2;
        const bool whole = first + 1 < pixelCount;
        const int u = group[1];
        const int v = whole ? group[3] : 128;
        writer.Put(YuvToRgbPixel(group[0], u, v));
        if (whole)
            writer.Put(YuvToRgbPixel(group[2], u, v));
    }
}

bool Rgb555ToRgb24(const FrameRecord& source, FrameRecord& destination)
{
    const BitmapInfoHeader sourceHeader = source.header();
    const std::size_t sourceStep = ReadableSourceStep(source, sourceHeader);
    if (sourceStep == 0)
        return false;
    const std::size_t pixelCount = std::size_t(sourceHeader.biWidth) * std::size_t(sourceHeader.biHeight);

    BitmapInfoHeader header = sourceHeader;
    header.biBitCount = 24;
    header.biClrUsed = 0;
    header.biSizeImage = static_cast<uint32_t>(pixelCount * 3);
    destination.resize(kBitmapHeaderSize + pixelCount * 3);
    destination.setHeader(header);

    // 16-bit pixels, the usual ones, a block at a time and then with the step known to the
    // compiler.
    if (sourceStep == 2) {
        const std::size_t blocks = pixelCount / kBlockPixels;
        Expand555Blocks(source.pixels(), destination.pixels(), blocks);
        const std::size_t done = blocks * kBlockPixels;
        Expand555Pixels(source.pixels() + 2 * done, std::integral_constant<std::size_t, 2>{},
                        destination.pixels() + 3 * done, pixelCount - done);
    } else
        Expand555Pixels(source.pixels(), sourceStep, destination.pixels(), pixelCount);
    return true;
}
