#include "sources/avi/FrameNumbering.h"

#include <algorithm>

void FrameNumbering::Restart()
{
    start_.reset();
    lastNumber_.reset();
}

void FrameNumbering::NoteAcceptedPacket(int64_t number)
{
    if (!start_)
        start_ = number;
}

int64_t FrameNumbering::NumberNextFrame(std::optional<int64_t> timestamp, int reorderDelay)
{
    int64_t number = 0;
    if (timestamp)
        number = *timestamp - reorderDelay;
    else if (lastNumber_)
        number = *lastNumber_ + 1;
    else
        number = start_.value_or(0);
    if (lastNumber_)
        number = std::max(number, *lastNumber_ + 1);
    lastNumber_ = number;
    return number;
}
