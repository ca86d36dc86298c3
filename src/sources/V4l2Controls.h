#pragma once

#include "CaptureControl.h"
#include "V4l2Io.h"

#include <vector>

// The enabled integer, boolean and menu controls of an open device with their values.
std::vector<CaptureControl> ListCaptureControls(V4l2Io& io, int fd);
