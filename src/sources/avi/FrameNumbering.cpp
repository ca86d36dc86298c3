#include "sources/avi/FrameNumbering.h"

#include <algorithm>

void FrameNumbering::Restart()
{
    m_start.reset();
    m_lastNumber.reset();
}

void FrameNumbering::NoteAcceptedPacket(int64_t number)
{
    if (!m_start)
        m_start = number;
}

int64_t FrameNumbering::NumberNextFrame(std::optional<int64_t> timestamp, int reorderDelay)
{
    int64_t number = 0;
    if (timestamp)
        number = *timestamp - reorderDelay;
    else if (m_lastNumber)
        number = *m_lastNumber + 1;
    else
        number = m_start.value_or(0);
    if (m_lastNumber)
        number = std::max(number, *m_lastNumber + 1);
    m_lastNumber = number;
    return number;
}
