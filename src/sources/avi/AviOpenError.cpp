#include "sources/avi/AviOpenError.h"

#include <cerrno>

extern "C" {
#include <libavutil/error.h>
}

AviOpenError ClassifyAviOpenError(int ffmpegError)
{
    if (ffmpegError == AVERROR(ENOMEM))
        return AviOpenError::NotEnoughMemory;
    // Data no demuxer recognises, a header cut short and a variant FFmpeg cannot read all
    // mean the file itself cannot be read as a video file.
    if (ffmpegError == AVERROR_INVALIDDATA || ffmpegError == AVERROR_EOF || ffmpegError == AVERROR_PATCHWELCOME)
        return AviOpenError::InvalidFormat;
    return AviOpenError::Other;
}
