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

std::optional<CaptureControl::Kind> KindOf(const v4l2_queryctrl& query)
{
    if ((query.flags & V4L2_CTRL_FLAG_DISABLED) != 0)
        return std::nullopt;
    if ((query.flags & V4L2_CTRL_FLAG_WRITE_ONLY) != 0 && query.type != V4L2_CTRL_TYPE_BUTTON
        && query.type != V4L2_CTRL_TYPE_CTRL_CLASS)
        return std::nullopt;
    switch (query.type) {
    case V4L2_CTRL_TYPE_INTEGER: return CaptureControl::Kind::Integer;
    case V4L2_CTRL_TYPE_BOOLEAN: return CaptureControl::Kind::Boolean;
    case V4L2_CTRL_TYPE_MENU: return CaptureControl::Kind::Menu;
    case V4L2_CTRL_TYPE_INTEGER_MENU: return CaptureControl::Kind::IntegerMenu;
    case V4L2_CTRL_TYPE_BUTTON: return CaptureControl::Kind::Button;
    case V4L2_CTRL_TYPE_CTRL_CLASS: return CaptureControl::Kind::Heading;
    default: return std::nullopt;
    }
}

// Integer menus name each item by its number.
std::vector<std::pair<int32_t, QString>> MenuItems(V4l2Io& io, int fd, const v4l2_queryctrl& query)
{
    std::vector<std::pair<int32_t, QString>> items;
    const int64_t last = std::min<int64_t>(query.maximum, int64_t(query.minimum) + kMaxMenuItems - 1);
    for (int64_t index = query.minimum; index <= last; ++index) {
        v4l2_querymenu item{};
        item.id = query.id;
        item.index = static_cast<uint32_t>(index);
        if (io.Ioctl(fd, VIDIOC_QUERYMENU, &item) != 0)
            continue;
        const QString name = query.type == V4L2_CTRL_TYPE_INTEGER_MENU ? QString::number(item.value)
                                                                        : FixedText(item.name, sizeof item.name);
        items.emplace_back(static_cast<int32_t>(index), name);
    }
    return items;
}

// Whether the value lets the device change the picture's brightness or colours by itself.
bool AutomaticModeOn(uint32_t id, int32_t value)
{
    switch (id) {
    case V4L2_CID_EXPOSURE_AUTO: return value != V4L2_EXPOSURE_MANUAL;
    case V4L2_CID_AUTO_N_PRESET_WHITE_BALANCE: return value == V4L2_WHITE_BALANCE_AUTO;
    case V4L2_CID_AUTOGAIN:
    case V4L2_CID_AUTO_WHITE_BALANCE:
    case V4L2_CID_HUE_AUTO:
    case V4L2_CID_AUTOBRIGHTNESS: return value != 0;
    default: return false;
    }
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
    control.defaultValue = query.default_value;
    control.inactive = (query.flags & V4L2_CTRL_FLAG_INACTIVE) != 0;
    control.readOnly = (query.flags & (V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_GRABBED)) != 0;
    control.value = query.default_value;
    if (control.HasValue()) {
        v4l2_control current{query.id, query.default_value};
        if (io.Ioctl(fd, VIDIOC_G_CTRL, &current) == 0)
            control.value = current.value;
    }
    control.automaticModeOn = control.HasValue() && AutomaticModeOn(control.id, control.value);
    if (kind == CaptureControl::Kind::Menu || kind == CaptureControl::Kind::IntegerMenu)
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
        if (const std::optional<CaptureControl::Kind> kind = KindOf(query))
            controls.push_back(ToControl(io, fd, query, *kind));
        query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    return controls;
}

std::vector<CaptureControl> V4l2ControlDevice::ReadControls()
{
    if (!m_device.IsOpen())
        return {};
    return ListCaptureControls(m_device.Io(), m_device.Fd());
}

int V4l2ControlDevice::WriteControl(uint32_t id, int32_t value)
{
    return m_device.SetControl(id, value);
}
