#include "sources/v4l2/V4l2Controls.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

// Menus are short lists; a bogus range must not make the dialog ask millions of times.
constexpr int64_t kMaxMenuItems = 256;

QString FixedText(const uint8_t* text, std::size_t capacity)
{
    const auto* characters = reinterpret_cast<const char*>(text);
    return QString::fromUtf8(characters, qstrnlen(characters, capacity));
}

std::optional<CaptureControl::Kind> KindOf(uint32_t type)
{
    switch (type) {
    case V4L2_CTRL_TYPE_INTEGER: return CaptureControl::Kind::Integer;
    case V4L2_CTRL_TYPE_BOOLEAN: return CaptureControl::Kind::Boolean;
    case V4L2_CTRL_TYPE_MENU: return CaptureControl::Kind::Menu;
    default: return std::nullopt;
    }
}

std::vector<std::pair<int32_t, QString>> MenuItems(V4l2Io& io, int fd, const v4l2_queryctrl& query)
{
    std::vector<std::pair<int32_t, QString>> items;
    const int64_t last = std::min<int64_t>(query.maximum, int64_t(query.minimum) + kMaxMenuItems - 1);
    for (int64_t index = query.minimum; index <= last; ++index) {
        v4l2_querymenu item{};
        item.id = query.id;
        item.index = static_cast<uint32_t>(index);
        if (io.Ioctl(fd, VIDIOC_QUERYMENU, &item) == 0)
            items.emplace_back(static_cast<int32_t>(index), FixedText(item.name, sizeof item.name));
    }
    return items;
}

CaptureControl ToControl(V4l2Io& io, int fd, const v4l2_queryctrl& query, CaptureControl::Kind kind)
{
    CaptureControl control;
    control.id = query.id;
    control.name = FixedText(query.name, sizeof query.name);
    control.kind = kind;
    control.minimum = query.minimum;
    control.maximum = query.maximum;
    control.step = query.step;
    v4l2_control current{query.id, query.default_value};
    control.value = io.Ioctl(fd, VIDIOC_G_CTRL, &current) == 0 ? current.value : query.default_value;
    if (kind == CaptureControl::Kind::Menu)
        control.menuItems = MenuItems(io, fd, query);
    return control;
}

}  // namespace

std::vector<CaptureControl> ListCaptureControls(V4l2Io& io, int fd)
{
    std::vector<CaptureControl> controls;
    v4l2_queryctrl query{};
    query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (io.Ioctl(fd, VIDIOC_QUERYCTRL, &query) == 0) {
        const std::optional<CaptureControl::Kind> kind = KindOf(query.type);
        if (kind && (query.flags & V4L2_CTRL_FLAG_DISABLED) == 0)
            controls.push_back(ToControl(io, fd, query, *kind));
        query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    return controls;
}
