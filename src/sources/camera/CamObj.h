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

// Posted by the capture thread when its stream stalls or its device is lost.
class CaptureStreamEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 2);
    explicit CaptureStreamEvent(StreamEvent event) : QEvent(kType), streamEvent(event) {}
    const StreamEvent streamEvent;
};

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

    // The device as the user knows it, and why it refused the connection, if it said so.
    QString DeviceName() const;
    DeviceError ConnectError() const;
    // The camera's model, and its controls (null without a driver or device).
    QString CardName() const;
    CaptureControlDevice* Controls() const;

    // The stream callback, bound to the camera's slot: runs on the capture thread.
    static int VideoStreamCallback(CamSlot& slot, const VideoHeader* header);
    int OnFrameReady();

signals:
    // Emitted on the UI thread: no frame has come for two seconds; the device is gone and
    // its stream has ended.
    void Stalled();
    void Lost();

protected:
    void customEvent(QEvent* event) override;

private:
    bool ConnectFirstDriver();
    bool FixFormat(BitmapInfoHeader& header);
    bool AskFor320Width(BitmapInfoHeader& header);
    std::optional<BitmapInfoHeader> FormatAfterDialog();
    void PostStreamEvent(StreamEvent event);
    void SetUpFrames();
    bool FillWorkFrame(CamSlot& slot);
    static void StoreFrame(CamSlot& slot, const VideoHeader& header);

    CameraFrameSink* m_pOwner = nullptr;
    QPointer<QWidget> m_ownerWidget;
    std::unique_ptr<CaptureDriver> m_driver;
    CaptureHandle m_hCapWnd = nullptr;
    CamSlot* m_slot = nullptr;
    int m_bShowDialogs = 0;
    bool m_bYuy2 = false;
    DriverCaps m_DriverCaps;
    CaptureParms m_CaptureParms;
    CaptureParms m_OrigCaptureParms;
    // Written by the capture thread, read on the UI thread.
    std::atomic<int> m_nFps = 0;
    bool m_bBusy = false;
    // Started: the frames are set up at the first frame event.
    enum class State { Started, Running, Stopped };
    State m_state = State::Stopped;
    BitmapInfoHeader m_bihFrame;
    FrameRecord m_workFrame;
};
