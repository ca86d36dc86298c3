#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

// The camera settings a preset was saved with, beside "preset.ini": for each preset name and
// camera model (its card name), the values of the camera's writable controls, by control id.
// A JSON object {"preset": {"card": [{"id": 9963776, "value": 10}, ...]}}, so that any name
// the preset file can hold is a key as it is.

inline const QString kPresetCameraFileName = QStringLiteral("preset-camera.json");

using StoredControlValues = std::vector<std::pair<uint32_t, int32_t>>;
// Keyed by preset name, then card name.
using PresetCameraSettings = std::map<std::pair<QString, QString>, StoredControlValues>;

// What a file's content holds; entries of the wrong shape are left out, and content that is
// not a JSON object holds nothing.
PresetCameraSettings ParsePresetCameraFile(const QByteArray& content);
QByteArray FormatPresetCameraFile(const PresetCameraSettings& settings);

// The file in the program's folder (or the user's, as for "preset.ini"); nothing when it is
// missing or unreadable.
PresetCameraSettings ReadPresetCameraSettings();
// Replaces the file whole; false when it could not be written.
bool WritePresetCameraSettings(const PresetCameraSettings& settings);

// Drops the settings of every preset not named in presetNames.
void KeepListedPresets(PresetCameraSettings& settings, const QStringList& presetNames);
