#pragma once

#include "sources/camera/CaptureFormatDialog.h"
#include "sources/v4l2/V4l2Io.h"

#include <vector>

// The pixel formats of an open device that this driver can deliver, each with the frame
// sizes the device lists for it.
std::vector<CaptureFormatChoice> ListCaptureFormats(V4l2Io& io, int fd);
