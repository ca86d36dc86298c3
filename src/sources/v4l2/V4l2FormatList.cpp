#include "sources/v4l2/V4l2FormatList.h"

#include "sources/v4l2/V4l2PixelFormats.h"

#include <linux/videodev2.h>

#include <array>

namespace {

// Offered for a device that gives a range of sizes rather than a list; S_FMT then picks
// the nearest size the device has.
constexpr std::array kCommonSizes = {
    QSize(160, 120), QSize(176, 144), QSize(320, 240), QSize(352, 288),
    QSize(640, 480), QSize(800, 600), QSize(1280, 720), QSize(1920, 1080),
};

bool FitsSteps(int value, uint32_t minimum, uint32_t maximum, uint32_t step)
{
    const auto v = static_cast<uint32_t>(value);
    return v >= minimum && v <= maximum && (step == 0 || (v - minimum) % step == 0);
}

std::vector<QSize> CommonSizesWithin(const v4l2_frmsize_stepwise& range)
{
    std::vector<QSize> sizes;
    for (QSize size : kCommonSizes) {
        if (FitsSteps(size.width(), range.min_width, range.max_width, range.step_width)
            && FitsSteps(size.height(), range.min_height, range.max_height, range.step_height))
            sizes.push_back(size);
    }
    return sizes;
}

std::vector<QSize> ListFrameSizes(V4l2Io& io, int fd, uint32_t pixelFormat)
{
    std::vector<QSize> sizes;
    v4l2_frmsizeenum entry{};
    entry.pixel_format = pixelFormat;
    while (io.Ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &entry) == 0) {
        if (entry.type != V4L2_FRMSIZE_TYPE_DISCRETE)
            return CommonSizesWithin(entry.stepwise);
        sizes.emplace_back(int(entry.discrete.width), int(entry.discrete.height));
        ++entry.index;
    }
    if (sizes.empty())
        return {kCommonSizes.begin(), kCommonSizes.end()};
    return sizes;
}

}  // namespace

std::vector<CaptureFormatChoice> ListCaptureFormats(V4l2Io& io, int fd)
{
    std::vector<CaptureFormatChoice> formats;
    v4l2_fmtdesc description{};
    description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    while (io.Ioctl(fd, VIDIOC_ENUM_FMT, &description) == 0) {
        if (IsDeliverable(description.pixelformat)) {
            const auto* text = reinterpret_cast<const char*>(description.description);
            const QString name = QString::fromUtf8(text, qstrnlen(text, sizeof description.description));
            formats.push_back({description.pixelformat, name, ListFrameSizes(io, fd, description.pixelformat)});
        }
        ++description.index;
    }
    return formats;
}
