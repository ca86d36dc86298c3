#include "app/PresetCameraLink.h"

#include "platform/MessageBox.h"
#include "presets/PresetCameraFile.h"
#include "presets/PresetControls.h"
#include "sources/CameraSource.h"
#include "sources/camera/ControlWriting.h"

#include <QWidget>

PresetCameraLink::PresetCameraLink(QWidget& dialog, PresetControls& presets, CameraSource& cameras)
    : QObject(&dialog), m_dialog(dialog), m_presets(presets), m_cameras(cameras)
{
    connect(&presets, &PresetControls::PresetSaved, this, &PresetCameraLink::OnPresetSaved);
    connect(&presets, &PresetControls::PresetChosen, this, &PresetCameraLink::OnPresetChosen);
    connect(&presets, &PresetControls::PresetDeleted, this, &PresetCameraLink::OnPresetDeleted);
}

const CCamObj* PresetCameraLink::CameraWithControls() const
{
    const CCamObj* camera = m_cameras.ConnectedCamera();
    return camera != nullptr && camera->Controls() != nullptr ? camera : nullptr;
}

// Saving a name again replaces what that camera model had under it; other models' values
// stay, for the presets of the same name saved with them.
void PresetCameraLink::OnPresetSaved(const QString& name)
{
    const CCamObj* camera = CameraWithControls();
    if (camera == nullptr)
        return;
    StoredControlValues values;
    for (const CaptureControl& control : camera->Controls()->ReadControls()) {
        if (control.Writable())
            values.emplace_back(control.id, control.value);
    }
    PresetCameraSettings settings = ReadPresetCameraSettings();
    KeepListedPresets(settings, m_presets.UserPresetNames());
    settings[{name, camera->CardName()}] = std::move(values);
    if (!WritePresetCameraSettings(settings))
        ShowMessageBox(&m_dialog, kPresetCameraSaveError, MessageButtons::Ok, MessageIcon::None);
}

// The automatic modes are written in an order the camera accepts: a manual value goes in
// before its automatic mode is switched back on.
void PresetCameraLink::OnPresetChosen(const QString& name)
{
    const CCamObj* camera = CameraWithControls();
    if (camera == nullptr)
        return;
    const PresetCameraSettings settings = ReadPresetCameraSettings();
    const auto stored = settings.find({name, camera->CardName()});
    if (stored == settings.end())
        return;
    WriteControlValues(*camera->Controls(), stored->second);
    emit CameraSettingsApplied();
}

// Another preset of the same name keeps the values.
void PresetCameraLink::OnPresetDeleted()
{
    PresetCameraSettings settings = ReadPresetCameraSettings();
    const std::size_t before = settings.size();
    KeepListedPresets(settings, m_presets.UserPresetNames());
    if (settings.size() != before)
        WritePresetCameraSettings(settings);
}
