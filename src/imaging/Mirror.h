#pragma once

#include "FrameRecord.h"

// Flips the frame left to right, whole pixels at a time.
void MirrorFrame(const ImageView& frame);
