#include "sources/virtual/VirtualCaptureDriver.h"

#include "platform/ModalRunner.h"
#include "sources/camera/CaptureDisplayDialog.h"
#include "sources/camera/CaptureFormatDialog.h"
#include "sources/virtual/VirtualScene.h"

#include <algorithm>
#include <chrono>

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

QString VirtualCaptureDriver::DeviceName() const
{
    return QStringLiteral("Virtual Camera");
}

QString VirtualCaptureDriver::CardName() const
{
    return DeviceName();
}

CaptureControlDevice* VirtualCaptureDriver::Controls()
{
    return m_connected ? &m_controls : nullptr;
}

bool VirtualCaptureDriver::GetDriverCaps(DriverCaps& caps)
{
    caps.hasOverlay = false;
    return m_connected;
}

void VirtualCaptureDriver::VideoDisplayDialog(QWidget* owner)
{
    CaptureDisplayDialog dialog(owner, DeviceName(), m_controls);
    RunModal(dialog);
}

// There is one format to choose, so the dialog only shows it.
void VirtualCaptureDriver::VideoFormatDialog(QWidget* owner)
{
    const CaptureFormatChoice only{kFourccYuy2, QStringLiteral("YUY2 4:2:2"), {QSize(kVirtualWidth, kVirtualHeight)}};
    CaptureFormatDialog dialog(owner, DeviceName(), {only}, kFourccYuy2, QSize(kVirtualWidth, kVirtualHeight));
    RunModal(dialog);
}

CaptureParms VirtualCaptureDriver::GetSequenceSetup()
{
    return CaptureParms{m_microSecPerFrame};
}

bool VirtualCaptureDriver::SetSequenceSetup(const CaptureParms& parms)
{
    if (parms.microSecPerFrame > 0)
        m_microSecPerFrame = parms.microSecPerFrame;
    return true;
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

// The virtual camera never stalls and cannot be unplugged, so it has no events to report.
bool VirtualCaptureDriver::StartStreaming(VideoStreamCallbackFn callback, StreamEventCallbackFn)
{
    StopStreaming();
    if (!m_connected || !callback)
        return false;
    m_stopRequested = false;
    m_frame.resize(kVirtualFrameBytes);
    m_thread = std::thread(&VirtualCaptureDriver::Run, this, std::move(callback), m_microSecPerFrame);
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
        callback(&header);
        due = std::max(due + interval, std::chrono::steady_clock::now());
        lock.lock();
        m_stopSignal.wait_until(lock, due, [this] { return m_stopRequested; });
    }
}
