#include "sources/camera/FrameRate.h"

#include <algorithm>

int FramesPerSecond(double intervalMs)
{
    return static_cast<int>(1000.0 / std::max(intervalMs, 1.0));
}
