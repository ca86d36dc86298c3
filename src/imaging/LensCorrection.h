#pragma once

#include "imaging/FrameRecord.h"

#include <cstdint>
#include <vector>

// Radial forward remap around the centre with parameter k; unreached pixels turn white.
// Copies bytes 0-2 of each pixel at the frame's own pixel width; output is reused scratch.
void CorrectLens(const ImageView& frame, int32_t k, std::vector<uint8_t>& output);
