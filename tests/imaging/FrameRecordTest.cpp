#include "imaging/FrameRecord.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(FrameRecordTest, HeaderIsFortyLittleEndianBytesInWindowsFieldOrder)
{
    BitmapInfoHeader header = MakeBitmapHeader(320, -2, 24);
    header.biXPelsPerMeter = 0x01020304;
    std::array<uint8_t, 40> bytes{};
    WriteBitmapHeader(header, bytes.data());
    const std::array<uint8_t, 40> expected{
        40, 0, 0, 0,           // biSize
        0x40, 0x01, 0, 0,      // biWidth 320
        0xFE, 0xFF, 0xFF, 0xFF,  // biHeight -2
        1, 0,                  // biPlanes
        24, 0,                 // biBitCount
        0, 0, 0, 0,            // biCompression
        0x80, 0x07, 0, 0,      // biSizeImage 1920
        4, 3, 2, 1,            // biXPelsPerMeter
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
    const BitmapInfoHeader back = ReadBitmapHeader(bytes.data());
    EXPECT_EQ(back.biWidth, 320);
    EXPECT_EQ(back.biHeight, -2);
    EXPECT_EQ(back.biXPelsPerMeter, 0x01020304);
}

TEST(FrameRecordTest, ViewIsRefusedWhenTheHeaderClaimsMoreThanTheRecordHolds)
{
    FrameRecord frame(MakeBitmapHeader(4, 3, 24));
    ASSERT_TRUE(frame.view().has_value());
    EXPECT_EQ(frame.view()->byteCount(), 36u);

    BitmapInfoHeader header = frame.header();
    for (const auto& [width, height, bits] : std::array<std::array<int, 3>, 5>{
             {{5, 3, 24}, {4, 3, 32}, {-4, 3, 24}, {4, -3, 24}, {4, 3, 7}}}) {
        header.biWidth = width;
        header.biHeight = height;
        header.biBitCount = static_cast<uint16_t>(bits);
        frame.setHeader(header);
        EXPECT_FALSE(frame.view().has_value()) << width << "x" << height << "x" << bits;
    }
    header.biWidth = 0x10000;
    header.biHeight = 0x10000;
    header.biBitCount = 32;
    frame.setHeader(header);
    EXPECT_FALSE(frame.view().has_value());
}

}  // namespace
