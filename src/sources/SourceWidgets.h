#pragma once

#include <QString>

class QAbstractButton;
class QLineEdit;
class QSlider;
class QWidget;

// The controls of the "Image Source" box, with the frame-rate read-out that only the camera
// mode shows, and the dialog that owns the sources' message boxes and dialogs.
struct SourceWidgets {
    QWidget* owner = nullptr;
    QAbstractButton* addCam = nullptr;     // "Add Cam" / "Snapshot" / "Open"
    QAbstractButton* deleteCam = nullptr;  // "Del Cam" / "Close"
    QAbstractButton* camSetup = nullptr;   // "Cam setup" / "Play" / "Stop"
    QAbstractButton* webCamera = nullptr;
    QAbstractButton* aviFile = nullptr;
    QWidget* fpsLabel = nullptr;
    QWidget* fps = nullptr;
    QSlider* frameSlider = nullptr;
    QLineEdit* frameCounter = nullptr;
};

// The source buttons' captions.
inline const QString kAddCamLabel = QStringLiteral("Add Cam");
inline const QString kSnapshotLabel = QStringLiteral("Snapshot");
inline const QString kOpenLabel = QStringLiteral("Open");
inline const QString kDelCamLabel = QStringLiteral("Del Cam");
inline const QString kCloseLabel = QStringLiteral("Close");
inline const QString kCamSetupLabel = QStringLiteral("Cam setup");
inline const QString kPlayLabel = QStringLiteral("Play");
inline const QString kStopLabel = QStringLiteral("Stop");

// Both source radio buttons on or off: they are off while a source is open.
void EnableSourceChoice(const SourceWidgets& widgets, bool enabled);
