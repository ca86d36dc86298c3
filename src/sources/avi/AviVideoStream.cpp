#include "sources/avi/AviVideoStream.h"

#include "sources/avi/MediaFile.h"

#include <algorithm>
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

AviVideoStream::AviVideoStream(FormatContextPtr format) : m_format(std::move(format)) {}

bool AviVideoStream::SelectFirstVideoStream()
{
    m_stream = ::SelectFirstVideoStream(*m_format);
    if (m_stream == nullptr)
        return false;
    m_frameCount = CountFrames();
    return true;
}

bool AviVideoStream::OpenDecoder()
{
    m_decoder = OpenVideoDecoder(*m_stream);
    m_packet.reset(av_packet_alloc());
    return m_frames.Allocate() && m_decoder && m_packet;
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
    m_frames.AdvanceTo(position, [this] { return DecodeNextFrame(); });
    const std::optional<int64_t> shown = m_frames.currentNumber;
    if (!shown || *shown > position || FailedBetween(*shown, position))
        return nullptr;
    return m_frames.current.get();
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
    if (!m_frames.currentNumber || *m_frames.currentNumber > position)
        return false;
    const std::optional<int64_t> keyFrame = KeyFrameAtOrBefore(position);
    return !keyFrame || *keyFrame <= *m_frames.currentNumber + 1;
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
            m_frames.upcomingNumber = std::min(*m_frames.upcomingNumber, position);
            return true;
        }
        if (FrameTimestamp(*m_frames.upcoming) && *m_frames.upcomingNumber <= position)
            return true;
        target = keyFrame - 1;
    }
}

bool AviVideoStream::SeekTo(int64_t number)
{
    if (av_seek_frame(m_format.get(), m_stream->index, number, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(m_decoder.get());
    m_frames.Clear();
    m_numbering.Restart();
    m_lastSentNumber.reset();
    m_failedNumbers.clear();
    m_draining = false;
    return true;
}

bool AviVideoStream::DecodeNextFrame()
{
    for (;;) {
        const int received = avcodec_receive_frame(m_decoder.get(), m_frames.upcoming.get());
        if (received == 0) {
            m_frames.upcomingNumber =
                m_numbering.NumberNextFrame(FrameTimestamp(*m_frames.upcoming), m_decoder->has_b_frames);
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
