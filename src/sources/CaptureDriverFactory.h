#pragma once

#include "sources/camera/CaptureDriver.h"

#include <functional>
#include <memory>

// The driver a new camera gets: the virtual one when VIZMAR_CAMERA=virtual is set, else the
// V4L2 driver on /dev/video0 to /dev/video9. A scoped factory takes precedence.
std::unique_ptr<CaptureDriver> CreateCaptureDriver();

using CaptureDriverFactory = std::function<std::unique_ptr<CaptureDriver>()>;

// Lets tests put scripted devices behind every camera created while the object lives.
class ScopedCaptureDriverFactory {
public:
    explicit ScopedCaptureDriverFactory(CaptureDriverFactory factory);
    ~ScopedCaptureDriverFactory();
    ScopedCaptureDriverFactory(const ScopedCaptureDriverFactory&) = delete;
    ScopedCaptureDriverFactory& operator=(const ScopedCaptureDriverFactory&) = delete;

private:
    CaptureDriverFactory m_previous;
};
