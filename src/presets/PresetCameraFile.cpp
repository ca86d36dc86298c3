#include "presets/PresetCameraFile.h"

#include "platform/ProgramFolder.h"
#include "presets/PresetFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString kIdKey = QStringLiteral("id");
const QString kValueKey = QStringLiteral("value");

// A JSON number that is a whole number within the range of T, or nothing.
template <typename T>
std::optional<T> WholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    const bool inRange = number >= double(std::numeric_limits<T>::min()) && number <= double(std::numeric_limits<T>::max());
    if (!inRange || std::trunc(number) != number)
        return std::nullopt;
    return static_cast<T>(number);
}

StoredControlValues ParseValues(const QJsonArray& array)
{
    StoredControlValues values;
    for (const QJsonValue& entry : array) {
        const QJsonObject control = entry.toObject();
        const std::optional<uint32_t> id = WholeNumber<uint32_t>(control.value(kIdKey));
        const std::optional<int32_t> value = WholeNumber<int32_t>(control.value(kValueKey));
        if (id && value)
            values.emplace_back(*id, *value);
    }
    return values;
}

QJsonArray FormatValues(const StoredControlValues& values)
{
    QJsonArray array;
    for (const auto& [id, value] : values)
        array.append(QJsonObject{{kIdKey, qint64(id)}, {kValueKey, value}});
    return array;
}

}  // namespace

PresetCameraSettings ParsePresetCameraFile(const QByteArray& content)
{
    PresetCameraSettings settings;
    const QJsonObject presets = QJsonDocument::fromJson(content).object();
    for (auto preset = presets.begin(); preset != presets.end(); ++preset) {
        const QJsonObject cameras = preset.value().toObject();
        for (auto camera = cameras.begin(); camera != cameras.end(); ++camera) {
            if (camera.value().isArray())
                settings[{preset.key(), camera.key()}] = ParseValues(camera.value().toArray());
        }
    }
    return settings;
}

QByteArray FormatPresetCameraFile(const PresetCameraSettings& settings)
{
    QJsonObject presets;
    for (const auto& [key, values] : settings) {
        QJsonObject cameras = presets.value(key.first).toObject();
        cameras.insert(key.second, FormatValues(values));
        presets.insert(key.first, cameras);
    }
    return QJsonDocument(presets).toJson(QJsonDocument::Indented);
}

PresetCameraSettings ReadPresetCameraSettings()
{
    QFile file(DataFileToRead(kPresetCameraFileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ParsePresetCameraFile(file.readAll());
}

bool WritePresetCameraSettings(const PresetCameraSettings& settings)
{
    return WritePresetFile(DataFileToWrite(kPresetCameraFileName), FormatPresetCameraFile(settings));
}

void KeepListedPresets(PresetCameraSettings& settings, const QStringList& presetNames)
{
    std::erase_if(settings, [&](const auto& entry) { return !presetNames.contains(entry.first.first); });
}
