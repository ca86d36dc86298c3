#pragma once

#include "sources/camera/CaptureControl.h"
#include "sources/v4l2/V4l2Device.h"
#include "sources/v4l2/V4l2Io.h"

#include <vector>

// The controls of an open device with their values and flags, and a heading for each
// control class. Disabled controls, write-only ones other than buttons, and types a dialog
// cannot show as they are (64-bit integers, strings, bit masks, compound controls) are left
// out.
std::vector<CaptureControl> ListCaptureControls(V4l2Io& io, int fd);

// The controls of an open V4L2 device, for its display dialog.
class V4l2ControlDevice final : public CaptureControlDevice {
public:
    explicit V4l2ControlDevice(V4l2Device& device) : m_device(device) {}

    std::vector<CaptureControl> ReadControls() override;
    int WriteControl(uint32_t id, int32_t value) override;

private:
    V4l2Device& m_device;
};
