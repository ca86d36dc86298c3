#pragma once

#include "imaging/FrameRecord.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

class QWidget;
class CaptureDriver;

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
    virtual bool GetDriverCaps(DriverCaps& caps) = 0;

    virtual void VideoDisplayDialog(QWidget* owner) = 0;
    virtual void VideoFormatDialog(QWidget* owner) = 0;

    // The parameters in force; a device that cannot tell reports the default interval.
    virtual CaptureParms GetSequenceSetup() = 0;
    // Applies what the device supports; an interval of 0 leaves the device's own.
    virtual void SetSequenceSetup(const CaptureParms& parms) = 0;
    virtual void SetOverlay(bool on) = 0;
    virtual void SetPreview(bool on) = 0;
    // The header of the frames the driver delivers, or nothing when it cannot be read.
    virtual std::optional<BitmapInfoHeader> GetVideoFormat() = 0;

    // The callback runs on the driver's capture thread until StopStreaming returns.
    virtual bool StartStreaming(VideoStreamCallbackFn callback) = 0;
    // Wakes and joins the capture thread: once it returns, the callback no longer runs.
    virtual void StopStreaming() = 0;
};
