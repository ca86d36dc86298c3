#include "FormatConversion.h"

#include "FrameRecord.h"

#include <algorithm>
#include <cmath>

namespace {

// Clamps to 0-255, then scales to 0-219 as the cameras' RGB range.
uint32_t ScaledChannel(double value)
{
    const int channel = std::clamp(static_cast<int>(std::trunc(value)), 0, 255);
    return static_cast<uint32_t>(channel * 220 / 256);
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

uint8_t Expand5Bits(unsigned word, int shift)
{
    return static_cast<uint8_t>(((word >> shift) & 31) * 8);
}

}  // namespace

uint32_t YuvToRgbPixel(int y, int u, int v)
{
    const double red = y + 1.370705 * (v - 128);
    const double green = y - 0.698001 * (v - 128) - 0.337633 * (u - 128);
    const double blue = y + 1.732446 * (u - 128);
    return ScaledChannel(red) | ScaledChannel(green) << 8 | ScaledChannel(blue) << 16;
}

void Yuy2ToRgb24(int width, int height, const uint8_t* source, uint8_t* destination)
{
    if (width <= 0 || height <= 0)
        return;
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

    const uint8_t* in = source.pixels();
    uint8_t* out = destination.pixels();
    for (std::size_t i = 0; i < pixelCount; ++i, in += sourceStep, out += 3) {
        const unsigned word = in[0] | unsigned(in[1]) << 8;
        out[0] = Expand5Bits(word, 0);
        out[1] = Expand5Bits(word, 5);
        out[2] = Expand5Bits(word, 10);
    }
    return true;
}
