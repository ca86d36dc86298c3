#pragma once

#include <cstdint>
#include <optional>

// Gives each frame a decoder puts out its frame number (its position in the AVI stream).
// AVI stores no presentation times, only chunk numbers, and a decoder that reorders
// B-frames stamps each frame it puts out with the number of the packet it was decoding at
// the time: that lags the frame's own number by the decoder's reorder delay. Frames put
// out while the decoder drains carry no timestamp and follow the one before; if the first
// frame after a seek has none, it is the key frame the first accepted packet held.
class FrameNumbering {
public:
    // Forgets the count, after a seek.
    void Restart();
    // A packet the decoder accepted; the first one after a restart is the fallback start.
    void NoteAcceptedPacket(int64_t number);
    // The number of the next frame out of the decoder, given its timestamp if it has one
    // and the decoder's reorder delay in frames. Numbers always increase.
    int64_t NumberNextFrame(std::optional<int64_t> timestamp, int reorderDelay);

private:
    std::optional<int64_t> m_start;
    std::optional<int64_t> m_lastNumber;
};
