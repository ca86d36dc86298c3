#include "sources/virtual/VirtualControls.h"

#include <cerrno>

namespace {
constexpr uint32_t kMoveShapesControl = 1;
}  // namespace

std::vector<CaptureControl> VirtualControls::ReadControls()
{
    CaptureControl moveShapes;
    moveShapes.id = kMoveShapesControl;
    moveShapes.name = QStringLiteral("Move shapes");
    moveShapes.kind = CaptureControl::Kind::Boolean;
    moveShapes.maximum = 1;
    moveShapes.defaultValue = 1;
    moveShapes.value = m_moving ? 1 : 0;
    return {moveShapes};
}

// Like any device, it refuses a control it does not have.
int VirtualControls::WriteControl(uint32_t id, int32_t value)
{
    if (id != kMoveShapesControl)
        return EINVAL;
    m_moving = value != 0;
    return 0;
}
