#pragma once

#include "imaging/FrameRecord.h"

#include <array>
#include <cstdint>

// Grey, difference, binary, Otsu and history pictures made from a colour frame. Every output
// pixel carries the same value in bytes 0, 1 and 2. Frames whose pixels are narrower than 3
// bytes, and buffers smaller than the frame, leave everything unchanged.

// (306 R + 601 G + 117 B) >> 10 of a blue, green, red pixel.
inline int GreyValue(const uint8_t* pixel)
{
    return (306 * pixel[2] + 601 * pixel[1] + 117 * pixel[0]) >> 10;
}

// The binary threshold and its table (entry g is 1 where g > threshold).
struct BinaryThreshold {
    int32_t threshold = 20;
    std::array<uint8_t, 256> table{};

    BinaryThreshold() { Set(20); }
    void Set(int32_t newThreshold);
};

void ToGray(const ImageView& frame);
// previousGrey has the frame's geometry; byte i × bytesPerPixel holds pixel i's old grey.
void FrameDelta(const ImageView& previousGrey, const ImageView& frame);
void FrameBinary(const ImageView& previousGrey, const ImageView& frame, const BinaryThreshold& binary);
void UpdateOtsuThreshold(int height, int width, const uint8_t* pixels, BinaryThreshold& binary);
int OtsuThreshold(const std::array<uint32_t, 256>& histogram, uint32_t total);
// newest and oldest are history slots; the frame receives the accumulator's pixels.
void AccumulateHistory(const ImageView& frame, const ImageView& newest, const ImageView& oldest, const ImageView& accumulator);
