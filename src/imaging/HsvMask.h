#pragma once

#include "imaging/FrameRecord.h"
#include "imaging/HsvTable.h"
#include "imaging/Morphology.h"

#include <cstdint>
#include <vector>

// Blackens the target's pixels whose colour in the source (the unprocessed frame) is out of
// range. Returns how many pixels pass, which the display shows as a share.
int ApplyHsvMask(const ImageView& source, const ImageView& target, const HsvRange& range);

// Scratch memory for MaskWithMorphology, kept between frames so that no frame allocates.
struct MaskBuffers {
    std::vector<uint8_t> mask;
    std::vector<uint8_t> readCopy;
};

// The range mask, grown with firstCount and shrunk with secondCount iterations, applied to
// the target. Returns the number of pixels left in the mask.
int MaskWithMorphology(const ImageView& source, const ImageView& target, int firstCount, int secondCount,
                       WorkWindow& window, const HsvRange& range, MaskBuffers& buffers);
