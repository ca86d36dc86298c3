#include "sources/camera/CamSlot.h"

#include <array>

namespace {

std::array<CamSlot, kCamSlotCount> camSlots;
// Guards inUse, hCapWnd, hNotifyWnd and pCam while the UI thread claims and releases slots.
std::mutex tableMutex;

CamSlot* FindLocked(CaptureHandle hCapWnd)
{
    for (CamSlot& slot : camSlots) {
        if (slot.inUse && slot.hCapWnd == hCapWnd)
            return &slot;
    }
    return nullptr;
}

}  // namespace

CamSlot* FindCamSlot(CaptureHandle hCapWnd)
{
    std::lock_guard lock(tableMutex);
    return FindLocked(hCapWnd);
}

CamSlot* RegisterCamSlot(CaptureHandle hCapWnd, QObject* hNotifyWnd, CCamObj* pCam)
{
    std::lock_guard lock(tableMutex);
    for (CamSlot& slot : camSlots) {
        if (!slot.inUse) {
            slot.hCapWnd = hCapWnd;
            slot.hNotifyWnd = hNotifyWnd;
            slot.pCam = pCam;
            slot.inUse = true;
            return &slot;
        }
    }
    return nullptr;
}

bool ReleaseCamSlot(CaptureHandle hCapWnd)
{
    std::lock_guard lock(tableMutex);
    CamSlot* slot = FindLocked(hCapWnd);
    if (slot == nullptr)
        return false;
    {
        std::lock_guard frameLock(slot->frameMutex);
        slot->frame.release();
        slot->frameLength = 0;
    }
    slot->inUse = false;
    slot->hCapWnd = nullptr;
    slot->hNotifyWnd = nullptr;
    slot->pCam = nullptr;
    return true;
}
