#pragma once

#include "imaging/FrameRecord.h"

// Flips the frame left to right, whole pixels of bytesPerPixel bytes at a time.
void MirrorFrame(const ImageView& frame);
