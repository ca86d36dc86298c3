#pragma once

#include <cstdint>
#include <optional>

// Gives each frame a decoder puts out its frame number (its position in the AVI stream).
// AVI stores no presentation times: packets carry their chunk number, and a decoder with
// B-frames stamps its output with the number of a later packet. So the count starts at the
// number of the first packet the decoder accepted after a seek (a key frame, shown first)
// and steps by one per frame; a jump in the output timestamps, which marks dropped frames
// stored as empty chunks, moves the count on by the size of the jump.
class FrameNumbering {
public:
    // Forgets the count, after a seek.
    void Restart();
    // A packet the decoder accepted; the first one after a restart sets the starting number.
    void NoteAcceptedPacket(int64_t number);
    // The number of the next frame out of the decoder, given its timestamp if it has one.
    int64_t NumberNextFrame(std::optional<int64_t> timestamp);

private:
    std::optional<int64_t> start_;
    std::optional<int64_t> lastNumber_;
    std::optional<int64_t> lastTimestamp_;
};
