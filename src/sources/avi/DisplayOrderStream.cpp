#include "sources/avi/DisplayOrderStream.h"

#include "sources/avi/MediaFile.h"

#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// How many packets are read between two progress reports while indexing.
constexpr int kPacketsPerProgressReport = 64;

DisplayOrderIndex::PacketId IdOf(const AVPacket& packet)
{
    return {packet.pos, packet.pts, packet.dts};
}

// Pictures and some streams carry only one of the two timestamps.
int64_t ShownAt(const AVPacket& packet, int64_t fallback)
{
    if (packet.pts != AV_NOPTS_VALUE)
        return packet.pts;
    if (packet.dts != AV_NOPTS_VALUE)
        return packet.dts;
    return fallback;
}

int PercentRead(AVIOContext* io)
{
    const int64_t size = avio_size(io);
    return size > 0 ? int(avio_tell(io) * 100 / size) : 0;
}

}  // namespace

DisplayOrderStream::DisplayOrderStream(QString path, FormatContextPtr format)
    : m_path(std::move(path)), m_format(std::move(format))
{
}

bool DisplayOrderStream::SelectFirstVideoStream()
{
    m_stream = ::SelectFirstVideoStream(*m_format);
    return m_stream != nullptr;
}

bool DisplayOrderStream::IndexFrames(const Progress& progress)
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return false;
    int64_t lastTime = -1;
    for (int64_t read = 1; av_read_frame(m_format.get(), packet.get()) >= 0; ++read) {
        // An empty packet holds no frame; a decoder would take it for the end of the stream.
        if (packet->stream_index == m_stream->index && packet->size > 0) {
            lastTime = ShownAt(*packet, lastTime + 1);
            const int64_t seekTime = packet->dts != AV_NOPTS_VALUE ? packet->dts : lastTime;
            m_index.Add(IdOf(*packet), lastTime, seekTime, (packet->flags & AV_PKT_FLAG_KEY) != 0);
        }
        av_packet_unref(packet.get());
        if (progress && read % kPacketsPerProgressReport == 0 && !progress(PercentRead(m_format->pb)))
            return false;
    }
    m_index.Finish();
    // Decoding starts from the beginning of a freshly opened file. Should it not open again,
    // no frame decodes and the file is refused as one that cannot be decoded.
    Reopen();
    return true;
}

bool DisplayOrderStream::OpenDecoder()
{
    m_decoder = OpenVideoDecoder(*m_stream);
    m_packet.reset(av_packet_alloc());
    return m_frames.Allocate() && m_decoder && m_packet;
}

// Some demuxers (a picture's, for one) cannot seek back; opening the file again always can.
bool DisplayOrderStream::Reopen()
{
    const int streamIndex = m_stream->index;
    FormatContextPtr format;
    if (OpenMediaFile(m_path, format) < 0)
        return false;
    AVStream* stream = ::SelectFirstVideoStream(*format);
    if (stream == nullptr || stream->index != streamIndex)
        return false;
    m_format = std::move(format);
    m_stream = stream;
    return true;
}

const AVFrame* DisplayOrderStream::FrameAt(int64_t position)
{
    if (!m_decoder || position < 0 || position >= FrameCount())
        return nullptr;
    if (m_frames.currentNumber == position)
        return m_frames.current.get();
    if (CanDecodeOnwardTo(position)) {
        DecodeUpTo(position);
        return m_frames.currentNumber == position ? m_frames.current.get() : nullptr;
    }
    const int64_t keyPacket = m_index.KeyPacketFor(position);
    SeekTo(keyPacket);
    m_soughtPacket = m_index.PacketOfFrame(position);
    DecodeUpTo(position);
    // A decoder may hold back the last frames decoded from a key frame that does not
    // refresh everything (the I-frame of an open group of pictures): start once more from
    // the key frame before.
    if (m_frames.currentNumber != position && keyPacket > 0) {
        SeekTo(m_index.KeyPacketBefore(keyPacket));
        DecodeUpTo(position);
    }
    return m_frames.currentNumber == position ? m_frames.current.get() : nullptr;
}

bool DisplayOrderStream::CanDecodeOnwardTo(int64_t position) const
{
    const std::optional<int64_t> waiting = m_frames.upcomingNumber;
    const bool notYetPassed = waiting ? *waiting <= position : !m_lastNumber || *m_lastNumber < position;
    return notYetPassed && m_index.KeyPacketFor(position) <= m_nextPacket;
}

void DisplayOrderStream::SeekTo(int64_t keyPacket)
{
    ResetDecoding(keyPacket);
    // From the stream's first packet every frame decodes, whatever key frame comes first.
    m_firstFrame = keyPacket == 0 ? 0 : m_index.FrameAtTime(m_index.PacketTime(keyPacket)).value_or(0);
    const int sought =
        av_seek_frame(m_format.get(), m_stream->index, m_index.SeekTime(keyPacket), AVSEEK_FLAG_BACKWARD);
    if (sought < 0)
        RestartFromTheBeginning();
}

void DisplayOrderStream::ResetDecoding(int64_t startPacket)
{
    avcodec_flush_buffers(m_decoder.get());
    m_frames.Clear();
    m_lastNumber.reset();
    m_startPacket = startPacket;
    m_soughtPacket.reset();
    m_nextPacket = startPacket;
    m_reachedStart = false;
    m_restarted = false;
    m_draining = false;
}

bool DisplayOrderStream::RestartFromTheBeginning()
{
    m_restarted = true;
    return Reopen();
}

void DisplayOrderStream::DecodeUpTo(int64_t position)
{
    m_frames.AdvanceTo(position, [this] { return DecodeNextFrame(); });
}

bool DisplayOrderStream::DecodeNextFrame()
{
    for (;;) {
        const int received = avcodec_receive_frame(m_decoder.get(), m_frames.upcoming.get());
        if (received == 0) {
            const int64_t number = NumberOf(*m_frames.upcoming);
            if (number < m_firstFrame) {
                av_frame_unref(m_frames.upcoming.get());
                continue;
            }
            m_frames.upcomingNumber = number;
            m_lastNumber = number;
            return true;
        }
        if (m_draining)
            return false;
        if (!SendNextPacket()) {
            avcodec_send_packet(m_decoder.get(), nullptr);
            m_draining = true;
        }
    }
}

bool DisplayOrderStream::ShownBeforeSought(int64_t decodeIndex) const
{
    return m_soughtPacket && decodeIndex < *m_soughtPacket
        && m_index.PacketTime(decodeIndex) < m_index.PacketTime(*m_soughtPacket);
}

// A frame whose time the index does not know follows the one before.
int64_t DisplayOrderStream::NumberOf(const AVFrame& frame) const
{
    if (frame.best_effort_timestamp != AV_NOPTS_VALUE)
        if (const auto number = m_index.FrameAtTime(frame.best_effort_timestamp))
            return *number;
    return m_lastNumber ? *m_lastNumber + 1 : m_firstFrame;
}

bool DisplayOrderStream::SendNextPacket()
{
    while (av_read_frame(m_format.get(), m_packet.get()) >= 0) {
        const bool ours = m_packet->stream_index == m_stream->index && m_packet->size > 0;
        const std::optional<int64_t> decodeIndex = ours ? m_index.DecodeIndexOf(IdOf(*m_packet)) : std::nullopt;
        if (!decodeIndex || *decodeIndex < m_startPacket) {
            av_packet_unref(m_packet.get());
            continue;
        }
        if (!m_reachedStart && *decodeIndex > m_startPacket) {
            // The seek landed beyond the key frame: read from the beginning instead.
            av_packet_unref(m_packet.get());
            if (m_restarted || !RestartFromTheBeginning())
                return false;
            continue;
        }
        m_reachedStart = true;
        m_nextPacket = *decodeIndex + 1;
        // On the way to a sought frame, frames nothing refers to and shown before it need
        // not be decoded at all.
        m_decoder->skip_frame = ShownBeforeSought(*decodeIndex) ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        // A packet the decoder refuses leaves its frame out; the frames after still come.
        const int sent = avcodec_send_packet(m_decoder.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (sent >= 0)
            return true;
    }
    return false;
}
