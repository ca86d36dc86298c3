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

// An open decoder for stream that refuses pictures above kMaxDecodedPixels. Empty when the format
// has no decoder or it cannot be opened.
CodecContextPtr OpenVideoDecoder(const AVStream& stream);
