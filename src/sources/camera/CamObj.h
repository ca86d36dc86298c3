#pragma once

#include "imaging/FrameRecord.h"
#include "sources/camera/CaptureDriver.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <memory>

class CameraFrameSink;
struct CamSlot;

// Posted by the capture thread to the camera's host object, once for every frame.
constexpr QEvent::Type WM_CAMFRAME = static_cast<QEvent::Type>(QEvent::User + 1);

// One camera: the hidden host object that owns a capture driver, claims a capture slot,
// negotiates a 320-pixel-wide format and hands every frame to its sink on the UI thread.
class CCamObj : public QObject {
    Q_OBJECT

public:
    // The sink receives the frames; message boxes and driver dialogs are owned by
    // ownerWidget. A camera without a free slot stays unregistered and cannot connect.
    CCamObj(CameraFrameSink* pOwner, QWidget* ownerWidget,
            std::unique_ptr<CaptureDriver> driver);
    ~CCamObj() override;

    CCamObj(const CCamObj&) = delete;
    CCamObj& operator=(const CCamObj&) = delete;

    // 1 when the camera streams, 0 on failure. showDialogs shows the driver's display and
    // format dialogs first; the device is asked for microSecPerFrame per frame.
    int Connect(int showDialogs, uint32_t microSecPerFrame = kDefaultMicroSecPerFrame);
    int StartStream();
    // Once it returns, no capture callback runs and no further frame reaches the sink.
    void StopStream();

    static int VideoStreamCallback(CaptureHandle hCapWnd, const VideoHeader* header);
    int OnFrameReady();

protected:
    void customEvent(QEvent* event) override;

private:
    bool ConnectFirstDriver();
    bool FixFormat(BitmapInfoHeader& header);
    bool AskFor320Width(BitmapInfoHeader& header);
    std::optional<BitmapInfoHeader> FormatAfterDialog();
    void SetUpFrames();
    bool FillWorkFrame(CamSlot& slot);
    static void StoreFrame(CamSlot& slot, const VideoHeader& header);

    CameraFrameSink* m_pOwner = nullptr;
    QPointer<QWidget> m_ownerWidget;
    std::unique_ptr<CaptureDriver> m_driver;
    CaptureHandle m_hCapWnd = nullptr;
    int m_bShowDialogs = 0;
    int m_bYuy2 = 0;
    DriverCaps m_DriverCaps;
    CaptureParms m_CaptureParms;
    CaptureParms m_OrigCaptureParms;
    // Written by the capture thread, read on the UI thread.
    std::atomic<int> m_nFps = 0;
    int m_bBusy = 0;
    // 0 started (frames not yet set up), 1 running, 2 stopped.
    int m_nState = 2;
    BitmapInfoHeader m_bihFrame;
    FrameRecord m_workFrame;
};
