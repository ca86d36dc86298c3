#pragma once

#include "sources/camera/CaptureControl.h"
#include "sources/v4l2/V4l2Io.h"

#include <vector>

// The enabled integer, boolean and menu controls of an open device with their values.
std::vector<CaptureControl> ListCaptureControls(V4l2Io& io, int fd);
