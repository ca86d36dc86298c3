#pragma once

#include "imaging/FrameRecord.h"
#include "imaging/HsvTable.h"
#include "imaging/ShownRegion.h"

#include <optional>
#include <vector>

// Colour ranges taken from regions of a picture. Hue is an arc on the circle throughout, so
// a range around red wraps through 0 rather than going the long way round.

// The share of a region's pixels that a range taken from it passes, and of a cut region's
// pixels that a cut stops, so that a few stray pixels do not decide the range.
constexpr int kRobustSharePercent = 98;

// The HSV table's entries (the ones the mask tests) of the region's pixels, the region
// clipped to the frame; empty for a frame without three colour bytes per pixel.
std::vector<HsvEntry> SampleRegion(const ImageView& frame, const PixelRect& region);

// True when the range passes a hue of 0-359, by the mask's rule.
bool HuePasses(const HsvRange& range, int hue);

// True when the range passes the entry, by the mask's rule.
bool RangePasses(const HsvRange& range, const HsvEntry& entry);

// The smallest range that passes at least kRobustSharePercent of the samples: starting from
// all of them, the side of hue, saturation or value that gives the most width for the fewest
// samples is moved in, step by step, while the samples given up stay within the share.
// Hue bounds come as h0 0-359 and h1 = h0 + width. Nothing for no samples.
std::optional<HsvRange> RangeOfSamples(const std::vector<HsvEntry>& samples);

// The smallest range that passes everything both ranges pass: the shorter arc round the
// hue circle, the outer saturation and value bounds.
HsvRange WidenRange(const HsvRange& range, const HsvRange& added);

// The range with one side of hue, saturation or value moved in just far enough that at least
// kRobustSharePercent of the cut samples it passes stop passing. Of the six sides, the one
// that keeps the most of the kept samples passing wins; on a tie, the one that gives up the
// least width. A saturation or value range is never left one value wide below 255, which
// the stored form cannot hold. Nothing when the range passes none of the cut samples or
// no side can be moved.
std::optional<HsvRange> CutRange(const HsvRange& range, const std::vector<HsvEntry>& cut,
                                 const std::vector<HsvEntry>& kept);
