#pragma once

#include "sources/camera/CaptureDriver.h"
#include "sources/v4l2/V4l2Device.h"
#include "sources/v4l2/V4l2Io.h"
#include "sources/v4l2/V4l2Stream.h"

#include <memory>

// Drivers 0 to 9 are /dev/video0 to /dev/video9.
class V4l2CaptureDriver final : public CaptureDriver {
public:
    explicit V4l2CaptureDriver(std::shared_ptr<V4l2Io> io);
    ~V4l2CaptureDriver() override;

    bool DriverConnect(int driverIndex) override;
    void DriverDisconnect() override;
    bool GetDriverCaps(DriverCaps& caps) override;
    void VideoDisplayDialog(QWidget* owner) override;
    void VideoFormatDialog(QWidget* owner) override;
    CaptureParms GetSequenceSetup() override;
    void SetSequenceSetup(const CaptureParms& parms) override;
    void SetOverlay(bool on) override;
    void SetPreview(bool on) override;
    std::optional<BitmapInfoHeader> GetVideoFormat() override;
    bool StartStreaming(VideoStreamCallbackFn callback) override;
    void StopStreaming() override;

private:
    V4l2Device m_device;
    std::unique_ptr<V4l2Stream> m_stream;
    // Set once the user has kept MJPEG in the format dialog: from then on the frames are
    // decoded and reported as 24-bit BGR.
    bool m_mjpegAccepted = false;
};
