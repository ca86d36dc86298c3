#pragma once

#include "imaging/FrameRecord.h"
#include "imaging/HsvTable.h"
#include "imaging/MaskBits.h"
#include "imaging/Morphology.h"

#include <cstdint>
#include <vector>

// Blackens the target's pixels whose colour in the source (the unprocessed frame) is out of
// range. Returns how many pixels pass, which the display shows as a share.
int ApplyHsvMask(const ImageView& source, const ImageView& target, const HsvRange& range);

// Scratch memory for the masks, kept between frames so that no frame allocates.
struct MaskBuffers {
    std::vector<uint8_t> mask;
    std::vector<uint8_t> readCopy;
    MaskBits maskBits;
    MaskBits readCopyBits;
    std::vector<uint8_t> bandFlags;
    std::vector<uint64_t> rowScratch;
};

// The range mask, grown with firstCount and shrunk with secondCount iterations, applied to
// the target. Returns the number of pixels left in the mask.
int MaskWithMorphology(const ImageView& source, const ImageView& target, int firstCount, int secondCount,
                       WorkWindow& window, const HsvRange& range, MaskBuffers& buffers);

// The masks of ApplyHsvMask and MaskWithMorphology, not applied and held as one bit per source
// pixel, 0 for a pixel to blacken: the pipeline's masks for a frame that arrives as is. They
// lie in the buffers until their next use.
const MaskBits& RangeMaskBits(const ImageView& source, const HsvRange& range, MaskBuffers& buffers);
const MaskBits& MorphedRangeMaskBits(const ImageView& source, int firstCount, int secondCount, WorkWindow& window,
                                     const HsvRange& range, MaskBuffers& buffers);
