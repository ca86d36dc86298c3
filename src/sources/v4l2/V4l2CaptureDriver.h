#pragma once

#include "sources/camera/CaptureDriver.h"
#include "sources/v4l2/V4l2Controls.h"
#include "sources/v4l2/V4l2Device.h"
#include "sources/v4l2/V4l2Io.h"
#include "sources/v4l2/V4l2Stream.h"

#include <memory>

// Drivers 0 to 9 are the first ten video capture devices in node-number order.
class V4l2CaptureDriver final : public CaptureDriver {
public:
    explicit V4l2CaptureDriver(std::shared_ptr<V4l2Io> io);
    ~V4l2CaptureDriver() override;

    bool DriverConnect(int driverIndex) override;
    void DriverDisconnect() override;
    QString DeviceName() const override;
    QString CardName() const override;
    CaptureControlDevice* Controls() override;
    DeviceError LastError() const override { return m_error; }
    bool GetDriverCaps(DriverCaps& caps) override;
    void VideoDisplayDialog(QWidget* owner) override;
    void VideoFormatDialog(QWidget* owner) override;
    CaptureParms GetSequenceSetup() override;
    bool SetSequenceSetup(const CaptureParms& parms) override;
    void SetOverlay(bool on) override;
    void SetPreview(bool on) override;
    std::optional<BitmapInfoHeader> GetVideoFormat() override;
    bool StartStreaming(VideoStreamCallbackFn onFrame, StreamEventCallbackFn onEvent) override;
    void StopStreaming() override;

private:
    // Notes a refusal the user must hear of; true when the call succeeded.
    bool Succeeded(int error);

    V4l2Device m_device;
    V4l2ControlDevice m_controls{m_device};
    DeviceError m_error = DeviceError::None;
    std::unique_ptr<V4l2Stream> m_stream;
    // Set once the user has kept MJPEG in the format dialog: from then on the frames are
    // decoded and reported as 24-bit BGR.
    bool m_mjpegAccepted = false;
};
