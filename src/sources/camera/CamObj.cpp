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
        RegisterCamSlot(m_hCapWnd, this, this);
    }
}

CCamObj::~CCamObj()
{
    if (!m_driver)
        return;
    // A camera deleted without StopStream must not leave its capture thread writing into
    // the slot record that is freed next.
    m_driver->StopStreaming();
    if (ReleaseCamSlot(m_hCapWnd))
        m_driver->DriverDisconnect();
}

int CCamObj::Connect(int showDialogs, uint32_t microSecPerFrame)
{
    if (FindCamSlot(m_hCapWnd) == nullptr)
        return 0;
    m_bShowDialogs = showDialogs;
    m_bYuy2 = 0;
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
    m_CaptureParms.dwRequestMicroSecPerFrame = microSecPerFrame > 0 ? microSecPerFrame : kDefaultMicroSecPerFrame;
    if (m_DriverCaps.fHasOverlay)
        m_driver->SetOverlay(false);
    else
        m_driver->SetPreview(false);

    std::optional<BitmapInfoHeader> header = m_driver->GetVideoFormat();
    if (!header || !FixFormat(*header) || !AskFor320Width(*header))
        return 0;
    m_bihFrame = *header;
    // Taken from the format in force: a format dialog may have changed it after the fixes.
    m_bYuy2 = m_bihFrame.biCompression == kFourccYuy2 ? 1 : 0;
    m_bBusy = 0;
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

std::optional<BitmapInfoHeader> CCamObj::FormatAfterDialog()
{
    m_driver->VideoFormatDialog(m_ownerWidget);
    return m_driver->GetVideoFormat();
}

int CCamObj::StartStream()
{
    m_nState = 0;
    m_bBusy = 0;
    m_driver->SetSequenceSetup(m_CaptureParms);
    if (!m_driver->StartStreaming(&CCamObj::VideoStreamCallback)) {
        m_nState = 2;
        return 0;
    }
    return 1;
}

void CCamObj::StopStream()
{
    m_nState = 2;
    if (m_driver) {
        m_driver->StopStreaming();
        m_driver->SetSequenceSetup(m_OrigCaptureParms);
    }
    // A sink that stops the camera from inside its frame call still holds the work record;
    // OnFrameReady frees it when that call returns.
    if (m_bBusy == 0)
        m_workFrame.release();
}

int CCamObj::VideoStreamCallback(CaptureHandle hCapWnd, const VideoHeader* header)
{
    CamSlot* slot = FindCamSlot(hCapWnd);
    if (slot == nullptr || header == nullptr)
        return 1;
    {
        std::lock_guard lock(slot->frameMutex);
        const long long now = ElapsedMilliseconds();
        slot->intervalMs = double(now - slot->lastTick);
        slot->lastTick = now;
        if (slot->pCam != nullptr)
            slot->pCam->m_nFps = FramesPerSecond(slot->intervalMs);
        StoreFrame(*slot, *header);
    }
    if (slot->hNotifyWnd != nullptr)
        QCoreApplication::postEvent(slot->hNotifyWnd, new QEvent(WM_CAMFRAME));
    return 1;
}

// The record is sized by the first frame and grows when a later buffer is longer, so the
// copy never runs past it; frameLength tells the UI thread how many bytes are this frame's.
void CCamObj::StoreFrame(CamSlot& slot, const VideoHeader& header)
{
    const std::size_t length = header.lpData != nullptr ? header.dwBufferLength : 0;
    if (slot.pFrame.size() < kBitmapHeaderSize + length)
        slot.pFrame.resize(kBitmapHeaderSize + length);
    if (length > 0)
        std::memcpy(slot.pFrame.pixels(), header.lpData, length);
    slot.frameLength = length;
}

void CCamObj::customEvent(QEvent* event)
{
    if (event->type() == WM_CAMFRAME)
        OnFrameReady();
}

int CCamObj::OnFrameReady()
{
    // Frames queued before StopStream are not the pipeline's any more.
    if (m_nState == 2)
        return 0;
    CamSlot* slot = FindCamSlot(m_hCapWnd);
    if (slot == nullptr)
        return 0;
    if (m_nState == 0)
        SetUpFrames();
    if (m_bBusy != 0 || !FillWorkFrame(*slot))
        return 0;
    m_bBusy = 1;
    if (m_pOwner != nullptr)
        m_pOwner->ProcessCameraFrame(m_workFrame, m_nFps);
    m_bBusy = 0;
    if (m_nState == 0)
        m_nState = 1;
    else if (m_nState == 2)
        m_workFrame.release();
    return 0;
}

// The header of the records handed on: YUY2 becomes 24-bit RGB, and an uncompressed header
// that gives no image size gets the size its width, height and bit count imply.
void CCamObj::SetUpFrames()
{
    BitmapInfoHeader header = m_driver->GetVideoFormat().value_or(m_bihFrame);
    if (m_bYuy2 != 0) {
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
    const std::size_t outputBytes = m_bYuy2 != 0 ? PixelCount(m_bihFrame) * 3 : m_bihFrame.biSizeImage;
    const std::size_t sourceBytes = m_bYuy2 != 0 ? PixelCount(m_bihFrame) * 2 : outputBytes;
    std::lock_guard lock(slot.frameMutex);
    if (outputBytes == 0 || slot.frameLength < sourceBytes)
        return false;
    m_workFrame.resize(kBitmapHeaderSize + outputBytes);
    m_workFrame.setHeader(m_bihFrame);
    if (m_bYuy2 != 0)
        Yuy2ToRgb24(m_bihFrame.biWidth, std::abs(m_bihFrame.biHeight), slot.pFrame.pixels(), m_workFrame.pixels());
    else
        std::memcpy(m_workFrame.pixels(), slot.pFrame.pixels(), sourceBytes);
    return true;
}
