#pragma once

#include "sources/ffmpeg/FfmpegPointers.h"

#include <QString>

#include <cstdint>

struct AVStream;

// Opens path read-only into format; 0, or the FFmpeg error.
int OpenMediaFile(const QString& path, FormatContextPtr& format);

bool IsAviFile(const AVFormatContext& format);

// The first video stream of format; every other stream is discarded, so reading packets
// skips them. nullptr when there is none.
AVStream* SelectFirstVideoStream(AVFormatContext& format);

// The largest frame (width × height) a decoder allocates: 8K video fits; a damaged frame of a
// few bytes that claims more is refused rather than allowed to allocate gigabytes.
constexpr int64_t kMaxFramePixels = int64_t(1) << 25;

// An open decoder for stream that refuses frames above kMaxFramePixels. Empty when the format
// has no decoder or it cannot be opened.
CodecContextPtr OpenVideoDecoder(const AVStream& stream);
