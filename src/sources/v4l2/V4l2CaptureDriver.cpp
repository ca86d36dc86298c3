#include "sources/v4l2/V4l2CaptureDriver.h"

#include "platform/ModalRunner.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/camera/CaptureFormatDialog.h"
#include "sources/v4l2/V4l2FormatList.h"
#include "sources/v4l2/V4l2PixelFormats.h"

#include <cerrno>

V4l2CaptureDriver::V4l2CaptureDriver(std::shared_ptr<V4l2Io> io) : m_device(std::move(io)) {}

V4l2CaptureDriver::~V4l2CaptureDriver()
{
    StopStreaming();
}

bool V4l2CaptureDriver::DriverConnect(int driverIndex)
{
    StopStreaming();
    m_mjpegAccepted = false;
    m_error = DeviceError::None;
    return m_device.Open(driverIndex);
}

QString V4l2CaptureDriver::DeviceName() const
{
    return QString::fromStdString(m_device.Name());
}

QString V4l2CaptureDriver::CardName() const
{
    return QString::fromStdString(m_device.Card());
}

CaptureControlDevice* V4l2CaptureDriver::Controls()
{
    return m_device.IsOpen() ? &m_controls : nullptr;
}

// UVC lets every program open a camera and refuses the second one's format, rate and
// buffers with EBUSY; an unplugged one answers ENODEV, a broken one EIO.
bool V4l2CaptureDriver::Succeeded(int error)
{
    if (error == EBUSY)
        m_error = DeviceError::InUse;
    else if (error == ENODEV || error == EIO)
        m_error = DeviceError::Lost;
    return error == 0;
}

void V4l2CaptureDriver::DriverDisconnect()
{
    StopStreaming();
    m_device.Close();
}

bool V4l2CaptureDriver::GetDriverCaps(DriverCaps& caps)
{
    if (!m_device.IsOpen())
        return false;
    caps.hasOverlay = (m_device.Capabilities() & V4L2_CAP_VIDEO_OVERLAY) != 0;
    return true;
}

void V4l2CaptureDriver::VideoDisplayDialog(QWidget* owner)
{
    if (!m_device.IsOpen())
        return;
    CaptureDisplayDialog dialog(owner, DeviceName(), m_controls);
    RunModal(dialog);
}

void V4l2CaptureDriver::VideoFormatDialog(QWidget* owner)
{
    const std::optional<v4l2_pix_format> current = m_device.GetFormat();
    if (!current)
        return;
    CaptureFormatDialog dialog(owner, DeviceName(), ListCaptureFormats(m_device.Io(), m_device.Fd()),
                               current->pixelformat, QSize(int(current->width), int(current->height)));
    if (RunModal(dialog) == QDialog::Accepted && dialog.selectedFormat() != 0 && dialog.selectedSize().isValid()) {
        const QSize size = dialog.selectedSize();
        Succeeded(m_device.SetFormat(dialog.selectedFormat(), uint32_t(size.width()), uint32_t(size.height())));
    }
    const std::optional<v4l2_pix_format> chosen = m_device.GetFormat();
    const V4l2PixelLayout* layout = chosen ? FindPixelLayout(chosen->pixelformat) : nullptr;
    m_mjpegAccepted = layout != nullptr && layout->kind == V4l2PixelLayout::Kind::Mjpeg;
}

CaptureParms V4l2CaptureDriver::GetSequenceSetup()
{
    return CaptureParms{m_device.GetFrameInterval().value_or(kDefaultMicroSecPerFrame)};
}

// A device without frame-rate control (ENOTTY, EINVAL) keeps its own rate.
bool V4l2CaptureDriver::SetSequenceSetup(const CaptureParms& parms)
{
    const int error = m_device.SetFrameInterval(parms.microSecPerFrame);
    return Succeeded(error) || error == ENOTTY || error == EINVAL;
}

void V4l2CaptureDriver::SetOverlay(bool on)
{
    Succeeded(m_device.SetOverlay(on));
}

// This driver never draws a preview of its own, so there is nothing to switch.
void V4l2CaptureDriver::SetPreview(bool) {}

std::optional<BitmapInfoHeader> V4l2CaptureDriver::GetVideoFormat()
{
    const std::optional<v4l2_pix_format> format = m_device.GetFormat();
    if (!format)
        return std::nullopt;
    const int width = int(format->width);
    const int height = int(format->height);
    const V4l2PixelLayout* layout = FindPixelLayout(format->pixelformat);
    if (layout == nullptr || !IsDeliverable(format->pixelformat))
        return CompressedHeader(format->pixelformat, width, height, format->sizeimage);
    if (layout->kind == V4l2PixelLayout::Kind::Mjpeg && !m_mjpegAccepted)
        return CompressedHeader(kFourccMjpg, width, height, format->sizeimage);
    return DeliveredHeader(*layout, width, height);
}

bool V4l2CaptureDriver::StartStreaming(VideoStreamCallbackFn onFrame, StreamEventCallbackFn onEvent)
{
    StopStreaming();
    const std::optional<v4l2_pix_format> format = m_device.GetFormat();
    if (!format || !IsDeliverable(format->pixelformat) || !onFrame || !onEvent)
        return false;
    const V4l2StreamFormat streamFormat{FindPixelLayout(format->pixelformat), int(format->width),
                                        int(format->height), format->bytesperline,
                                        m_device.GetFrameInterval().value_or(kDefaultMicroSecPerFrame)};
    m_stream = std::make_unique<V4l2Stream>(m_device.Io(), m_device.Fd(), streamFormat, std::move(onFrame),
                                           std::move(onEvent));
    if (!Succeeded(m_stream->Start())) {
        m_stream.reset();
        return false;
    }
    return true;
}

void V4l2CaptureDriver::StopStreaming()
{
    m_stream.reset();
}
