#pragma once

// Milliseconds since the program started, from a steady clock. Stands in for the C
// library's clock(), which counts CPU time on Linux rather than wall time.
long long ElapsedMilliseconds();
