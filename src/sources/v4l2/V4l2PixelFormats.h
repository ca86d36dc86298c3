#pragma once

#include "imaging/FrameRecord.h"

#include <cstddef>
#include <cstdint>

// How the frames of one V4L2 pixel format are handed to the stream callback.
struct V4l2PixelLayout {
    enum class Kind { Yuy2, Rgb, Mjpeg };

    uint32_t pixelFormat = 0;
    Kind kind = Kind::Rgb;
    // Bytes of one source pixel and, for RGB formats, where blue, green and red sit in it.
    int sourceBytes = 0;
    int blue = 0;
    int green = 0;
    int red = 0;
    // Bits per pixel of the delivered frames (MJPEG is decoded to 24-bit BGR).
    int deliveredBits = 0;
};

// The layout of a format this driver can deliver, or nullptr.
const V4l2PixelLayout* FindPixelLayout(uint32_t pixelFormat);
// A format with a layout, MJPEG only when it can be decoded.
bool IsDeliverable(uint32_t pixelFormat);

// The header of the frames a format delivers: YUY2 at 16 bits, uncompressed RGB at 24 or 32
// bits, bottom-up.
BitmapInfoHeader DeliveredHeader(const V4l2PixelLayout& layout, int width, int height);
// The header of a format handed on undecoded: its FOURCC as compression and no bit count.
BitmapInfoHeader CompressedHeader(uint32_t pixelFormat, int width, int height, uint32_t sizeImage);

// Top-down source rows of bytesPerLine bytes into tight bottom-up rows in blue, green, red
// (and a zero fourth byte for 32 bits) order, as a Windows capture driver delivers them.
void RepackRgbBottomUp(const V4l2PixelLayout& layout, int width, int height, std::size_t bytesPerLine,
                       const uint8_t* source, uint8_t* destination);
// Rows of rowBytes out of lines of bytesPerLine, order kept.
void RepackRows(std::size_t rowBytes, int rows, std::size_t bytesPerLine, const uint8_t* source,
                uint8_t* destination);
