// Arbitrary bytes as a video file or picture: the first byte picks the file name's extension
// (some formats are told by it), the rest is the file. It is opened, counted, and its first,
// middle and last frames are read; every frame handed out must fit its own header.

#include "sources/avi/AVIFileObj.h"
#include "support/FuzzApplication.h"
#include "support/FuzzCheck.h"
#include "support/FuzzFolder.h"
#include "support/FuzzInput.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QDir>
#include <QFile>

#include <array>

namespace {
constexpr std::array kExtensions{"avi", "mp4", "mov", "m4v", "mkv", "webm", "ts", "mts", "m2ts",
                                 "png", "jpg", "jpeg", "bmp", "tif", "tiff", "webp", "dat"};

void CheckFrame(AVIFileObj& reader, int position)
{
    const FrameRecord* frame = reader.GetFrame(position);
    if (frame == nullptr)
        return;
    // Only looked at: a frame may hold up to 2^25 pixels, too many bytes to copy for a check.
    const bool fits = ViewPixels(const_cast<uint8_t*>(frame->data()), frame->size()).has_value();
    FuzzCheck(fits, "a frame handed out fits its header");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    EnsureFuzzApplication();
    // FFmpeg's complaints about broken input would fill the log and slow every run.
    av_log_set_level(AV_LOG_QUIET);
    FuzzInput input(data, size);
    const char* extension = kExtensions[input.Take<uint8_t>() % kExtensions.size()];
    const std::span<const uint8_t> content = input.Rest();
    const QString path = QDir(FuzzFolder()).filePath(QStringLiteral("input.") + QLatin1String(extension));
    QFile file(path);
    FuzzCheck(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                  file.write(reinterpret_cast<const char*>(content.data()), qsizetype(content.size())) ==
                      qsizetype(content.size()),
              "the fuzzer's file is written");
    file.close();

    AVIFileObj reader;
    if (reader.Load(path, nullptr) != 1) {
        FuzzCheck(reader.FrameCount() == 0, "a file that did not load has no frames");
        return 0;
    }
    const int count = reader.FrameCount();
    FuzzCheck(count > 0, "a loaded file has frames");
    FuzzCheck(reader.GetFrame(0) != nullptr, "a loaded file's first frame is read");
    CheckFrame(reader, 0);
    CheckFrame(reader, count / 2);
    CheckFrame(reader, count - 1);
    return 0;
}
