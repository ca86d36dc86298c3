#pragma once

#include "sources/v4l2/V4l2Io.h"

#include <memory>

// The real system calls.
std::shared_ptr<V4l2Io> SystemV4l2Io();
