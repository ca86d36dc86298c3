#pragma once

#include "imaging/FrameRecord.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

class QWidget;
class CaptureDriver;
class CaptureControlDevice;

// The capture-window handle of a camera: an opaque id of its driver object, the key of the
// camera's capture slot.
using CaptureHandle = const CaptureDriver*;

// One captured buffer as the driver hands it to the stream callback.
struct VideoHeader {
    const uint8_t* data = nullptr;
    std::size_t length = 0;
};

// Runs on the driver's own capture thread, once per frame; the camera binds it to its slot.
using VideoStreamCallbackFn = std::function<int(const VideoHeader* header)>;

// What a capture thread reports besides frames: no frame for a while, or the device gone
// (the thread has then ended).
enum class StreamEvent { Stalled, Lost };
using StreamEventCallbackFn = std::function<void(StreamEvent event)>;

// Why the device refused, where the user must be told: another program streams from it,
// or it is gone.
enum class DeviceError { None, InUse, Lost };

struct DriverCaps {
    bool hasOverlay = false;
};

// The capture parameters this system changes: the frame interval the device is asked for.
struct CaptureParms {
    uint32_t microSecPerFrame = 0;
};

constexpr uint32_t kDefaultMicroSecPerFrame = 33333;
constexpr uint32_t kFourccYuy2 = 0x32595559;
constexpr uint32_t kFourccMjpg = 0x47504A4D;

// A capture device seen the way a Video for Windows capture window sees it: connect one of
// drivers 0 to 9, ask it, show its dialogs, and stream frames to a callback on a thread of
// the driver's own.
class CaptureDriver {
public:
    virtual ~CaptureDriver() = default;

    CaptureHandle Handle() const { return this; }

    virtual bool DriverConnect(int driverIndex) = 0;
    virtual void DriverDisconnect() = 0;
    // The connected device as the user knows it, for titles and messages.
    virtual QString DeviceName() const = 0;
    // The model's name, the same for every camera of that model and on every node.
    virtual QString CardName() const = 0;
    // The connected device's controls, or null when none is connected; usable while
    // streaming, until the driver disconnects.
    virtual CaptureControlDevice* Controls() = 0;
    // The reason of the last refusal that ends the connection, or None.
    virtual DeviceError LastError() const = 0;
    virtual bool GetDriverCaps(DriverCaps& caps) = 0;

    virtual void VideoDisplayDialog(QWidget* owner) = 0;
    virtual void VideoFormatDialog(QWidget* owner) = 0;

    // The parameters in force; a device that cannot tell reports the default interval.
    virtual CaptureParms GetSequenceSetup() = 0;
    // Applies what the device supports (it may round the interval, or keep its own when it
    // cannot set one); an interval of 0 leaves the device's own. False when the device
    // refused in a way that ends the connection (LastError says why).
    virtual bool SetSequenceSetup(const CaptureParms& parms) = 0;
    virtual void SetOverlay(bool on) = 0;
    virtual void SetPreview(bool on) = 0;
    // The header of the frames the driver delivers, or nothing when it cannot be read.
    virtual std::optional<BitmapInfoHeader> GetVideoFormat() = 0;

    // Both callbacks run on the driver's capture thread until StopStreaming returns.
    virtual bool StartStreaming(VideoStreamCallbackFn onFrame, StreamEventCallbackFn onEvent) = 0;
    // Wakes and joins the capture thread: once it returns, the callback no longer runs.
    virtual void StopStreaming() = 0;
};
