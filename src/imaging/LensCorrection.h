#pragma once

#include "imaging/FrameRecord.h"

#include <cstdint>
#include <vector>

// The correction of one frame size and parameter as a gather: for every destination pixel,
// the source pixel that lands there last, or kUnreachedPixel. It depends only on the width,
// the height and k, so the pipeline builds it once and reuses it until one of them changes.
struct LensMap {
    static constexpr uint32_t kUnreachedPixel = UINT32_MAX;

    int width = 0;
    int height = 0;
    int32_t k = 0;
    std::vector<uint32_t> sources;  // empty until built

    bool Serves(int frameWidth, int frameHeight, int32_t frameK) const
    {
        return !sources.empty() && width == frameWidth && height == frameHeight && k == frameK;
    }
};

// Radial forward remap around the centre with parameter k; unreached pixels turn white.
// Copies bytes 0-2 of each pixel at the frame's own pixel width, any further byte turning
// white. The map is rebuilt first unless it serves this width, height and k; output is reused
// scratch. Frames of 2^32 pixels or more, which no source delivers, are left as they are.
void CorrectLens(const ImageView& frame, int32_t k, LensMap& map, std::vector<uint8_t>& output);
// The same through a map made for this one call.
void CorrectLens(const ImageView& frame, int32_t k, std::vector<uint8_t>& output);
