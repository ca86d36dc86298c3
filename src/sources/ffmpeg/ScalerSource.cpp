#include "sources/ffmpeg/ScalerSource.h"

ScalerSource ScalerSourceOf(const AVFrame& frame)
{
    const auto format = static_cast<AVPixelFormat>(frame.format);
    switch (format) {
    case AV_PIX_FMT_YUVJ420P: return {AV_PIX_FMT_YUV420P, true};
    case AV_PIX_FMT_YUVJ422P: return {AV_PIX_FMT_YUV422P, true};
    case AV_PIX_FMT_YUVJ444P: return {AV_PIX_FMT_YUV444P, true};
    case AV_PIX_FMT_YUVJ440P: return {AV_PIX_FMT_YUV440P, true};
    case AV_PIX_FMT_YUVJ411P: return {AV_PIX_FMT_YUV411P, true};
    default: return {format, frame.color_range == AVCOL_RANGE_JPEG};
    }
}
