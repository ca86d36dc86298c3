#pragma once

#include "imaging/FrameRecord.h"
#include "imaging/MaskBits.h"

#include <cstdint>

// The last stages of a masked frame that is still as it arrived: the frame goes into the
// unprocessed copy, its pixels whose flag is 0 are blackened, the rows are mirrored when
// asked, and the result goes into the last output too. Rows of 3-byte pixels take one pass
// each, from both ends; other pixels go band by band while a band of rows is in the cache.
// Both copies hold the frame's pixel bytes, and flags has the frame's size. Returns how many
// flags are set.
int FinishMaskedFrame(const ImageView& frame, const MaskBits& flags, uint8_t* unprocessedPixels,
                      uint8_t* lastOutputPixels, bool mirror);
