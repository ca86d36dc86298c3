#include "sources/v4l2/V4l2Device.h"

#include "sources/v4l2/V4l2PixelFormats.h"

#include <fcntl.h>

#include <cerrno>
#include <cmath>
#include <cstring>
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
    int counted = 0;
    for (int number : m_io->VideoNodeNumbers()) {
        if (!OpenNode(number))
            continue;
        if (IsUsableCaptureNode() && counted++ == index)
            return true;
        Close();
    }
    return false;
}

bool V4l2Device::OpenNode(int number)
{
    m_path = "/dev/video" + std::to_string(number);
    m_fd = m_io->Open(m_path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    v4l2_capability capability{};
    if (Call(VIDIOC_QUERYCAP, &capability) != 0) {
        Close();
        return false;
    }
    m_capabilities = DeviceCapabilities(capability);
    const auto* card = reinterpret_cast<const char*>(capability.card);
    m_card.assign(card, strnlen(card, sizeof capability.card));
    return true;
}

bool V4l2Device::IsUsableCaptureNode() const
{
    const uint32_t needed = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    if ((m_capabilities & needed) != needed || (m_capabilities & V4L2_CAP_IO_MC) != 0)
        return false;
    v4l2_fmtdesc description{};
    description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (; Call(VIDIOC_ENUM_FMT, &description) == 0; ++description.index) {
        if (IsDeliverable(description.pixelformat))
            return true;
    }
    return false;
}

void V4l2Device::Close()
{
    if (m_fd >= 0)
        m_io->Close(m_fd);
    m_fd = -1;
    m_capabilities = 0;
    m_card.clear();
    m_path.clear();
}

// 0, or the errno of the failed call.
int V4l2Device::Call(unsigned long request, void* argument) const
{
    if (!IsOpen())
        return ENODEV;
    return m_io->Ioctl(m_fd, request, argument) == 0 ? 0 : errno;
}

std::optional<v4l2_pix_format> V4l2Device::GetFormat() const
{
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Call(VIDIOC_G_FMT, &format) != 0)
        return std::nullopt;
    return format.fmt.pix;
}

// The device may adjust the request; GetFormat tells what it chose.
int V4l2Device::SetFormat(uint32_t pixelFormat, uint32_t width, uint32_t height)
{
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.pixelformat = pixelFormat;
    format.fmt.pix.width = width;
    format.fmt.pix.height = height;
    format.fmt.pix.field = V4L2_FIELD_NONE;
    return Call(VIDIOC_S_FMT, &format);
}

std::optional<uint32_t> V4l2Device::GetFrameInterval() const
{
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Call(VIDIOC_G_PARM, &parm) != 0 || (parm.parm.capture.capability & V4L2_CAP_TIMEPERFRAME) == 0)
        return std::nullopt;
    const uint32_t microseconds = FrameIntervalMicroseconds(parm.parm.capture.timeperframe);
    return microseconds > 0 ? std::optional(microseconds) : std::nullopt;
}

// The device rounds to an interval it supports.
int V4l2Device::SetFrameInterval(uint32_t microSecPerFrame)
{
    if (microSecPerFrame == 0)
        return 0;
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    parm.parm.capture.timeperframe = FrameIntervalFraction(microSecPerFrame);
    return Call(VIDIOC_S_PARM, &parm);
}

int V4l2Device::SetOverlay(bool on)
{
    int enable = on ? 1 : 0;
    return Call(VIDIOC_OVERLAY, &enable);
}

int V4l2Device::SetControl(uint32_t id, int32_t value)
{
    v4l2_control control{id, value};
    return Call(VIDIOC_S_CTRL, &control);
}
