#include "sources/v4l2/V4l2CaptureDriver.h"

#include "platform/ModalRunner.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/camera/CaptureFormatDialog.h"
#include "sources/v4l2/V4l2Controls.h"
#include "sources/v4l2/V4l2FormatList.h"
#include "sources/v4l2/V4l2PixelFormats.h"

V4l2CaptureDriver::V4l2CaptureDriver(std::shared_ptr<V4l2Io> io) : device_(std::move(io)) {}

V4l2CaptureDriver::~V4l2CaptureDriver()
{
    StopStreaming();
}

bool V4l2CaptureDriver::DriverConnect(int driverIndex)
{
    StopStreaming();
    mjpegAccepted_ = false;
    return device_.Open(driverIndex);
}

void V4l2CaptureDriver::DriverDisconnect()
{
    StopStreaming();
    device_.Close();
}

bool V4l2CaptureDriver::GetDriverCaps(DriverCaps& caps)
{
    if (!device_.IsOpen())
        return false;
    caps.hasOverlay = (device_.Capabilities() & V4L2_CAP_VIDEO_OVERLAY) != 0;
    return true;
}

void V4l2CaptureDriver::VideoDisplayDialog(QWidget* owner)
{
    if (!device_.IsOpen())
        return;
    CaptureDisplayDialog dialog(owner, ListCaptureControls(device_.Io(), device_.Fd()),
                                [this](uint32_t id, int32_t value) { device_.SetControl(id, value); });
    RunModal(dialog);
}

void V4l2CaptureDriver::VideoFormatDialog(QWidget* owner)
{
    const std::optional<v4l2_pix_format> current = device_.GetFormat();
    if (!current)
        return;
    CaptureFormatDialog dialog(owner, ListCaptureFormats(device_.Io(), device_.Fd()), current->pixelformat,
                               QSize(int(current->width), int(current->height)));
    if (RunModal(dialog) == QDialog::Accepted && dialog.selectedFormat() != 0 && dialog.selectedSize().isValid()) {
        const QSize size = dialog.selectedSize();
        device_.SetFormat(dialog.selectedFormat(), uint32_t(size.width()), uint32_t(size.height()));
    }
    const std::optional<v4l2_pix_format> chosen = device_.GetFormat();
    const V4l2PixelLayout* layout = chosen ? FindPixelLayout(chosen->pixelformat) : nullptr;
    mjpegAccepted_ = layout != nullptr && layout->kind == V4l2PixelLayout::Kind::Mjpeg;
}

CaptureParms V4l2CaptureDriver::GetSequenceSetup()
{
    return CaptureParms{device_.GetFrameInterval().value_or(kDefaultMicroSecPerFrame)};
}

void V4l2CaptureDriver::SetSequenceSetup(const CaptureParms& parms)
{
    device_.SetFrameInterval(parms.microSecPerFrame);
}

void V4l2CaptureDriver::SetOverlay(bool on)
{
    device_.SetOverlay(on);
}

// This driver never draws a preview of its own, so there is nothing to switch.
void V4l2CaptureDriver::SetPreview(bool) {}

std::optional<BitmapInfoHeader> V4l2CaptureDriver::GetVideoFormat()
{
    const std::optional<v4l2_pix_format> format = device_.GetFormat();
    if (!format)
        return std::nullopt;
    const int width = int(format->width);
    const int height = int(format->height);
    const V4l2PixelLayout* layout = FindPixelLayout(format->pixelformat);
    if (layout == nullptr)
        return CompressedHeader(format->pixelformat, width, height, format->sizeimage);
    if (layout->kind == V4l2PixelLayout::Kind::Mjpeg && !mjpegAccepted_)
        return CompressedHeader(kFourccMjpg, width, height, format->sizeimage);
    return DeliveredHeader(*layout, width, height);
}

bool V4l2CaptureDriver::StartStreaming(VideoStreamCallbackFn callback)
{
    StopStreaming();
    const std::optional<v4l2_pix_format> format = device_.GetFormat();
    const V4l2PixelLayout* layout = format ? FindPixelLayout(format->pixelformat) : nullptr;
    if (layout == nullptr || callback == nullptr)
        return false;
    const V4l2StreamFormat streamFormat{layout, int(format->width), int(format->height), format->bytesperline};
    stream_ = std::make_unique<V4l2Stream>(device_.Io(), device_.Fd(), streamFormat, std::move(callback));
    if (!stream_->Start()) {
        stream_.reset();
        return false;
    }
    return true;
}

void V4l2CaptureDriver::StopStreaming()
{
    stream_.reset();
}
