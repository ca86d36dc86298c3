#include "sources/v4l2/V4l2PixelFormats.h"

#include "sources/camera/CaptureDriver.h"
#include "sources/v4l2/MjpegDecoder.h"

#include <linux/videodev2.h>

#include <array>
#include <cstring>

namespace {

using Kind = V4l2PixelLayout::Kind;

constexpr std::array kLayouts = {
    V4l2PixelLayout{V4L2_PIX_FMT_YUYV, Kind::Yuy2, 2, 0, 0, 0, 16},
    V4l2PixelLayout{V4L2_PIX_FMT_BGR24, Kind::Rgb, 3, 0, 1, 2, 24},
    V4l2PixelLayout{V4L2_PIX_FMT_RGB24, Kind::Rgb, 3, 2, 1, 0, 24},
    V4l2PixelLayout{V4L2_PIX_FMT_BGR32, Kind::Rgb, 4, 0, 1, 2, 32},
    V4l2PixelLayout{V4L2_PIX_FMT_ABGR32, Kind::Rgb, 4, 0, 1, 2, 32},
    V4l2PixelLayout{V4L2_PIX_FMT_XBGR32, Kind::Rgb, 4, 0, 1, 2, 32},
    V4l2PixelLayout{V4L2_PIX_FMT_ARGB32, Kind::Rgb, 4, 3, 2, 1, 32},
    V4l2PixelLayout{V4L2_PIX_FMT_XRGB32, Kind::Rgb, 4, 3, 2, 1, 32},
    V4l2PixelLayout{V4L2_PIX_FMT_BGRA32, Kind::Rgb, 4, 1, 2, 3, 32},
    V4l2PixelLayout{V4L2_PIX_FMT_BGRX32, Kind::Rgb, 4, 1, 2, 3, 32},
    V4l2PixelLayout{V4L2_PIX_FMT_RGBA32, Kind::Rgb, 4, 2, 1, 0, 32},
    V4l2PixelLayout{V4L2_PIX_FMT_RGBX32, Kind::Rgb, 4, 2, 1, 0, 32},
    V4l2PixelLayout{V4L2_PIX_FMT_MJPEG, Kind::Mjpeg, 0, 0, 0, 0, 24},
    V4l2PixelLayout{V4L2_PIX_FMT_JPEG, Kind::Mjpeg, 0, 0, 0, 0, 24},
};

bool IsBgrOrder(const V4l2PixelLayout& layout)
{
    return layout.blue == 0 && layout.green == 1 && layout.red == 2 && layout.sourceBytes * 8 == layout.deliveredBits;
}

void SwizzleRow(const V4l2PixelLayout& layout, int width, const uint8_t* source, uint8_t* destination)
{
    const int outBytes = layout.deliveredBits / 8;
    for (int x = 0; x < width; ++x) {
        destination[0] = source[layout.blue];
        destination[1] = source[layout.green];
        destination[2] = source[layout.red];
        if (outBytes == 4)
            destination[3] = 0;
        source += layout.sourceBytes;
        destination += outBytes;
    }
}

}  // namespace

const V4l2PixelLayout* FindPixelLayout(uint32_t pixelFormat)
{
    for (const V4l2PixelLayout& layout : kLayouts) {
        if (layout.pixelFormat == pixelFormat)
            return &layout;
    }
    return nullptr;
}

bool IsDeliverable(uint32_t pixelFormat)
{
    const V4l2PixelLayout* layout = FindPixelLayout(pixelFormat);
    return layout != nullptr && (layout->kind != Kind::Mjpeg || MjpegDecodingAvailable());
}

BitmapInfoHeader DeliveredHeader(const V4l2PixelLayout& layout, int width, int height)
{
    BitmapInfoHeader header = MakeBitmapHeader(width, height, layout.deliveredBits);
    if (layout.kind == Kind::Yuy2)
        header.biCompression = kFourccYuy2;
    return header;
}

BitmapInfoHeader CompressedHeader(uint32_t pixelFormat, int width, int height, uint32_t sizeImage)
{
    BitmapInfoHeader header = MakeBitmapHeader(width, height, 0);
    header.biCompression = pixelFormat;
    header.biSizeImage = sizeImage;
    return header;
}

void RepackRgbBottomUp(const V4l2PixelLayout& layout, int width, int height, std::size_t bytesPerLine,
                       const uint8_t* source, uint8_t* destination)
{
    const std::size_t rowBytes = std::size_t(width) * std::size_t(layout.deliveredBits / 8);
    for (int y = 0; y < height; ++y) {
        const uint8_t* line = source + std::size_t(y) * bytesPerLine;
        uint8_t* row = destination + std::size_t(height - 1 - y) * rowBytes;
        if (IsBgrOrder(layout))
            std::memcpy(row, line, rowBytes);
        else
            SwizzleRow(layout, width, line, row);
    }
}

void RepackRows(std::size_t rowBytes, int rows, std::size_t bytesPerLine, const uint8_t* source, uint8_t* destination)
{
    for (int y = 0; y < rows; ++y)
        std::memcpy(destination + std::size_t(y) * rowBytes, source + std::size_t(y) * bytesPerLine, rowBytes);
}
