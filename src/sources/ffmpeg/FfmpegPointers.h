#pragma once

#include <memory>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// Releases each FFmpeg object with FFmpeg's own function for it.
struct FfmpegDeleter {
    void operator()(AVFormatContext* context) const;
    void operator()(AVCodecContext* context) const;
    void operator()(AVFrame* frame) const;
    void operator()(AVPacket* packet) const;
    void operator()(SwsContext* context) const;
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, FfmpegDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, FfmpegDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FfmpegDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, FfmpegDeleter>;
using ScalerPtr = std::unique_ptr<SwsContext, FfmpegDeleter>;
