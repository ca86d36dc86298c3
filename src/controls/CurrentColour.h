#pragma once

#include "imaging/ColourConversion.h"

// The current colour (the lower corner of the colour range) as hue, saturation and value
// and as red, green and blue, kept equal through the converters, and the Old Mask colour:
// the colour as of the last Save, preset selection or start.
struct CurrentColour {
    RgbTriple m_rgb{128, 128, 128};
    RgbTriple m_rgbOld{128, 128, 128};
    HsvTriple m_hsv = RgbToHsv(RgbTriple{128, 128, 128});
};
