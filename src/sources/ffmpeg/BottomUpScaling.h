#pragma once

#include <cstdint>
#include <vector>

struct AVFrame;
struct SwsContext;

// Scales a decoded picture with scaler into height rows of rowBytes each, last row first,
// with no gap between the rows (a frame record's pixels). The scaler's vector code stores
// whole blocks of pixels: for a row whose width is not a multiple of the block it writes a
// few dozen bytes past the row's end, over the row written before it and, for the row
// written first, past the end of the pixels. Such pictures are scaled into rows with room
// to spare (scratch) and copied in; the others go straight into the pixels.
bool ScaleBottomUp(SwsContext& scaler, const AVFrame& picture, int width, int height, uint8_t* pixels,
                   std::vector<uint8_t>& scratch);
