#pragma once

#include <cstdint>

// The colour range in its stored form, as the settings and every preset keep it: a lower
// bound and a width for hue, saturation and value. A saturation or value width of 0 reaches
// up to 255.
struct StoredColourRange {
    int32_t h0 = 0;
    int32_t h1 = 0;
    int32_t s0 = 0;
    int32_t s1 = 0;
    int32_t v0 = 0;
    int32_t v1 = 0;
    bool operator==(const StoredColourRange&) const = default;
};

// The part of the program's settings that the colour controls and presets use: the six
// "HSV-" values and writing all settings back to the store.
class ColourSettings {
public:
    virtual ~ColourSettings() = default;
    virtual StoredColourRange StoredRange() const = 0;
    virtual void SetStoredRange(const StoredColourRange& range) = 0;
    // Writes every setting; 1 when the store took them, 0 when it could not be written.
    virtual int WriteRegistry() = 0;
};
