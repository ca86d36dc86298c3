#include "sources/v4l2/V4l2CaptureDriver.h"

#include "platform/ModalRunner.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/camera/CaptureFormatDialog.h"
#include "sources/v4l2/V4l2Controls.h"
#include "sources/v4l2/V4l2FormatList.h"
#include "sources/v4l2/V4l2PixelFormats.h"

V4l2CaptureDriver::V4l2CaptureDriver(std::shared_ptr<V4l2Io> io) : m_device(std::move(io)) {}

V4l2CaptureDriver::~V4l2CaptureDriver()
{
    StopStreaming();
}

bool V4l2CaptureDriver::DriverConnect(int driverIndex)
{
    StopStreaming();
    m_mjpegAccepted = false;
    return m_device.Open(driverIndex);
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
    caps.fHasOverlay = (m_device.Capabilities() & V4L2_CAP_VIDEO_OVERLAY) != 0 ? 1 : 0;
    return true;
}

void V4l2CaptureDriver::VideoDisplayDialog(QWidget* owner)
{
    if (!m_device.IsOpen())
        return;
    CaptureDisplayDialog dialog(owner, ListCaptureControls(m_device.Io(), m_device.Fd()),
                                [this](uint32_t id, int32_t value) { m_device.SetControl(id, value); });
    RunModal(dialog);
}

void V4l2CaptureDriver::VideoFormatDialog(QWidget* owner)
{
    const std::optional<v4l2_pix_format> current = m_device.GetFormat();
    if (!current)
        return;
    CaptureFormatDialog dialog(owner, ListCaptureFormats(m_device.Io(), m_device.Fd()), current->pixelformat,
                               QSize(int(current->width), int(current->height)));
    if (RunModal(dialog) == QDialog::Accepted && dialog.selectedFormat() != 0 && dialog.selectedSize().isValid()) {
        const QSize size = dialog.selectedSize();
        m_device.SetFormat(dialog.selectedFormat(), uint32_t(size.width()), uint32_t(size.height()));
    }
    const std::optional<v4l2_pix_format> chosen = m_device.GetFormat();
    const V4l2PixelLayout* layout = chosen ? FindPixelLayout(chosen->pixelformat) : nullptr;
    m_mjpegAccepted = layout != nullptr && layout->kind == V4l2PixelLayout::Kind::Mjpeg;
}

CaptureParms V4l2CaptureDriver::GetSequenceSetup()
{
    return CaptureParms{m_device.GetFrameInterval().value_or(kDefaultMicroSecPerFrame)};
}

void V4l2CaptureDriver::SetSequenceSetup(const CaptureParms& parms)
{
    m_device.SetFrameInterval(parms.dwRequestMicroSecPerFrame);
}

void V4l2CaptureDriver::SetOverlay(bool on)
{
    m_device.SetOverlay(on);
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
    if (layout == nullptr)
        return CompressedHeader(format->pixelformat, width, height, format->sizeimage);
    if (layout->kind == V4l2PixelLayout::Kind::Mjpeg && !m_mjpegAccepted)
        return CompressedHeader(kFourccMjpg, width, height, format->sizeimage);
    return DeliveredHeader(*layout, width, height);
}

bool V4l2CaptureDriver::StartStreaming(VideoStreamCallbackFn callback)
{
    StopStreaming();
    const std::optional<v4l2_pix_format> format = m_device.GetFormat();
    const V4l2PixelLayout* layout = format ? FindPixelLayout(format->pixelformat) : nullptr;
    if (layout == nullptr || callback == nullptr)
        return false;
    const V4l2StreamFormat streamFormat{layout, int(format->width), int(format->height), format->bytesperline};
    m_stream = std::make_unique<V4l2Stream>(m_device.Io(), m_device.Fd(), streamFormat, Handle(), callback);
    if (!m_stream->Start()) {
        m_stream.reset();
        return false;
    }
    return true;
}

void V4l2CaptureDriver::StopStreaming()
{
    m_stream.reset();
}
