#pragma once

#include <cstddef>
#include <type_traits>

// Calls work(step) with the bytes per pixel as a compile-time constant for the 3- and 4-byte
// pixels the pipeline processes, so that their loops are vectorised, and as a plain number
// for any other width. Both kinds of step convert to std::size_t.
template <typename Work>
decltype(auto) WithPixelStep(int bytesPerPixel, Work&& work)
{
    switch (bytesPerPixel) {
    case 3:
        return work(std::integral_constant<std::size_t, 3>{});
    case 4:
        return work(std::integral_constant<std::size_t, 4>{});
    default:
        return work(std::size_t(bytesPerPixel));
    }
}
