#pragma once

#include <cstddef>
#include <cstdint>

// Copies height rows of rowBytes bytes, the top row at top and each next row stride bytes
// further (stride may exceed rowBytes for padded rows, or be negative), into destination as
// a bottom-up bitmap without padding: the top row becomes the last row in memory.
void PackRowsBottomUp(const uint8_t* top, std::ptrdiff_t stride, std::size_t rowBytes, int height,
                      uint8_t* destination);
