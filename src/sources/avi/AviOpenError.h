#pragma once

// What an FFmpeg error from opening a file means to the user: the AVI library's "not enough
// memory" and "bad format" cases, or any other failure (missing file, no access, ...).
enum class AviOpenError { NotEnoughMemory, InvalidFormat, Other };

AviOpenError ClassifyAviOpenError(int ffmpegError);
