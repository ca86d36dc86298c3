#pragma once

#include <cstdint>

class FrameRecord;

// Red in bits 0-7, green 8-15, blue 16-23, each scaled to 0-219.
uint32_t YuvToRgbPixel(int y, int u, int v);
// Packed 4:2:2 YUV (top line first) into bottom-up 24-bit rows.
void Yuy2ToRgb24(int width, int height, const uint8_t* source, uint8_t* destination);
// A 16-bit (5-5-5) record into a 24-bit record; destination must hold 40 + w × h × 3 bytes.
void Rgb555ToRgb24(const FrameRecord& source, FrameRecord& destination);
