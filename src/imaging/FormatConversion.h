#pragma once

#include <cstdint>

class FrameRecord;

// Red in bits 0-7, green 8-15, blue 16-23, each scaled to 0-219.
uint32_t YuvToRgbPixel(int y, int u, int v);
// Packed 4:2:2 YUV (top line first, width × height × 2 bytes) into bottom-up 24-bit rows
// (width × height × 3 bytes).
void Yuy2ToRgb24(int width, int height, const uint8_t* source, uint8_t* destination);
// A 16-bit (5-5-5) record into a 24-bit record, which is sized to 40 + w × h × 3 bytes.
// Returns false, leaving destination as it was, when the source does not hold the 16-bit or
// wider pixels its header describes.
bool Rgb555ToRgb24(const FrameRecord& source, FrameRecord& destination);
