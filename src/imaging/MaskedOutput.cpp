#include "imaging/MaskedOutput.h"

#include "imaging/HsvMask.h"
#include "imaging/Mirror.h"

#include <algorithm>
#include <cstring>

namespace {

// Bands of about this many pixel bytes stay in the first-level cache with their flags.
constexpr std::size_t kBandBytes = 24 * 1024;

int RowsPerBand(const ImageView& frame)
{
    return int(std::max<std::size_t>(1, kBandBytes / std::max<std::size_t>(1, frame.rowBytes())));
}

}  // namespace

int FinishMaskedFrame(const ImageView& frame, const MaskBits& flags, uint8_t* unprocessedPixels, uint8_t* lastOutputPixels, bool mirror)
{
    const int bandRows = RowsPerBand(frame);
    int kept = 0;
    for (int top = 0; top < frame.height; top += bandRows) {
        const ImageView band{frame.width, std::min(bandRows, frame.height - top), frame.bytesPerPixel, frame.row(top)};
        const std::size_t offset = std::size_t(top) * frame.rowBytes();
        std::memcpy(unprocessedPixels + offset, band.pixels, band.byteCount());
        kept += ApplyMaskRows(band, flags, top);
        if (mirror)
            MirrorFrame(band);
        std::memcpy(lastOutputPixels + offset, band.pixels, band.byteCount());
    }
    return kept;
}
