#pragma once

#include "app/CGlobal.h"
#include "controls/ColourSettings.h"

// The settings object as the colour controls and presets see it: its six "HSV-" members and
// its WriteRegistry.
class GlobalColourSettings : public ColourSettings {
public:
    explicit GlobalColourSettings(CGlobal& global);

    StoredColourRange StoredRange() const override;
    void SetStoredRange(const StoredColourRange& range) override;
    int WriteRegistry() override;

private:
    CGlobal& m_Global;
};
