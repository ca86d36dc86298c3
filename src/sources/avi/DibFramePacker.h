#pragma once

#include "sources/ffmpeg/FfmpegPointers.h"

#include <cstdint>
#include <vector>

class FrameRecord;

// Turns decoded frames into frame records: packed device-independent bitmaps, rows
// bottom-up without padding. Frames of raw DIB streams keep their depth, as the AVI
// library hands them on (16-bit 5-5-5, 24-bit, 32-bit; 8 bits or less, which the reader
// refuses); frames of compressed streams are converted to 24-bit BGR.
class DibFramePacker {
public:
    // The bit count frame is handed on with.
    static int BitCount(const AVFrame& frame, bool rawStream);

    // Writes frame's header and pixels into record, resizing it to fit. False for a bit
    // count other than 16, 24 or 32, an empty or oversized frame, or a failed conversion.
    bool Pack(const AVFrame& frame, bool rawStream, FrameRecord& record);

private:
    bool ConvertBottomUp(const AVFrame& frame, uint8_t* pixels);
    bool PrepareScaler(const AVFrame& frame);

    // What the scaler was made for; a frame that differs in any of these needs a new one.
    struct ScalerSettings {
        int width = 0;
        int height = 0;
        int format = -1;
        int colourSpace = -1;
        bool fullRange = false;
        bool operator==(const ScalerSettings&) const = default;
    };

    ScalerPtr m_scaler;
    ScalerSettings m_scalerSettings;
    std::vector<uint8_t> m_scratch;
};
