#pragma once

#include "sources/camera/CaptureControl.h"

#include <cstdint>
#include <utility>
#include <vector>

using ControlValues = std::vector<std::pair<uint32_t, int32_t>>;

// Writes each value, in the order given where the device allows it. A control that is
// inactive waits until the others are written; a write that would make a control still to
// be written inactive (an automatic mode switched on before its manual value is back) is
// undone and tried again after that control. Values the device refuses for good are left.
void WriteControlValues(CaptureControlDevice& device, ControlValues targets);
