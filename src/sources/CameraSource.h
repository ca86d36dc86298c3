#pragma once

#include "sources/SourceWidgets.h"
#include "sources/camera/CamObj.h"

#include <cstdint>
#include <memory>
#include <vector>

class SnapshotSound;
class SourceHost;
struct PipelineState;

// The camera branch of the source buttons: connect a camera, take snapshots of its frames,
// set its frame rate, remove it. The newest camera is at the tail of the list.
class CameraSource {
public:
    CameraSource(const SourceWidgets& widgets, SourceHost& host, PipelineState& state, SnapshotSound& sound);
    ~CameraSource();
    CameraSource(const CameraSource&) = delete;
    CameraSource& operator=(const CameraSource&) = delete;

    // Connects a camera when none is open; with one open, asks the pipeline to save its next
    // frame.
    void AddCamera();
    // Stops and deletes the newest camera, if any.
    void DeleteCamera();
    // Asks for a frame rate, then replaces the open camera by a newly connected one, showing
    // the driver's dialogs.
    void CamSetup();
    // Stops and deletes every camera.
    void DeleteAll();

    bool HasCamera() const { return !m_CamList.empty(); }

private:
    void ConnectCamera(int showDialogs, uint32_t microSecPerFrame);
    void RestartFrameRate();

    SourceWidgets m_widgets;
    SourceHost& m_host;
    PipelineState& m_state;
    SnapshotSound& m_sound;
    std::vector<std::unique_ptr<CCamObj>> m_CamList;
};
