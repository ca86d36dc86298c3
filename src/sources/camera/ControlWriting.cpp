#include "sources/camera/ControlWriting.h"

#include <algorithm>

namespace {

const CaptureControl* Find(const std::vector<CaptureControl>& controls, uint32_t id)
{
    const auto found = std::find_if(controls.begin(), controls.end(), [id](const auto& c) { return c.id == id; });
    return found == controls.end() ? nullptr : &*found;
}

bool Reached(const std::vector<CaptureControl>& controls, const std::pair<uint32_t, int32_t>& target)
{
    const CaptureControl* control = Find(controls, target.first);
    return control == nullptr || !control->Writable() || control->value == target.second;
}

// Whether a control still to be written was active before and is inactive after.
bool DeactivatesPending(const std::vector<CaptureControl>& before, const std::vector<CaptureControl>& after,
                        const ControlValues& pending, uint32_t written)
{
    return std::any_of(pending.begin(), pending.end(), [&](const auto& target) {
        const CaptureControl* was = Find(before, target.first);
        const CaptureControl* now = Find(after, target.first);
        return target.first != written && was != nullptr && now != nullptr && !was->inactive && now->inactive
            && now->value != target.second;
    });
}

}  // namespace

void WriteControlValues(CaptureControlDevice& device, ControlValues targets)
{
    std::vector<CaptureControl> controls = device.ReadControls();
    bool mayDeactivate = false;
    while (!targets.empty()) {
        bool progress = false;
        for (auto target = targets.begin(); target != targets.end();) {
            const CaptureControl* control = Find(controls, target->first);
            if (Reached(controls, *target)) {
                target = targets.erase(target);
                progress = true;
                continue;
            }
            if (control->inactive) {
                ++target;
                continue;
            }
            const int32_t previous = control->value;
            if (device.WriteControl(target->first, target->second) != 0) {
                controls = device.ReadControls();
                target = targets.erase(target);
                progress = true;
                continue;
            }
            std::vector<CaptureControl> after = device.ReadControls();
            if (!mayDeactivate && DeactivatesPending(controls, after, targets, target->first)) {
                device.WriteControl(target->first, previous);
                controls = device.ReadControls();
                ++target;
                continue;
            }
            controls = std::move(after);
            target = targets.erase(target);
            progress = true;
        }
        if (!progress && mayDeactivate)
            return;
        mayDeactivate = !progress;
    }
}
