#pragma once

#include "sources/SourceWidgets.h"
#include "sources/camera/CamObj.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class SnapshotSound;
class SourceHost;
struct PipelineState;

// The camera branch of the source buttons: connect a camera, take snapshots of its frames,
// set its frame rate, remove it. The newest camera is at the tail of the list. A camera
// whose device is lost is removed with one message, then onLost runs.
class CameraSource : public QObject {
    Q_OBJECT

public:
    CameraSource(const SourceWidgets& widgets, SourceHost& host, PipelineState& state, SnapshotSound& sound,
                 std::function<void()> onLost);
    ~CameraSource() override;
    CameraSource(const CameraSource&) = delete;
    CameraSource& operator=(const CameraSource&) = delete;

    // Connects a camera when none is open; with one open, asks the pipeline to save its next
    // frame.
    void AddCamera();
    // Stops and deletes the newest camera, if any; a snapshot still waiting for its frame
    // is dropped.
    void DeleteCamera();
    // Asks for a frame rate, then replaces the open camera by a newly connected one, showing
    // the driver's dialogs.
    void CamSetup();
    // Stops and deletes every camera.
    void DeleteAll();

    bool HasCamera() const { return !m_CamList.empty(); }
    // The newest camera, or null when none is connected.
    CCamObj* ConnectedCamera() const { return HasCamera() ? m_CamList.back().get() : nullptr; }

private:
    void ConnectCamera(int showDialogs, uint32_t microSecPerFrame);
    void ReportConnectFailure(const CCamObj& camera);
    void RestartFrameRate();
    void OnStalled();
    void OnLost(const QPointer<CCamObj>& camera);

    SourceWidgets m_widgets;
    SourceHost& m_host;
    PipelineState& m_state;
    SnapshotSound& m_sound;
    std::function<void()> m_onLost;
    std::vector<std::unique_ptr<CCamObj>> m_CamList;
};
