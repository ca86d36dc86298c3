#include "AviVideoStream.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

std::optional<int64_t> PacketNumber(const AVPacket& packet)
{
    if (packet.dts != AV_NOPTS_VALUE)
        return packet.dts;
    if (packet.pts != AV_NOPTS_VALUE)
        return packet.pts;
    return std::nullopt;
}

std::optional<int64_t> FrameTimestamp(const AVFrame& frame)
{
    if (frame.best_effort_timestamp == AV_NOPTS_VALUE)
        return std::nullopt;
    return frame.best_effort_timestamp;
}

}  // namespace

int AviVideoStream::Open(const QString& path)
{
    // The "file:" prefix and the protocol list keep a name such as "http://..." or
    // "concat:..." from reaching anything but the local file system.
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* context = nullptr;
    const int opened = avformat_open_input(&context, url.constData(), nullptr, &options);
    av_dict_free(&options);
    m_format.reset(context);
    return opened < 0 ? opened : 0;
}

bool AviVideoStream::IsAvi() const
{
    return m_format && std::strcmp(m_format->iformat->name, "avi") == 0;
}

bool AviVideoStream::SelectFirstVideoStream()
{
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        AVStream* candidate = m_format->streams[i];
        if (m_stream == nullptr && candidate->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            m_stream = candidate;
        else
            candidate->discard = AVDISCARD_ALL;
    }
    if (m_stream == nullptr)
        return false;
    m_frameCount = CountFrames();
    return true;
}

bool AviVideoStream::OpenDecoder()
{
    const AVCodec* codec = avcodec_find_decoder(m_stream->codecpar->codec_id);
    if (codec == nullptr)
        return false;
    m_decoder.reset(avcodec_alloc_context3(codec));
    m_packet.reset(av_packet_alloc());
    m_current.reset(av_frame_alloc());
    m_upcoming.reset(av_frame_alloc());
    if (!m_decoder || !m_packet || !m_current || !m_upcoming)
        return false;
    if (avcodec_parameters_to_context(m_decoder.get(), m_stream->codecpar) < 0)
        return false;
    m_decoder->pkt_timebase = m_stream->time_base;
    return avcodec_open2(m_decoder.get(), codec, nullptr) == 0;
}

bool AviVideoStream::IsRawVideo() const
{
    return m_decoder && m_decoder->codec_id == AV_CODEC_ID_RAWVIDEO;
}

// The header's frame count cannot be trusted: a file written to a pipe or cut short
// carries a placeholder (0, or 2^30 from FFmpeg's own writer). The index counts the
// chunks actually stored; without one, the file is read through once.
int64_t AviVideoStream::CountFrames()
{
    const int entries = avformat_index_get_entries_count(m_stream);
    if (entries == 0)
        return ScanFrameCount();
    const AVIndexEntry* last = avformat_index_get_entry(m_stream, entries - 1);
    return std::max<int64_t>(entries, last->timestamp + 1);
}

int64_t AviVideoStream::ScanFrameCount()
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return 0;
    int64_t packets = 0;
    int64_t end = 0;
    while (av_read_frame(m_format.get(), packet.get()) >= 0) {
        if (packet->stream_index == m_stream->index) {
            ++packets;
            if (const auto number = PacketNumber(*packet))
                end = std::max(end, *number + 1);
        }
        av_packet_unref(packet.get());
    }
    return std::max(packets, end);
}

const AVFrame* AviVideoStream::FrameAt(int64_t position)
{
    if (!m_decoder || position < 0 || position >= m_frameCount)
        return nullptr;
    if (!CanDecodeOnwardTo(position) && !SeekBefore(position))
        return nullptr;
    DecodeUpTo(position);
    if (!m_currentNumber || *m_currentNumber > position || FailedBetween(*m_currentNumber, position))
        return nullptr;
    return m_current.get();
}

std::optional<int64_t> AviVideoStream::KeyFrameAtOrBefore(int64_t number) const
{
    const int index = av_index_search_timestamp(m_stream, number, AVSEEK_FLAG_BACKWARD);
    const AVIndexEntry* entry = index >= 0 ? avformat_index_get_entry(m_stream, index) : nullptr;
    if (entry == nullptr)
        return std::nullopt;
    return entry->timestamp;
}

// Decoding on is cheaper than a seek unless a key frame beyond the next frame is closer
// to position than the current frame is.
bool AviVideoStream::CanDecodeOnwardTo(int64_t position) const
{
    if (!m_currentNumber || *m_currentNumber > position)
        return false;
    const std::optional<int64_t> keyFrame = KeyFrameAtOrBefore(position);
    return !keyFrame || *keyFrame <= *m_currentNumber + 1;
}

// The index holds chunk numbers. With B-frames a key frame can be shown after frames stored
// behind it, so its frame number can exceed its chunk number: when the first frame decoded
// lies beyond position, or came out only as the decoder drained (so without a timestamp
// to number it by), start again from the key frame before. A decoder that reorders also
// stamps the stream's very first frame late: it stands at every position before its own.
bool AviVideoStream::SeekBefore(int64_t position)
{
    for (int64_t target = position;;) {
        const int64_t keyFrame = std::max<int64_t>(KeyFrameAtOrBefore(target).value_or(0), 0);
        if (!SeekTo(keyFrame))
            return false;
        if (!DecodeNextFrame())
            return true;
        if (keyFrame == 0) {
            m_upcomingNumber = std::min(*m_upcomingNumber, position);
            return true;
        }
        if (FrameTimestamp(*m_upcoming) && *m_upcomingNumber <= position)
            return true;
        target = keyFrame - 1;
    }
}

bool AviVideoStream::SeekTo(int64_t number)
{
    if (av_seek_frame(m_format.get(), m_stream->index, number, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(m_decoder.get());
    av_frame_unref(m_current.get());
    av_frame_unref(m_upcoming.get());
    m_currentNumber.reset();
    m_upcomingNumber.reset();
    m_numbering.Restart();
    m_lastSentNumber.reset();
    m_failedNumbers.clear();
    m_draining = false;
    return true;
}

// Afterwards the current frame is the last one numbered at or before position; a frame
// beyond it stays waiting as the upcoming one.
void AviVideoStream::DecodeUpTo(int64_t position)
{
    while (!m_currentNumber || *m_currentNumber != position) {
        if (!m_upcomingNumber && !DecodeNextFrame())
            return;
        if (*m_upcomingNumber > position)
            return;
        std::swap(m_current, m_upcoming);
        av_frame_unref(m_upcoming.get());
        m_currentNumber = std::exchange(m_upcomingNumber, std::nullopt);
    }
}

bool AviVideoStream::DecodeNextFrame()
{
    for (;;) {
        const int received = avcodec_receive_frame(m_decoder.get(), m_upcoming.get());
        if (received == 0) {
            m_upcomingNumber = m_numbering.NumberNextFrame(FrameTimestamp(*m_upcoming), m_decoder->has_b_frames);
            return true;
        }
        if (m_draining)
            return false;
        if (received != AVERROR(EAGAIN))
            NoteFailedPacket(m_lastSentNumber);
        if (!SendNextPacket()) {
            avcodec_send_packet(m_decoder.get(), nullptr);
            m_draining = true;
        }
    }
}

bool AviVideoStream::SendNextPacket()
{
    while (av_read_frame(m_format.get(), m_packet.get()) >= 0) {
        // An empty packet would tell the decoder that the stream has ended.
        if (m_packet->stream_index != m_stream->index || m_packet->size == 0) {
            av_packet_unref(m_packet.get());
            continue;
        }
        const std::optional<int64_t> number = PacketNumber(*m_packet);
        const int sent = avcodec_send_packet(m_decoder.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (sent < 0) {
            NoteFailedPacket(number);
            continue;
        }
        if (number)
            m_numbering.NoteAcceptedPacket(*number);
        m_lastSentNumber = number;
        return true;
    }
    return false;
}

// Without reordering a packet's number is its frame's number. A decoder that reorders
// puts out frames under other numbers: a frame it could not decode is not marked, and its
// position shows the frame before, as a dropped frame does.
void AviVideoStream::NoteFailedPacket(std::optional<int64_t> number)
{
    if (number && m_decoder->has_b_frames == 0)
        m_failedNumbers.insert(*number);
}

bool AviVideoStream::FailedBetween(int64_t after, int64_t upTo) const
{
    const auto failed = m_failedNumbers.upper_bound(after);
    return failed != m_failedNumbers.end() && *failed <= upTo;
}
