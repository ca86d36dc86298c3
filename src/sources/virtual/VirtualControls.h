#pragma once

#include "sources/camera/CaptureControl.h"

#include <atomic>

// The virtual camera's one control: whether its shapes move.
class VirtualControls final : public CaptureControlDevice {
public:
    explicit VirtualControls(std::atomic<bool>& moving) : m_moving(moving) {}

    std::vector<CaptureControl> ReadControls() override;
    int WriteControl(uint32_t id, int32_t value) override;

private:
    std::atomic<bool>& m_moving;
};
