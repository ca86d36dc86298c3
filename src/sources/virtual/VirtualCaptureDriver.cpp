#include "sources/virtual/VirtualCaptureDriver.h"

#include "platform/ModalRunner.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/camera/CaptureFormatDialog.h"
#include "sources/virtual/VirtualScene.h"

#include <algorithm>
#include <chrono>

namespace {
constexpr uint32_t kMoveShapesControl = 1;
}  // namespace

VirtualCaptureDriver::~VirtualCaptureDriver()
{
    StopStreaming();
}

bool VirtualCaptureDriver::DriverConnect(int)
{
    m_connected = true;
    return true;
}

void VirtualCaptureDriver::DriverDisconnect()
{
    StopStreaming();
    m_connected = false;
}

bool VirtualCaptureDriver::GetDriverCaps(DriverCaps& caps)
{
    caps.fHasOverlay = 0;
    return m_connected;
}

void VirtualCaptureDriver::VideoDisplayDialog(QWidget* owner)
{
    CaptureControl moveShapes;
    moveShapes.id = kMoveShapesControl;
    moveShapes.name = QStringLiteral("Move shapes");
    moveShapes.kind = CaptureControl::Kind::Boolean;
    moveShapes.maximum = 1;
    moveShapes.value = m_moving ? 1 : 0;
    CaptureDisplayDialog dialog(owner, {moveShapes}, [this](uint32_t, int32_t value) { m_moving = value != 0; });
    RunModal(dialog);
}

// There is one format to choose, so the dialog only shows it.
void VirtualCaptureDriver::VideoFormatDialog(QWidget* owner)
{
    const CaptureFormatChoice only{kFourccYuy2, QStringLiteral("YUY2 4:2:2"), {QSize(kVirtualWidth, kVirtualHeight)}};
    CaptureFormatDialog dialog(owner, {only}, kFourccYuy2, QSize(kVirtualWidth, kVirtualHeight));
    RunModal(dialog);
}

CaptureParms VirtualCaptureDriver::GetSequenceSetup()
{
    return CaptureParms{m_microSecPerFrame};
}

void VirtualCaptureDriver::SetSequenceSetup(const CaptureParms& parms)
{
    if (parms.dwRequestMicroSecPerFrame > 0)
        m_microSecPerFrame = parms.dwRequestMicroSecPerFrame;
}

// The virtual camera never draws into a window, so overlay and preview are always off.
void VirtualCaptureDriver::SetOverlay(bool) {}
void VirtualCaptureDriver::SetPreview(bool) {}

std::optional<BitmapInfoHeader> VirtualCaptureDriver::GetVideoFormat()
{
    if (!m_connected)
        return std::nullopt;
    BitmapInfoHeader header = MakeBitmapHeader(kVirtualWidth, kVirtualHeight, 16);
    header.biCompression = kFourccYuy2;
    return header;
}

bool VirtualCaptureDriver::StartStreaming(VideoStreamCallbackFn callback)
{
    StopStreaming();
    if (!m_connected || callback == nullptr)
        return false;
    m_stopRequested = false;
    m_frame.resize(kVirtualFrameBytes);
    m_thread = std::thread(&VirtualCaptureDriver::Run, this, callback, m_microSecPerFrame);
    return true;
}

void VirtualCaptureDriver::StopStreaming()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_stopMutex);
        m_stopRequested = true;
    }
    m_stopSignal.notify_all();
    m_thread.join();
}

// Frames follow a fixed schedule, so a slow receiver does not slow the camera down.
void VirtualCaptureDriver::Run(VideoStreamCallbackFn callback, uint32_t microSecPerFrame)
{
    const auto interval = std::chrono::microseconds(microSecPerFrame);
    auto due = std::chrono::steady_clock::now();
    std::unique_lock lock(m_stopMutex);
    while (!m_stopRequested) {
        lock.unlock();
        RenderVirtualFrame(m_frameIndex, m_frame.data());
        if (m_moving)
            m_frameIndex = (m_frameIndex + 1) % kVirtualCycle;
        const VideoHeader header{m_frame.data(), m_frame.size()};
        callback(Handle(), &header);
        due = std::max(due + interval, std::chrono::steady_clock::now());
        lock.lock();
        m_stopSignal.wait_until(lock, due, [this] { return m_stopRequested; });
    }
}
