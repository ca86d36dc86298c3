#include "platform/ProgramClock.h"

#include <chrono>

namespace {
// Initialised while the program loads, before main runs.
const auto programStart = std::chrono::steady_clock::now();
}  // namespace

long long ElapsedMilliseconds()
{
    const auto elapsed = std::chrono::steady_clock::now() - programStart;
    return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}
