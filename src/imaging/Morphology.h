#pragma once

#include "imaging/FrameRecord.h"
#include "imaging/MaskBits.h"

#include <cstdint>
#include <vector>

// Iterated 4-neighbour erosion and dilation restricted to a shrinking work window.

struct WorkWindow {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const WorkWindow&) const = default;
};

enum MorphFrameMode { kDilateFrame = 0, kErodeFrame = 1 };
enum MorphMaskMode { kGrowMask = 0, kShrinkMask = 1 };

// On a frame of black (0) and white (non-zero) pixels; snapshot is reused scratch memory.
void MorphFrame(const ImageView& frame, int mode, WorkWindow& window, int count, std::vector<uint8_t>& snapshot);

// On a one-byte-per-pixel mask of width × height bytes (0 dropped, 1 kept).
void MorphMask(uint8_t* readCopy, uint8_t* mask, int width, int height, int mode, WorkWindow& window, int count);

// MorphMask on a mask of 0s and 1s held as bits, with the same result and window. The mask
// takes the read copy's size; rowScratch is reused scratch memory.
void MorphMaskBits(MaskBits& readCopy, MaskBits& mask, int mode, WorkWindow& window, int count,
                   std::vector<uint64_t>& rowScratch);
