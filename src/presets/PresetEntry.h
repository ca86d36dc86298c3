#pragma once

#include "controls/ColourSettings.h"

#include <QString>

// One preset: a named colour range in its stored form.
struct PresetEntry {
    QString name;
    StoredColourRange range;
    bool operator==(const PresetEntry&) const = default;
};
