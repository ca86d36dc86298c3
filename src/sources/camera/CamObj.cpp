#include "sources/camera/CamObj.h"

#include "imaging/FormatConversion.h"
#include "platform/MessageBox.h"
#include "platform/ProgramClock.h"
#include "sources/camera/CamSlot.h"
#include "sources/camera/CameraFrameSink.h"
#include "sources/camera/FrameRate.h"

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr int kMaxDriverIndex = 9;
constexpr int32_t kRequiredWidth = 320;

const QString kResolutionQuestion =
    QStringLiteral("Please use 320x240 resolution for this application.\r\nDo you want to configure?");

std::size_t PixelCount(const BitmapInfoHeader& header)
{
    if (header.biWidth <= 0 || header.biHeight == 0)
        return 0;
    return std::size_t(header.biWidth) * std::size_t(std::abs(header.biHeight));
}

}  // namespace

CCamObj::CCamObj(CameraFrameSink* pOwner, QWidget* ownerWidget, std::unique_ptr<CaptureDriver> driver)
    : m_pOwner(pOwner), m_ownerWidget(ownerWidget), m_driver(std::move(driver))
{
    if (m_driver) {
        m_hCapWnd = m_driver->Handle();
        m_slot = RegisterCamSlot(m_hCapWnd, this, this);
    }
}

CCamObj::~CCamObj()
{
    if (!m_driver)
        return;
    // A camera deleted without StopStream must not leave its capture thread writing into
    // the slot record that is freed next.
    m_driver->StopStreaming();
    m_slot = nullptr;
    if (ReleaseCamSlot(m_hCapWnd))
        m_driver->DriverDisconnect();
}

int CCamObj::Connect(int showDialogs, uint32_t microSecPerFrame)
{
    if (m_slot == nullptr)
        return 0;
    m_bShowDialogs = showDialogs;
    m_bYuy2 = false;
    if (!ConnectFirstDriver())
        return 0;
    if (!m_driver->GetDriverCaps(m_DriverCaps)) {
        m_DriverCaps = DriverCaps{};
        return 0;
    }
    if (m_bShowDialogs) {
        m_driver->VideoDisplayDialog(m_ownerWidget);
        m_driver->VideoFormatDialog(m_ownerWidget);
    }
    m_CaptureParms = m_driver->GetSequenceSetup();
    m_OrigCaptureParms = m_CaptureParms;
    m_CaptureParms.microSecPerFrame = microSecPerFrame > 0 ? microSecPerFrame : kDefaultMicroSecPerFrame;
    if (m_DriverCaps.hasOverlay)
        m_driver->SetOverlay(false);
    else
        m_driver->SetPreview(false);

    std::optional<BitmapInfoHeader> header = m_driver->GetVideoFormat();
    if (!header || !FixFormat(*header) || !AskFor320Width(*header))
        return 0;
    m_bihFrame = *header;
    // Taken from the format in force: a format dialog may have changed it after the fixes.
    m_bYuy2 = m_bihFrame.biCompression == kFourccYuy2;
    m_bBusy = false;
    return StartStream();
}

bool CCamObj::ConnectFirstDriver()
{
    for (int index = 0; index <= kMaxDriverIndex; ++index) {
        if (m_driver->DriverConnect(index))
            return true;
    }
    return false;
}

// A YUY2 format must have 16 bits; any other compressed one must decode to 24 or 32 bits.
// Each fix offers the format dialog once.
bool CCamObj::FixFormat(BitmapInfoHeader& header)
{
    const bool isYuy2 = header.biCompression == kFourccYuy2;
    const bool needsDialog = isYuy2 ? header.biBitCount != 16
                                    : header.biCompression != 0 && header.biBitCount != 24 && header.biBitCount != 32;
    if (!needsDialog)
        return true;
    std::optional<BitmapInfoHeader> changed = FormatAfterDialog();
    if (!changed)
        return false;
    header = *changed;
    return true;
}

bool CCamObj::AskFor320Width(BitmapInfoHeader& header)
{
    while (header.biWidth != kRequiredWidth) {
        const auto answer =
            ShowMessageBox(m_ownerWidget, kResolutionQuestion, MessageButtons::YesNo, MessageIcon::Stop);
        if (answer != QMessageBox::Yes)
            return false;
        std::optional<BitmapInfoHeader> changed = FormatAfterDialog();
        if (!changed)
            return false;
        header = *changed;
    }
    return true;
}

// Nothing when the device refused the format the user chose because it is busy or gone:
// asking again would not help.
std::optional<BitmapInfoHeader> CCamObj::FormatAfterDialog()
{
    m_driver->VideoFormatDialog(m_ownerWidget);
    if (m_driver->LastError() != DeviceError::None)
        return std::nullopt;
    return m_driver->GetVideoFormat();
}

QString CCamObj::DeviceName() const
{
    return m_driver ? m_driver->DeviceName() : QString();
}

DeviceError CCamObj::ConnectError() const
{
    return m_driver ? m_driver->LastError() : DeviceError::None;
}

QString CCamObj::CardName() const
{
    return m_driver ? m_driver->CardName() : QString();
}

CaptureControlDevice* CCamObj::Controls() const
{
    return m_driver ? m_driver->Controls() : nullptr;
}

int CCamObj::StartStream()
{
    m_state = State::Started;
    m_bBusy = false;
    CamSlot& slot = *m_slot;
    const bool streaming =
        m_driver->SetSequenceSetup(m_CaptureParms)
        && m_driver->StartStreaming([&slot](const VideoHeader* header) { return VideoStreamCallback(slot, header); },
                                     [this](StreamEvent event) { PostStreamEvent(event); });
    if (!streaming) {
        m_state = State::Stopped;
        return 0;
    }
    return 1;
}

void CCamObj::StopStream()
{
    m_state = State::Stopped;
    if (m_driver) {
        m_driver->StopStreaming();
        // A device that is gone or taken keeps whatever rate it has; nothing is left to do.
        m_driver->SetSequenceSetup(m_OrigCaptureParms);
    }
    // A sink that stops the camera from inside its frame call still holds the work record;
    // OnFrameReady frees it when that call returns.
    if (!m_bBusy)
        m_workFrame.release();
}

// The slot's camera fields do not change while its stream runs: they are set before
// StartStreaming and cleared only after StopStreaming has joined the thread.
int CCamObj::VideoStreamCallback(CamSlot& slot, const VideoHeader* header)
{
    if (header == nullptr)
        return 1;
    {
        std::lock_guard lock(slot.frameMutex);
        const long long now = ElapsedMilliseconds();
        slot.intervalMs = double(now - slot.lastTick);
        slot.lastTick = now;
        if (slot.pCam != nullptr)
            slot.pCam->m_nFps = FramesPerSecond(slot.intervalMs);
        StoreFrame(slot, *header);
    }
    if (slot.hNotifyWnd != nullptr)
        QCoreApplication::postEvent(slot.hNotifyWnd, new QEvent(WM_CAMFRAME));
    return 1;
}

// The record is sized by the first frame and grows when a later buffer is longer, so the
// copy never runs past it; frameLength tells the UI thread how many bytes are this frame's.
void CCamObj::StoreFrame(CamSlot& slot, const VideoHeader& header)
{
    const std::size_t length = header.data != nullptr ? header.length : 0;
    if (slot.frame.size() < kBitmapHeaderSize + length)
        slot.frame.resize(kBitmapHeaderSize + length);
    if (length > 0)
        std::memcpy(slot.frame.pixels(), header.data, length);
    slot.frameLength = length;
}

// The camera outlives its capture thread, and Qt drops events posted to a deleted object.
void CCamObj::PostStreamEvent(StreamEvent event)
{
    QCoreApplication::postEvent(this, new CaptureStreamEvent(event));
}

void CCamObj::customEvent(QEvent* event)
{
    if (event->type() == WM_CAMFRAME) {
        OnFrameReady();
        return;
    }
    if (event->type() != CaptureStreamEvent::kType || m_state == State::Stopped)
        return;
    if (static_cast<CaptureStreamEvent*>(event)->streamEvent == StreamEvent::Lost)
        emit Lost();
    else
        emit Stalled();
}

int CCamObj::OnFrameReady()
{
    // Frames queued before StopStream are not the pipeline's any more.
    if (m_state == State::Stopped || m_slot == nullptr)
        return 0;
    if (m_state == State::Started)
        SetUpFrames();
    if (m_bBusy || !FillWorkFrame(*m_slot))
        return 0;
    m_bBusy = true;
    if (m_pOwner != nullptr)
        m_pOwner->ProcessCameraFrame(m_workFrame, m_nFps);
    m_bBusy = false;
    if (m_state == State::Started)
        m_state = State::Running;
    else if (m_state == State::Stopped)
        m_workFrame.release();
    return 0;
}

// The header of the records handed on: YUY2 becomes 24-bit RGB, and an uncompressed header
// that gives no image size gets the size its width, height and bit count imply.
void CCamObj::SetUpFrames()
{
    BitmapInfoHeader header = m_driver->GetVideoFormat().value_or(m_bihFrame);
    if (m_bYuy2) {
        header.biCompression = 0;
        header.biBitCount = 24;
        header.biSizeImage = static_cast<uint32_t>(PixelCount(header) * 3);
    } else if (header.biCompression == 0 && header.biSizeImage == 0) {
        header.biSizeImage = static_cast<uint32_t>(PixelCount(header) * (header.biBitCount / 8));
    }
    m_bihFrame = header;
}

// Fills the work record from the slot's last frame; a frame with fewer bytes than the
// header needs is dropped rather than read past its end.
bool CCamObj::FillWorkFrame(CamSlot& slot)
{
    const std::size_t outputBytes = m_bYuy2 ? PixelCount(m_bihFrame) * 3 : m_bihFrame.biSizeImage;
    const std::size_t sourceBytes = m_bYuy2 ? PixelCount(m_bihFrame) * 2 : outputBytes;
    std::lock_guard lock(slot.frameMutex);
    if (outputBytes == 0 || slot.frameLength < sourceBytes)
        return false;
    m_workFrame.resize(kBitmapHeaderSize + outputBytes);
    m_workFrame.setHeader(m_bihFrame);
    if (m_bYuy2)
        Yuy2ToRgb24(m_bihFrame.biWidth, std::abs(m_bihFrame.biHeight), slot.frame.pixels(), m_workFrame.pixels());
    else
        std::memcpy(m_workFrame.pixels(), slot.frame.pixels(), sourceBytes);
    return true;
}
