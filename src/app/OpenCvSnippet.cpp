#include "app/OpenCvSnippet.h"

#include "imaging/RegionRange.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>

namespace {

constexpr int kHues = 360;
constexpr int kOpenCvHues = 180;
constexpr int kTopLevel = 255;
// OpenCV's 8-bit hue lies within this much (in its own units) of half the exact hue: measured
// over all 16,777,216 colours it strays 0.64 either way, rounding included.
constexpr double kOpenCvHueError = 0.65;

// Exact hues in degrees, from `from` up to `to`, which is left out when `open`.
struct DegreeSpan {
    double from = 0;
    double to = 0;
    bool open = false;
};

// The exact hues, in degrees, that the HSV table gives hue k: it truncates towards zero, so
// hues from 300 up (computed as negative angles) come rounded up, and hues just below 360
// become 0.
std::vector<DegreeSpan> ExactHuesOf(int k)
{
    if (k == 0)
        return {{0, 1, true}, {359, 360, true}};
    if (k < 300)
        return {{double(k), k + 1.0, true}};
    if (k == 300)
        return {{300, 300, false}};
    return {{k - 1.0, double(k), false}};
}

int LowestOpenCvHue(const DegreeSpan& span)
{
    return int(std::ceil(span.from / 2 - kOpenCvHueError));
}

int HighestOpenCvHue(const DegreeSpan& span)
{
    const double highest = span.to / 2 + kOpenCvHueError;
    return span.open ? int(std::ceil(highest)) - 1 : int(std::floor(highest));
}

std::array<bool, kOpenCvHues> OpenCvHuesPassing(const HsvRange& range)
{
    std::array<bool, kOpenCvHues> passing{};
    for (int k = 0; k < kHues; ++k) {
        if (!HuePasses(range, k))
            continue;
        // OpenCV's hue goes round from 179 to 0.
        for (const DegreeSpan& span : ExactHuesOf(k))
            for (int h = LowestOpenCvHue(span); h <= HighestOpenCvHue(span); ++h)
                passing[std::size_t((h + kOpenCvHues) % kOpenCvHues)] = true;
    }
    return passing;
}

std::string Triple(const int (&values)[3], const char* separator)
{
    std::ostringstream text;
    text << values[0] << separator << values[1] << separator << values[2];
    return text.str();
}

std::string RangeComment(const HsvRange& range, const char* comment)
{
    std::ostringstream text;
    text << comment << " Colour range from Vizmar, where hue runs 0 to 359 (a range past 359 goes on\n"
         << comment << " through 0): hue " << range.hueLow << " to " << range.hueHigh << ", saturation " << range.saturationLow << " to "
         << range.saturationHigh << ", value " << range.valueLow << " to " << range.valueHigh << ".\n"
         << comment << " OpenCV's 8-bit HSV halves the hue (0 to 179); the bounds below are rounded\n"
         << comment << " outward, so every colour that passes in Vizmar passes here.\n";
    return text.str();
}

const char* kGrowShrinkNote = " Vizmar grows the mask by the \"Erosion\" count, then shrinks it by the \"Dilation\" "
                              "count,\n";
const char* kStepNote = " one step to the four neighbours at a time.\n";

std::string CppSnippet(const HsvRange& range, const std::vector<OpenCvBounds>& bounds,
                       const std::optional<MorphologyCounts>& morphology)
{
    std::ostringstream text;
    text << RangeComment(range, "//") << "#include <opencv2/imgproc.hpp>\n\n"
         << "cv::Mat VizmarMask(const cv::Mat& bgr)\n{\n"
         << "    cv::Mat hsv;\n    cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV);\n"
         << "    cv::Mat mask = cv::Mat::zeros(bgr.size(), CV_8UC1);\n";
    if (bounds.size() > 1)
        text << "    // The hue range wraps through 0: one range on each side, joined.\n";
    for (const OpenCvBounds& part : bounds)
        text << "    {\n        cv::Mat part;\n        cv::inRange(hsv, cv::Scalar(" << Triple(part.low, ", ")
             << "), cv::Scalar(" << Triple(part.high, ", ") << "), part);\n        mask |= part;\n    }\n";
    if (morphology) {
        text << "    //" << kGrowShrinkNote << "    //" << kStepNote
             << "    const cv::Mat cross = cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(3, 3));\n";
        if (morphology->grow > 0)
            text << "    cv::dilate(mask, mask, cross, cv::Point(-1, -1), " << morphology->grow << ");\n";
        if (morphology->shrink > 0)
            text << "    cv::erode(mask, mask, cross, cv::Point(-1, -1), " << morphology->shrink << ");\n";
    }
    text << "    return mask;\n}\n";
    return text.str();
}

std::string PythonSnippet(const HsvRange& range, const std::vector<OpenCvBounds>& bounds,
                          const std::optional<MorphologyCounts>& morphology)
{
    std::ostringstream text;
    text << RangeComment(range, "#") << "import cv2\nimport numpy as np\n\n\n"
         << "def vizmar_mask(bgr):\n"
         << "    hsv = cv2.cvtColor(bgr, cv2.COLOR_BGR2HSV)\n"
         << "    mask = np.zeros(bgr.shape[:2], np.uint8)\n";
    if (bounds.size() > 1)
        text << "    # The hue range wraps through 0: one range on each side, joined.\n";
    for (const OpenCvBounds& part : bounds)
        text << "    mask |= cv2.inRange(hsv, np.array([" << Triple(part.low, ", ") << "], np.uint8), np.array(["
             << Triple(part.high, ", ") << "], np.uint8))\n";
    if (morphology) {
        text << "    #" << kGrowShrinkNote << "    #" << kStepNote
             << "    cross = cv2.getStructuringElement(cv2.MORPH_CROSS, (3, 3))\n";
        if (morphology->grow > 0)
            text << "    mask = cv2.dilate(mask, cross, iterations=" << morphology->grow << ")\n";
        if (morphology->shrink > 0)
            text << "    mask = cv2.erode(mask, cross, iterations=" << morphology->shrink << ")\n";
    }
    text << "    return mask\n";
    return text.str();
}

}  // namespace

std::vector<OpenCvBounds> OpenCvRanges(const HsvRange& range)
{
    const int s0 = std::clamp(range.saturationLow, 0, kTopLevel);
    // The table truncates saturation where OpenCV rounds it, one level up at most.
    const int s1 = std::clamp(range.saturationHigh + 1, 0, kTopLevel);
    const int v0 = std::clamp(range.valueLow, 0, kTopLevel);
    const int v1 = std::clamp(range.valueHigh, 0, kTopLevel);
    const std::array<bool, kOpenCvHues> hues = OpenCvHuesPassing(range);
    std::vector<OpenCvBounds> bounds;
    for (int h = 0; h < kOpenCvHues; ++h) {
        if (!hues[std::size_t(h)])
            continue;
        int last = h;
        while (last + 1 < kOpenCvHues && hues[std::size_t(last) + 1])
            ++last;
        bounds.push_back({{h, s0, v0}, {last, s1, v1}});
        h = last;
    }
    // The part that starts at 0 goes last, after the one that reaches up to 179.
    if (bounds.size() > 1 && bounds.front().low[0] == 0)
        std::rotate(bounds.begin(), bounds.begin() + 1, bounds.end());
    return bounds;
}

std::string OpenCvSnippet(CodeLanguage language, const HsvRange& range,
                          const std::optional<MorphologyCounts>& morphology)
{
    const std::vector<OpenCvBounds> bounds = OpenCvRanges(range);
    return language == CodeLanguage::Cpp ? CppSnippet(range, bounds, morphology)
                                         : PythonSnippet(range, bounds, morphology);
}
