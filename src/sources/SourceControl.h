#pragma once

#include "sources/AviFileSource.h"
#include "sources/CameraSource.h"
#include "sources/SnapshotSound.h"
#include "sources/SourceWidgets.h"

#include <QObject>

struct PipelineOptions;
struct PipelineState;

// The "Image Source" box: the choice between web camera and AVI file, and the three source
// buttons, whose meaning and captions follow that choice and the source's state. Files
// dropped on the dialog open here too.
class SourceControl : public QObject {
    Q_OBJECT

public:
    // Connects itself to the widgets; the pipeline's options carry the source mode.
    SourceControl(const SourceWidgets& widgets, SourceHost& host, PipelineState& state, PipelineOptions& options);
    ~SourceControl() override;

    void OnBnClickedAddCam();
    void OnBnClickedDeleteCam();
    void OnBnClickedCamSetup();
    void OnBnClickedWebCamera();
    void OnBnClickedAviFile();

    // Opens a file dropped on the dialog, unless a camera is connected.
    void OnFileDropped(const QString& path);
    // Shows the paused file frame again, after a change of what its result depends on.
    void RedrawPausedFrame();

    // Captions, enabling and visibility of the source controls for the current mode.
    void UpdateSourceButtons();

    // Stops playback and every camera and closes the file, as the dialog's end does.
    void OnDestroy();

    CameraSource& Cameras() { return m_cameras; }
    AviFileSource& AviFile() { return m_aviFile; }

private:
    void ConnectWidgets();
    bool FileMode() const;
    void ShowNoSource();
    void OnCameraLost();

    SourceWidgets m_widgets;
    SourceHost& m_host;
    PipelineOptions& m_options;
    SnapshotSound m_sound;
    CameraSource m_cameras;
    AviFileSource m_aviFile;
};
