#pragma once

#include "imaging/HsvTable.h"

#include <optional>
#include <string>
#include <vector>

// The colour range as code for OpenCV's 8-bit HSV, where hue runs 0-179 (half of ours) and
// saturation and value 0-255 as here.

enum class CodeLanguage { Cpp, Python };

// The mask's grow and shrink steps: this program grows the range mask with the "Erosion"
// count and then shrinks it with the "Dilation" count.
struct MorphologyCounts {
    int grow = 0;
    int shrink = 0;
};

// Lower and upper bound of one inRange call, as hue, saturation, value.
struct OpenCvBounds {
    int low[3];
    int high[3];
};

// The inRange bounds whose union passes every colour this range passes: hue, saturation
// and value bounds rounded outward to OpenCV's scale, hue split in two where it wraps
// through 0. Empty when no hue passes.
std::vector<OpenCvBounds> OpenCvRanges(const HsvRange& range);

// A short, commented snippet that computes the mask with OpenCV: a C++ function
// `cv::Mat VizmarMask(const cv::Mat& bgr)` or a Python function `vizmar_mask(bgr)`.
std::string OpenCvSnippet(CodeLanguage language, const HsvRange& range,
                          const std::optional<MorphologyCounts>& morphology);
