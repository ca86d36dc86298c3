#pragma once

#include "sources/v4l2/FakeV4l2.h"

// A 320 × 240 YUYV camera named "HD Webcam" with controls as a UVC webcam reports them:
// class headings, automatic white balance and exposure (both on) that make their manual
// controls inactive, a read-only gain, a sharpness that refuses every value, a button, an
// integer menu and a 64-bit control, defaults that are not the minimum.
FakeDeviceSetup UvcWebcam();
