#include "sources/avi/DisplayOrderIndex.h"

#include <algorithm>
#include <iterator>
#include <numeric>

void DisplayOrderIndex::Add(const PacketId& id, int64_t time, int64_t seekTime, bool keyFrame)
{
    const auto decodeIndex = int64_t(m_packets.size());
    m_packets.push_back({time, seekTime});
    m_decodeIndexes.emplace(id, decodeIndex);
    if (keyFrame)
        m_keyPackets.push_back(decodeIndex);
}

// Packets that share a time (a codec's hidden reference frames travel beside the frame
// they precede) show one frame.
void DisplayOrderIndex::Finish()
{
    std::vector<int64_t> order(m_packets.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this](int64_t a, int64_t b) { return m_packets[a].time < m_packets[b].time; });
    m_frameTimes.clear();
    m_framePackets.clear();
    for (const int64_t packet : order) {
        const int64_t time = m_packets[std::size_t(packet)].time;
        if (!m_frameTimes.empty() && m_frameTimes.back() == time) {
            m_framePackets.back() = std::max(m_framePackets.back(), packet);
            continue;
        }
        m_frameTimes.push_back(time);
        m_framePackets.push_back(packet);
    }
}

std::optional<int64_t> DisplayOrderIndex::FrameAtTime(int64_t time) const
{
    const auto found = std::lower_bound(m_frameTimes.begin(), m_frameTimes.end(), time);
    if (found == m_frameTimes.end() || *found != time)
        return std::nullopt;
    return int64_t(found - m_frameTimes.begin());
}

std::optional<int64_t> DisplayOrderIndex::DecodeIndexOf(const PacketId& id) const
{
    const auto found = m_decodeIndexes.find(id);
    if (found == m_decodeIndexes.end())
        return std::nullopt;
    return found->second;
}

int64_t DisplayOrderIndex::KeyPacketFor(int64_t frame) const
{
    const int64_t packet = m_framePackets[std::size_t(frame)];
    const int64_t time = m_frameTimes[std::size_t(frame)];
    auto key = std::upper_bound(m_keyPackets.begin(), m_keyPackets.end(), packet);
    while (key != m_keyPackets.begin()) {
        --key;
        if (m_packets[std::size_t(*key)].time <= time)
            return *key;
    }
    // No key frame before it: a stream that starts without one decodes from its start.
    return 0;
}

int64_t DisplayOrderIndex::KeyPacketBefore(int64_t decodeIndex) const
{
    const auto key = std::lower_bound(m_keyPackets.begin(), m_keyPackets.end(), decodeIndex);
    return key == m_keyPackets.begin() ? 0 : *std::prev(key);
}
