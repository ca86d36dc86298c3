#include "sources/avi/DisplayOrderIndex.h"

#include <algorithm>
#include <iterator>
#include <numeric>

void DisplayOrderIndex::Add(const PacketId& id, int64_t time, int64_t seekTime, bool keyFrame)
{
    const auto decodeIndex = int64_t(packets_.size());
    packets_.push_back({time, seekTime});
    decodeIndexes_.emplace(id, decodeIndex);
    if (keyFrame)
        keyPackets_.push_back(decodeIndex);
}

// Packets that share a time (a codec's hidden reference frames travel beside the frame
// they precede) show one frame.
void DisplayOrderIndex::Finish()
{
    std::vector<int64_t> order(packets_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this](int64_t a, int64_t b) { return packets_[a].time < packets_[b].time; });
    frameTimes_.clear();
    framePackets_.clear();
    for (const int64_t packet : order) {
        const int64_t time = packets_[std::size_t(packet)].time;
        if (!frameTimes_.empty() && frameTimes_.back() == time) {
            framePackets_.back() = std::max(framePackets_.back(), packet);
            continue;
        }
        frameTimes_.push_back(time);
        framePackets_.push_back(packet);
    }
}

std::optional<int64_t> DisplayOrderIndex::FrameAtTime(int64_t time) const
{
    const auto found = std::lower_bound(frameTimes_.begin(), frameTimes_.end(), time);
    if (found == frameTimes_.end() || *found != time)
        return std::nullopt;
    return int64_t(found - frameTimes_.begin());
}

std::optional<int64_t> DisplayOrderIndex::DecodeIndexOf(const PacketId& id) const
{
    const auto found = decodeIndexes_.find(id);
    if (found == decodeIndexes_.end())
        return std::nullopt;
    return found->second;
}

int64_t DisplayOrderIndex::KeyPacketFor(int64_t frame) const
{
    const int64_t packet = framePackets_[std::size_t(frame)];
    const int64_t time = frameTimes_[std::size_t(frame)];
    auto key = std::upper_bound(keyPackets_.begin(), keyPackets_.end(), packet);
    while (key != keyPackets_.begin()) {
        --key;
        if (packets_[std::size_t(*key)].time <= time)
            return *key;
    }
    // No key frame before it: a stream that starts without one decodes from its start.
    return 0;
}

int64_t DisplayOrderIndex::KeyPacketBefore(int64_t decodeIndex) const
{
    const auto key = std::lower_bound(keyPackets_.begin(), keyPackets_.end(), decodeIndex);
    return key == keyPackets_.begin() ? 0 : *std::prev(key);
}
