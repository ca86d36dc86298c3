#pragma once

#include "sources/v4l2/V4l2Io.h"

#include <linux/videodev2.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The time per frame V4L2 is asked for, from microseconds: whole frame rates (1/7, 1/15,
// 1/30, 1/60 s) are given exactly.
v4l2_fract FrameIntervalFraction(uint32_t microSecPerFrame);
uint32_t FrameIntervalMicroseconds(const v4l2_fract& timePerFrame);

// One open /dev/videoN and the queries and settings made on it outside streaming. The
// settings return 0 or the errno of the call that failed.
class V4l2Device {
public:
    explicit V4l2Device(std::shared_ptr<V4l2Io> io);
    ~V4l2Device();
    V4l2Device(const V4l2Device&) = delete;
    V4l2Device& operator=(const V4l2Device&) = delete;

    // Opens the index-th video capture device, counting in node-number order only the nodes
    // that capture video by streaming, are not media-controller nodes and list a pixel
    // format this program can deliver (metadata and raw sensor nodes do not count).
    bool Open(int index);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    V4l2Io& Io() const { return *m_io; }
    int Fd() const { return m_fd; }
    uint32_t Capabilities() const { return m_capabilities; }
    // The card name: the model's name, as "HD Webcam".
    const std::string& Card() const { return m_card; }
    // The card name and the node, as "HD Webcam (/dev/video2)".
    std::string Name() const { return m_card + " (" + m_path + ")"; }

    std::optional<v4l2_pix_format> GetFormat() const;
    int SetFormat(uint32_t pixelFormat, uint32_t width, uint32_t height);
    // Microseconds per frame, or nothing when the device cannot tell.
    std::optional<uint32_t> GetFrameInterval() const;
    int SetFrameInterval(uint32_t microSecPerFrame);
    int SetOverlay(bool on);
    int SetControl(uint32_t id, int32_t value);

private:
    bool OpenNode(int number);
    bool IsUsableCaptureNode() const;
    int Call(unsigned long request, void* argument) const;

    std::shared_ptr<V4l2Io> m_io;
    int m_fd = -1;
    uint32_t m_capabilities = 0;
    std::string m_card;
    std::string m_path;
};
