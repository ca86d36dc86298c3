#pragma once

#include "sources/v4l2/V4l2Io.h"

#include <linux/videodev2.h>

#include <cstdint>
#include <memory>
#include <optional>

// The time per frame V4L2 is asked for, from microseconds: whole frame rates (1/7, 1/15,
// 1/30, 1/60 s) are given exactly.
v4l2_fract FrameIntervalFraction(uint32_t microSecPerFrame);
uint32_t FrameIntervalMicroseconds(const v4l2_fract& timePerFrame);

// One open /dev/videoN and the queries and settings made on it outside streaming.
class V4l2Device {
public:
    explicit V4l2Device(std::shared_ptr<V4l2Io> io);
    ~V4l2Device();
    V4l2Device(const V4l2Device&) = delete;
    V4l2Device& operator=(const V4l2Device&) = delete;

    // Opens /dev/video<index> when it is a streaming video capture device.
    bool Open(int index);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    V4l2Io& Io() const { return *m_io; }
    int Fd() const { return m_fd; }
    uint32_t Capabilities() const { return m_capabilities; }

    std::optional<v4l2_pix_format> GetFormat() const;
    void SetFormat(uint32_t pixelFormat, uint32_t width, uint32_t height);
    // Microseconds per frame, or nothing when the device cannot tell.
    std::optional<uint32_t> GetFrameInterval() const;
    void SetFrameInterval(uint32_t microSecPerFrame);
    void SetOverlay(bool on);
    void SetControl(uint32_t id, int32_t value);

private:
    std::shared_ptr<V4l2Io> m_io;
    int m_fd = -1;
    uint32_t m_capabilities = 0;
};
