#pragma once

#include "sources/camera/CaptureDriver.h"
#include "sources/virtual/VirtualControls.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// A camera for tests and demos, compiled in and chosen with VIZMAR_CAMERA=virtual: 320 × 240
// YUY2 frames of moving coloured shapes, streamed on a capture thread of its own at the
// requested interval. Every driver index connects, so several cameras can run at once.
class VirtualCaptureDriver final : public CaptureDriver {
public:
    VirtualCaptureDriver() = default;
    ~VirtualCaptureDriver() override;

    bool DriverConnect(int driverIndex) override;
    void DriverDisconnect() override;
    QString DeviceName() const override;
    QString CardName() const override;
    CaptureControlDevice* Controls() override;
    DeviceError LastError() const override { return DeviceError::None; }
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
    void Run(VideoStreamCallbackFn callback, uint32_t microSecPerFrame);

    bool m_connected = false;
    uint32_t m_microSecPerFrame = kDefaultMicroSecPerFrame;
    // Switched from the display dialog while the capture thread draws.
    std::atomic<bool> m_moving = true;
    VirtualControls m_controls{m_moving};
    int m_frameIndex = 0;
    std::vector<uint8_t> m_frame;

    std::thread m_thread;
    std::mutex m_stopMutex;
    std::condition_variable m_stopSignal;
    bool m_stopRequested = false;
};
