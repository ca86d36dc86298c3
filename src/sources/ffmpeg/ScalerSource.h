#pragma once

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

// What to tell the scaler about a decoded picture: its pixel format and whether its levels are
// full range. The JPEG variants of the planar YUV formats are deprecated in the scaler; they
// are the plain formats with full-range levels.
struct ScalerSource {
    AVPixelFormat format;
    bool fullRange;
};

ScalerSource ScalerSourceOf(const AVFrame& frame);
