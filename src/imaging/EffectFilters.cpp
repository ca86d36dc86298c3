#include "EffectFilters.h"

#include "InputModes.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

struct Kernel {
    std::array<int, 9> weights;
    int divisor;
};

constexpr std::array<Kernel, 4> kKernels{{
    {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 9},
    {{0, -1, 0, -1, 4, -1, 0, -1, 0}, 1},
    {{-1, 0, 1, -2, 0, 2, -1, 0, 1}, 1},
    {{-1, -1, -1, 0, 0, 0, 1, 1, 1}, 1},
}};

bool CanFilter(const ImageView& frame, int kernel)
{
    return frame.pixels != nullptr && frame.bytesPerPixel >= 3 && kernel >= 0 && kernel < int(kKernels.size());
}

bool HasInterior(const ImageView& frame)
{
    return frame.width >= 3 && frame.height >= 3;
}

// Filters the interior of row y into the same row of out; the row's border pixels stay as
// they are in out.
void FilterRow(const ImageView& frame, int y, const Kernel& kernel, uint8_t* out)
{
    const std::size_t step = std::size_t(frame.bytesPerPixel);
    const std::array<const uint8_t*, 3> rows{frame.row(y - 1), frame.row(y), frame.row(y + 1)};
    uint8_t* outRow = out + std::size_t(y) * frame.rowBytes();
    for (int x = 1; x < frame.width - 1; ++x) {
        const std::size_t left = std::size_t(x - 1) * step;
        int sum = 0;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                sum += kernel.weights[r * 3 + c] * rows[r][left + std::size_t(c) * step];
        const auto value = static_cast<uint8_t>(std::abs(sum / kernel.divisor) & 0xFF);
        uint8_t* pixel = outRow + std::size_t(x) * step;
        pixel[0] = value;
        pixel[1] = value;
        pixel[2] = value;
    }
}

void GreyRow(const ImageView& frame, int y)
{
    ToGray(ImageView{frame.width, 1, frame.bytesPerPixel, frame.row(y)});
}

// The filter writes every interior pixel; the border is black.
void PrepareOutput(const ImageView& frame, std::vector<uint8_t>& temp)
{
    temp.assign(frame.byteCount(), 0);
}

void CopyOutput(const ImageView& frame, const std::vector<uint8_t>& temp)
{
    std::copy(temp.begin(), temp.end(), frame.pixels);
}

}  // namespace

void Convolve(const ImageView& frame, int kernel, std::vector<uint8_t>& temp)
{
    if (!CanFilter(frame, kernel))
        return;
    PrepareOutput(frame, temp);
    if (HasInterior(frame)) {
        for (int y = 1; y < frame.height - 1; ++y)
            FilterRow(frame, y, kKernels[kernel], temp.data());
    }
    CopyOutput(frame, temp);
}

void GrayConvolve(const ImageView& frame, int kernel, std::vector<uint8_t>& temp)
{
    if (!CanFilter(frame, kernel))
        return;
    PrepareOutput(frame, temp);
    if (HasInterior(frame)) {
        // One pass: each row turns grey just before the window first reaches it.
        GreyRow(frame, 0);
        GreyRow(frame, 1);
        for (int y = 1; y < frame.height - 1; ++y) {
            GreyRow(frame, y + 1);
            FilterRow(frame, y, kKernels[kernel], temp.data());
        }
    }
    CopyOutput(frame, temp);
}
