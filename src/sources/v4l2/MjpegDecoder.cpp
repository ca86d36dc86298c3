#include "sources/v4l2/MjpegDecoder.h"

#include "sources/ffmpeg/BottomUpScaling.h"
#include "sources/ffmpeg/DecoderLimits.h"
#include "sources/ffmpeg/ScalerSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include <algorithm>

namespace {

// A camera sends pictures of the size it was set to; one many times larger is damaged.
constexpr int64_t kMaxPictureToFrameRatio = 4;

void SetSourceRange(SwsContext* scaler, bool fullRange)
{
    int* inverseTable = nullptr;
    int* table = nullptr;
    int sourceRange = 0;
    int destinationRange = 0;
    int brightness = 0;
    int contrast = 0;
    int saturation = 0;
    if (sws_getColorspaceDetails(scaler, &inverseTable, &sourceRange, &table, &destinationRange, &brightness,
                                 &contrast, &saturation) >= 0) {
        sws_setColorspaceDetails(scaler, inverseTable, fullRange ? 1 : 0, table, destinationRange, brightness, contrast,
                                 saturation);
    }
}

}  // namespace

MjpegDecoder::MjpegDecoder()
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    if (codec == nullptr)
        return;
    CodecContextPtr context(avcodec_alloc_context3(codec));
    m_frame.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!context || !m_frame || !m_packet)
        return;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return;
    m_context = std::move(context);
}

bool MjpegDecoder::DecodeBottomUp(const uint8_t* data, std::size_t length, int width, int height, uint8_t* destination)
{
    if (!IsOpen() || width <= 0 || height <= 0 || length == 0
        || length > std::size_t(INT32_MAX) - AV_INPUT_BUFFER_PADDING_SIZE)
        return false;
    // The decoder may read a little past the end of its input.
    m_padded.assign(length + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::copy(data, data + length, m_padded.begin());
    m_context->max_pixels = std::min(kMaxDecodedPixels, int64_t(width) * height * kMaxPictureToFrameRatio);
    m_packet->data = m_padded.data();
    m_packet->size = static_cast<int>(length);
    const int sent = avcodec_send_packet(m_context.get(), m_packet.get());
    av_packet_unref(m_packet.get());
    if (sent < 0 || avcodec_receive_frame(m_context.get(), m_frame.get()) < 0)
        return false;
    const bool converted = ConvertFrame(width, height, destination);
    av_frame_unref(m_frame.get());
    return converted;
}

bool MjpegDecoder::ConvertFrame(int width, int height, uint8_t* destination)
{
    const ScalerSource source = ScalerSourceOf(*m_frame);
    m_scaler.reset(sws_getCachedContext(m_scaler.release(), m_frame->width, m_frame->height, source.format, width,
                                       height, AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!m_scaler)
        return false;
    SetSourceRange(m_scaler.get(), source.fullRange);
    return ScaleBottomUp(*m_scaler, *m_frame, width, height, destination, m_scratch);
}

bool MjpegDecodingAvailable()
{
    static const bool available = MjpegDecoder().IsOpen();
    return available;
}
