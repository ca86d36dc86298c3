#pragma once

#include <QObject>
#include <QString>

class CCamObj;
class CameraSource;
class PresetControls;
class QWidget;

// Lets the camera settings travel with a preset: "Save As" with a camera connected stores the
// values of its writable controls under the preset's name and the camera's model; choosing
// the preset with a camera of the same model connected writes them back; deleting the preset
// drops them. A colour range holds only while exposure and white balance hold.
class PresetCameraLink : public QObject {
    Q_OBJECT

public:
    PresetCameraLink(QWidget& dialog, PresetControls& presets, CameraSource& cameras);

signals:
    // The stored values of the chosen preset reached the camera.
    void CameraSettingsApplied();

private:
    // The connected camera when it has a device with controls, else null.
    const CCamObj* CameraWithControls() const;
    void OnPresetSaved(const QString& name);
    void OnPresetChosen(const QString& name);
    void OnPresetDeleted();

    QWidget& m_dialog;
    PresetControls& m_presets;
    CameraSource& m_cameras;
};

inline const QString kPresetCameraSaveError = QStringLiteral("Saving PRESET camera settings error!");
