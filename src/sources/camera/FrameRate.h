#pragma once

// The frame rate measured from the milliseconds between two frames, truncated. Frames
// closer than the clock's 1 ms resolution count as 1 ms apart, so the rate stays finite.
int FramesPerSecond(double intervalMs);
