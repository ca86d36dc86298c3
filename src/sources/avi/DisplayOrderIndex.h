#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

// Where each frame of a stream lies, learnt by reading all its packets once: packets come
// in decode order, frames are shown in the order of their presentation times. With
// B-frames the two orders differ; with a variable frame rate the times are uneven. Frame n
// is the frame with the n-th smallest time, whatever the container.
class DisplayOrderIndex {
public:
    // What tells a packet apart when it is read again after a seek: its byte position in
    // the file and its two timestamps.
    using PacketId = std::tuple<int64_t, int64_t, int64_t>;

    // The stream's next packet in decode order, shown at time; a seek that should land at
    // or before it aims at seekTime.
    void Add(const PacketId& id, int64_t time, int64_t seekTime, bool keyFrame);
    // Orders the frames once every packet has been added.
    void Finish();

    int64_t FrameCount() const { return int64_t(m_frameTimes.size()); }
    int64_t FrameTime(int64_t frame) const { return m_frameTimes[std::size_t(frame)]; }
    // The frame shown at time, if a frame has that time.
    std::optional<int64_t> FrameAtTime(int64_t time) const;
    // The last packet in decode order that carries frame.
    int64_t PacketOfFrame(int64_t frame) const { return m_framePackets[std::size_t(frame)]; }
    // The packet's place in decode order, if it was indexed.
    std::optional<int64_t> DecodeIndexOf(const PacketId& id) const;
    // The key frame packet to start decoding at for frame: the last one in decode order,
    // at or before the frame's packet, that is itself shown no later than frame. (With open
    // groups of pictures, frames stored after a key frame may be shown before it, and only
    // decode properly from the key frame before.)
    int64_t KeyPacketFor(int64_t frame) const;
    // The last key frame packet before the packet in decode order; 0 when there is none.
    int64_t KeyPacketBefore(int64_t decodeIndex) const;
    int64_t SeekTime(int64_t decodeIndex) const { return m_packets[std::size_t(decodeIndex)].seekTime; }
    int64_t PacketTime(int64_t decodeIndex) const { return m_packets[std::size_t(decodeIndex)].time; }

private:
    struct Packet {
        int64_t time;
        int64_t seekTime;
    };

    std::vector<Packet> m_packets;
    std::map<PacketId, int64_t> m_decodeIndexes;
    std::vector<int64_t> m_keyPackets;
    // Sorted, one entry per shown frame, and the last packet that carries each.
    std::vector<int64_t> m_frameTimes;
    std::vector<int64_t> m_framePackets;
};
