#include "FrameNumbering.h"

void FrameNumbering::Restart()
{
    start_.reset();
    lastNumber_.reset();
    lastTimestamp_.reset();
}

void FrameNumbering::NoteAcceptedPacket(int64_t number)
{
    if (!start_)
        start_ = number;
}

int64_t FrameNumbering::NumberNextFrame(std::optional<int64_t> timestamp)
{
    int64_t number = 0;
    if (!lastNumber_) {
        number = start_.value_or(timestamp.value_or(0));
    } else {
        const bool jumped = timestamp && lastTimestamp_ && *timestamp > *lastTimestamp_;
        number = *lastNumber_ + (jumped ? *timestamp - *lastTimestamp_ : 1);
    }
    lastNumber_ = number;
    lastTimestamp_ = timestamp;
    return number;
}
