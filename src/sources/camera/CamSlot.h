#pragma once

#include "imaging/FrameRecord.h"
#include "sources/camera/CaptureDriver.h"

#include <cstddef>
#include <mutex>

class CCamObj;
class QObject;

constexpr int kCamSlotCount = 6;

// One of the six process-wide entries: a camera's frame record, written by its capture thread
// (whose stream callback is bound to the slot) and read on the UI thread.
struct CamSlot {
    bool inUse = false;
    CaptureHandle hCapWnd = nullptr;
    QObject* hNotifyWnd = nullptr;
    CCamObj* pCam = nullptr;

    // The fields below belong to frameMutex: the capture thread writes them for every
    // frame while the UI thread reads the pixels.
    std::mutex frameMutex;
    FrameRecord frame;
    std::size_t frameLength = 0;
    long long lastTick = 0;
    double intervalMs = 0.0;
};

// The first slot in use whose capture handle matches, or nullptr.
CamSlot* FindCamSlot(CaptureHandle hCapWnd);
// Claims the first free slot, or returns nullptr when all six are in use.
CamSlot* RegisterCamSlot(CaptureHandle hCapWnd, QObject* hNotifyWnd, CCamObj* pCam);
// Frees the slot's frame record and gives the slot back. The caller must have stopped the
// capture thread first. Returns false when no slot had the handle.
bool ReleaseCamSlot(CaptureHandle hCapWnd);
