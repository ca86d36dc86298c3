#pragma once

#include "imaging/FrameRecord.h"

#include <cstdint>
#include <vector>

// The four 3 × 3 kernels of the "Effect" list, numbered effect index − 1.
enum EffectKernel { kGaussian = 0, kLaplacian = 1, kSobel = 2, kPrewitt = 3 };

// Filters byte 0 of each pixel into bytes 0-2; border pixels become black, so a frame
// narrower or lower than 3 pixels turns black. temp is reused scratch memory. Frames whose
// pixels are narrower than 3 bytes and unknown kernels leave the frame unchanged.
void Convolve(const ImageView& frame, int kernel, std::vector<uint8_t>& temp);
// Grey conversion and filter in one pass over a colour frame.
void GrayConvolve(const ImageView& frame, int kernel, std::vector<uint8_t>& temp);
