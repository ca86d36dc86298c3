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

AviVideoStream::AviVideoStream(FormatContextPtr format) : format_(std::move(format)) {}

bool AviVideoStream::SelectFirstVideoStream()
{
    stream_ = ::SelectFirstVideoStream(*format_);
    if (stream_ == nullptr)
        return false;
    frameCount_ = CountFrames();
    return true;
}

bool AviVideoStream::OpenDecoder()
{
    decoder_ = OpenVideoDecoder(*stream_);
    packet_.reset(av_packet_alloc());
    return frames_.Allocate() && decoder_ && packet_;
}

bool AviVideoStream::IsRawVideo() const
{
    return decoder_ && decoder_->codec_id == AV_CODEC_ID_RAWVIDEO;
}

// The header's frame count cannot be trusted: a file written to a pipe or cut short
// carries a placeholder (0, or 2^30 from FFmpeg's own writer). The index counts the
// chunks actually stored; without one, the file is read through once.
int64_t AviVideoStream::CountFrames()
{
    const int entries = avformat_index_get_entries_count(stream_);
    if (entries == 0)
        return ScanFrameCount();
    const AVIndexEntry* last = avformat_index_get_entry(stream_, entries - 1);
    return std::max<int64_t>(entries, last->timestamp + 1);
}

int64_t AviVideoStream::ScanFrameCount()
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return 0;
    int64_t packets = 0;
    int64_t end = 0;
    while (av_read_frame(format_.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream_->index) {
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
    if (!decoder_ || position < 0 || position >= frameCount_)
        return nullptr;
    if (!CanDecodeOnwardTo(position) && !SeekBefore(position))
        return nullptr;
    frames_.AdvanceTo(position, [this] { return DecodeNextFrame(); });
    const std::optional<int64_t> shown = frames_.currentNumber;
    if (!shown || *shown > position || FailedBetween(*shown, position))
        return nullptr;
    return frames_.current.get();
}

std::optional<int64_t> AviVideoStream::KeyFrameAtOrBefore(int64_t number) const
{
    const int index = av_index_search_timestamp(stream_, number, AVSEEK_FLAG_BACKWARD);
    const AVIndexEntry* entry = index >= 0 ? avformat_index_get_entry(stream_, index) : nullptr;
    if (entry == nullptr)
        return std::nullopt;
    return entry->timestamp;
}

// Decoding on is cheaper than a seek unless a key frame beyond the next frame is closer
// to position than the current frame is.
bool AviVideoStream::CanDecodeOnwardTo(int64_t position) const
{
    if (!frames_.currentNumber || *frames_.currentNumber > position)
        return false;
    const std::optional<int64_t> keyFrame = KeyFrameAtOrBefore(position);
    return !keyFrame || *keyFrame <= *frames_.currentNumber + 1;
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
            frames_.upcomingNumber = std::min(*frames_.upcomingNumber, position);
            return true;
        }
        if (FrameTimestamp(*frames_.upcoming) && *frames_.upcomingNumber <= position)
            return true;
        target = keyFrame - 1;
    }
}

bool AviVideoStream::SeekTo(int64_t number)
{
    if (av_seek_frame(format_.get(), stream_->index, number, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(decoder_.get());
    frames_.Clear();
    numbering_.Restart();
    lastSentNumber_.reset();
    failedNumbers_.clear();
    draining_ = false;
    return true;
}

bool AviVideoStream::DecodeNextFrame()
{
    for (;;) {
        const int received = avcodec_receive_frame(decoder_.get(), frames_.upcoming.get());
        if (received == 0) {
            frames_.upcomingNumber =
                numbering_.NumberNextFrame(FrameTimestamp(*frames_.upcoming), decoder_->has_b_frames);
            return true;
        }
        if (draining_)
            return false;
        if (received != AVERROR(EAGAIN))
            NoteFailedPacket(lastSentNumber_);
        if (!SendNextPacket()) {
            avcodec_send_packet(decoder_.get(), nullptr);
            draining_ = true;
        }
    }
}

bool AviVideoStream::SendNextPacket()
{
    while (av_read_frame(format_.get(), packet_.get()) >= 0) {
        // An empty packet would tell the decoder that the stream has ended.
        if (packet_->stream_index != stream_->index || packet_->size == 0) {
            av_packet_unref(packet_.get());
            continue;
        }
        const std::optional<int64_t> number = PacketNumber(*packet_);
        const int sent = avcodec_send_packet(decoder_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (sent < 0) {
            NoteFailedPacket(number);
            continue;
        }
        if (number)
            numbering_.NoteAcceptedPacket(*number);
        lastSentNumber_ = number;
        return true;
    }
    return false;
}

// Without reordering a packet's number is its frame's number. A decoder that reorders
// puts out frames under other numbers: a frame it could not decode is not marked, and its
// position shows the frame before, as a dropped frame does.
void AviVideoStream::NoteFailedPacket(std::optional<int64_t> number)
{
    if (number && decoder_->has_b_frames == 0)
        failedNumbers_.insert(*number);
}

bool AviVideoStream::FailedBetween(int64_t after, int64_t upTo) const
{
    const auto failed = failedNumbers_.upper_bound(after);
    return failed != failedNumbers_.end() && *failed <= upTo;
}
