#include "sources/avi/MediaFile.h"

#include "sources/ffmpeg/DecoderLimits.h"

#include <QFile>

#include <cstring>
#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// Every packet a demuxer reads is a fresh buffer, up to megabytes for raw or high-rate video.
// By default glibc maps buffers that large anew and gives them back on free, so each frame
// pays for a megabyte of fresh zeroed pages, many times what reading and copying it costs.
// Kept on the heap, the next packet reuses the memory of the one before.
void KeepPacketBuffersOnTheHeap()
{
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
    });
#endif
}

}  // namespace

int OpenMediaFile(const QString& path, FormatContextPtr& format)
{
    KeepPacketBuffersOnTheHeap();
    // The "file:" prefix and the protocol list keep a name such as "http://..." or
    // "concat:..." from reaching anything but the local file system.
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* context = nullptr;
    const int opened = avformat_open_input(&context, url.constData(), nullptr, &options);
    av_dict_free(&options);
    format.reset(context);
    return opened < 0 ? opened : 0;
}

bool IsAviFile(const AVFormatContext& format)
{
    return std::strcmp(format.iformat->name, "avi") == 0;
}

AVStream* SelectFirstVideoStream(AVFormatContext& format)
{
    AVStream* video = nullptr;
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        AVStream* candidate = format.streams[i];
        if (video == nullptr && candidate->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            video = candidate;
        else
            candidate->discard = AVDISCARD_ALL;
    }
    return video;
}

CodecContextPtr OpenVideoDecoder(const AVStream& stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (codec == nullptr)
        return {};
    CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream.codecpar) < 0)
        return {};
    decoder->pkt_timebase = stream.time_base;
    decoder->max_pixels = kMaxDecodedPixels;
    if (avcodec_open2(decoder.get(), codec, nullptr) != 0)
        return {};
    return decoder;
}
