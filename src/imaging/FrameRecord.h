#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A frame record is one block: a 40-byte BITMAPINFOHEADER (little-endian, Windows field
// order) followed directly by the pixel bytes, with no colour table.

constexpr std::size_t kBitmapHeaderSize = 40;

struct BitmapInfoHeader {
    uint32_t biSize = kBitmapHeaderSize;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 24;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

BitmapInfoHeader ReadBitmapHeader(const uint8_t* bytes);
void WriteBitmapHeader(const BitmapInfoHeader& header, uint8_t* bytes);

// An uncompressed header for width × height pixels of bitCount bits, rows without padding.
BitmapInfoHeader MakeBitmapHeader(int width, int height, int bitCount);

// Pixels of a frame: rows of width × bytesPerPixel bytes without padding, in memory order
// (row 0 is the bottom line of the picture for bottom-up frames).
struct ImageView {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;
    uint8_t* pixels = nullptr;

    std::size_t pixelCount() const { return std::size_t(width) * std::size_t(height); }
    std::size_t byteCount() const { return pixelCount() * std::size_t(bytesPerPixel); }
    std::size_t rowBytes() const { return std::size_t(width) * std::size_t(bytesPerPixel); }
    uint8_t* row(int y) const { return pixels + std::size_t(y) * rowBytes(); }
    uint8_t* pixel(int y, int x) const { return row(y) + std::size_t(x) * std::size_t(bytesPerPixel); }
};

// The pixel view of a record of recordSize bytes, or nothing when the header's width, height
// or bit count are negative, zero bits, or describe more pixel bytes than the record holds.
std::optional<ImageView> ViewPixels(uint8_t* record, std::size_t recordSize);

// Owns one frame record.
class FrameRecord {
public:
    FrameRecord() = default;
    // Header plus max(biSizeImage, width × height × bytes per pixel) zeroed pixel bytes.
    explicit FrameRecord(const BitmapInfoHeader& header);
    // A copy of a record block, for example one that a source delivered.
    FrameRecord(const uint8_t* record, std::size_t recordSize);

    BitmapInfoHeader header() const;
    void setHeader(const BitmapInfoHeader& header);

    bool empty() const { return m_bytes.empty(); }
    uint8_t* data() { return m_bytes.data(); }
    const uint8_t* data() const { return m_bytes.data(); }
    std::size_t size() const { return m_bytes.size(); }
    uint8_t* pixels() { return m_bytes.data() + kBitmapHeaderSize; }
    const uint8_t* pixels() const { return m_bytes.data() + kBitmapHeaderSize; }
    std::size_t pixelCapacity() const { return empty() ? 0 : m_bytes.size() - kBitmapHeaderSize; }

    // The pixel view, or nothing when the header does not fit the record (see ViewPixels).
    std::optional<ImageView> view();

    // Keeps the allocation when the size is unchanged, so that a reused record costs nothing.
    void resize(std::size_t recordSize);
    void release();

private:
    std::vector<uint8_t> m_bytes;
};
