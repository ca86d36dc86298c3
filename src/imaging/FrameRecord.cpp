#include "imaging/FrameRecord.h"

#include <algorithm>
#include <cstdlib>

namespace {

template <typename T>
T ReadLittle(const uint8_t* bytes)
{
    std::make_unsigned_t<T> value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= std::make_unsigned_t<T>(bytes[i]) << (8 * i);
    return static_cast<T>(value);
}

template <typename T>
void WriteLittle(T value, uint8_t* bytes)
{
    auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace

BitmapInfoHeader ReadBitmapHeader(const uint8_t* bytes)
{
    BitmapInfoHeader h;
    h.biSize = ReadLittle<uint32_t>(bytes + 0);
    h.biWidth = ReadLittle<int32_t>(bytes + 4);
    h.biHeight = ReadLittle<int32_t>(bytes + 8);
    h.biPlanes = ReadLittle<uint16_t>(bytes + 12);
    h.biBitCount = ReadLittle<uint16_t>(bytes + 14);
    h.biCompression = ReadLittle<uint32_t>(bytes + 16);
    h.biSizeImage = ReadLittle<uint32_t>(bytes + 20);
    h.biXPelsPerMeter = ReadLittle<int32_t>(bytes + 24);
    h.biYPelsPerMeter = ReadLittle<int32_t>(bytes + 28);
    h.biClrUsed = ReadLittle<uint32_t>(bytes + 32);
    h.biClrImportant = ReadLittle<uint32_t>(bytes + 36);
    return h;
}

void WriteBitmapHeader(const BitmapInfoHeader& h, uint8_t* bytes)
{
    WriteLittle(h.biSize, bytes + 0);
    WriteLittle(h.biWidth, bytes + 4);
    WriteLittle(h.biHeight, bytes + 8);
    WriteLittle(h.biPlanes, bytes + 12);
    WriteLittle(h.biBitCount, bytes + 14);
    WriteLittle(h.biCompression, bytes + 16);
    WriteLittle(h.biSizeImage, bytes + 20);
    WriteLittle(h.biXPelsPerMeter, bytes + 24);
    WriteLittle(h.biYPelsPerMeter, bytes + 28);
    WriteLittle(h.biClrUsed, bytes + 32);
    WriteLittle(h.biClrImportant, bytes + 36);
}

BitmapInfoHeader MakeBitmapHeader(int width, int height, int bitCount)
{
    BitmapInfoHeader h;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = static_cast<uint16_t>(bitCount);
    // A top-down header (negative height) holds as many pixel bytes as a bottom-up one.
    const std::size_t rows = std::size_t(std::abs(height));
    h.biSizeImage = static_cast<uint32_t>(std::size_t(std::max(width, 0)) * rows * std::size_t(bitCount / 8));
    return h;
}

std::optional<ImageView> ViewPixels(uint8_t* record, std::size_t recordSize)
{
    if (record == nullptr || recordSize < kBitmapHeaderSize)
        return std::nullopt;
    const BitmapInfoHeader h = ReadBitmapHeader(record);
    const int bytesPerPixel = h.biBitCount / 8;
    if (h.biWidth < 0 || h.biHeight < 0 || bytesPerPixel == 0)
        return std::nullopt;
    const std::size_t available = recordSize - kBitmapHeaderSize;
    const std::size_t pixels = std::size_t(h.biWidth) * std::size_t(h.biHeight);
    if (h.biWidth != 0 && pixels / std::size_t(h.biWidth) != std::size_t(h.biHeight))
        return std::nullopt;
    if (pixels > available / std::size_t(bytesPerPixel))
        return std::nullopt;
    return ImageView{h.biWidth, h.biHeight, bytesPerPixel, record + kBitmapHeaderSize};
}

FrameRecord::FrameRecord(const BitmapInfoHeader& header)
{
    const std::size_t bytesPerPixel = header.biBitCount / 8;
    const std::size_t counted = std::size_t(std::max(header.biWidth, 0)) * std::size_t(std::max(header.biHeight, 0)) * bytesPerPixel;
    m_bytes.assign(kBitmapHeaderSize + std::max<std::size_t>(header.biSizeImage, counted), 0);
    setHeader(header);
}

FrameRecord::FrameRecord(const uint8_t* record, std::size_t recordSize)
    : m_bytes(record, record + recordSize)
{
}

BitmapInfoHeader FrameRecord::header() const
{
    return empty() ? BitmapInfoHeader{} : ReadBitmapHeader(m_bytes.data());
}

void FrameRecord::setHeader(const BitmapInfoHeader& header)
{
    if (m_bytes.size() < kBitmapHeaderSize)
        m_bytes.resize(kBitmapHeaderSize, 0);
    WriteBitmapHeader(header, m_bytes.data());
}

std::optional<ImageView> FrameRecord::view()
{
    return ViewPixels(m_bytes.data(), m_bytes.size());
}

void FrameRecord::resize(std::size_t recordSize)
{
    m_bytes.resize(recordSize, 0);
}

void FrameRecord::release()
{
    std::vector<uint8_t>().swap(m_bytes);
}
