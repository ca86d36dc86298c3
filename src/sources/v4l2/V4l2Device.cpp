#include "sources/v4l2/V4l2Device.h"

#include <fcntl.h>

#include <cmath>
#include <string>

namespace {

constexpr uint32_t kMicrosecondsPerSecond = 1000000;

uint32_t DeviceCapabilities(const v4l2_capability& capability)
{
    return (capability.capabilities & V4L2_CAP_DEVICE_CAPS) != 0 ? capability.device_caps : capability.capabilities;
}

}  // namespace

v4l2_fract FrameIntervalFraction(uint32_t microSecPerFrame)
{
    const double perSecond = double(kMicrosecondsPerSecond) / double(microSecPerFrame);
    const double framesPerSecond = std::round(perSecond);
    if (framesPerSecond >= 1.0 && std::abs(double(kMicrosecondsPerSecond) / framesPerSecond - microSecPerFrame) < 1.0)
        return v4l2_fract{1, static_cast<uint32_t>(framesPerSecond)};
    return v4l2_fract{microSecPerFrame, kMicrosecondsPerSecond};
}

uint32_t FrameIntervalMicroseconds(const v4l2_fract& timePerFrame)
{
    if (timePerFrame.denominator == 0)
        return 0;
    return static_cast<uint32_t>(uint64_t(timePerFrame.numerator) * kMicrosecondsPerSecond / timePerFrame.denominator);
}

V4l2Device::V4l2Device(std::shared_ptr<V4l2Io> io) : m_io(std::move(io)) {}

V4l2Device::~V4l2Device()
{
    Close();
}

bool V4l2Device::Open(int index)
{
    Close();
    const std::string path = "/dev/video" + std::to_string(index);
    m_fd = m_io->Open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    v4l2_capability capability{};
    if (m_io->Ioctl(m_fd, VIDIOC_QUERYCAP, &capability) == 0)
        m_capabilities = DeviceCapabilities(capability);
    const uint32_t needed = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    if ((m_capabilities & needed) != needed) {
        Close();
        return false;
    }
    return true;
}

void V4l2Device::Close()
{
    if (m_fd >= 0)
        m_io->Close(m_fd);
    m_fd = -1;
    m_capabilities = 0;
}

std::optional<v4l2_pix_format> V4l2Device::GetFormat() const
{
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (!IsOpen() || m_io->Ioctl(m_fd, VIDIOC_G_FMT, &format) != 0)
        return std::nullopt;
    return format.fmt.pix;
}

// The device may adjust the request; GetFormat tells what it chose.
void V4l2Device::SetFormat(uint32_t pixelFormat, uint32_t width, uint32_t height)
{
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.pixelformat = pixelFormat;
    format.fmt.pix.width = width;
    format.fmt.pix.height = height;
    format.fmt.pix.field = V4L2_FIELD_NONE;
    if (IsOpen())
        m_io->Ioctl(m_fd, VIDIOC_S_FMT, &format);
}

std::optional<uint32_t> V4l2Device::GetFrameInterval() const
{
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (!IsOpen() || m_io->Ioctl(m_fd, VIDIOC_G_PARM, &parm) != 0
        || (parm.parm.capture.capability & V4L2_CAP_TIMEPERFRAME) == 0)
        return std::nullopt;
    const uint32_t microseconds = FrameIntervalMicroseconds(parm.parm.capture.timeperframe);
    return microseconds > 0 ? std::optional(microseconds) : std::nullopt;
}

void V4l2Device::SetFrameInterval(uint32_t microSecPerFrame)
{
    if (!IsOpen() || microSecPerFrame == 0)
        return;
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    parm.parm.capture.timeperframe = FrameIntervalFraction(microSecPerFrame);
    m_io->Ioctl(m_fd, VIDIOC_S_PARM, &parm);
}

void V4l2Device::SetOverlay(bool on)
{
    int enable = on ? 1 : 0;
    if (IsOpen())
        m_io->Ioctl(m_fd, VIDIOC_OVERLAY, &enable);
}

void V4l2Device::SetControl(uint32_t id, int32_t value)
{
    v4l2_control control{id, value};
    if (IsOpen())
        m_io->Ioctl(m_fd, VIDIOC_S_CTRL, &control);
}
