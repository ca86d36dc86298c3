#include "sources/avi/DibRows.h"

#include <cstring>

void PackRowsBottomUp(const uint8_t* top, std::ptrdiff_t stride, std::size_t rowBytes, int height,
                      uint8_t* destination)
{
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = top + std::ptrdiff_t(y) * stride;
        std::memcpy(destination + std::size_t(height - 1 - y) * rowBytes, source, rowBytes);
    }
}
