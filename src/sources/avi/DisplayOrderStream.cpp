#include "sources/avi/DisplayOrderStream.h"

#include "sources/avi/MediaFile.h"

#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// More than any decoder holds frames back to put them in display order: a frame shown
// after the sought one is stored no more than this many packets before it.
constexpr int64_t kReorderWindowPackets = 16;

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
    : path_(std::move(path)), format_(std::move(format))
{
}

bool DisplayOrderStream::SelectFirstVideoStream()
{
    stream_ = ::SelectFirstVideoStream(*format_);
    return stream_ != nullptr;
}

bool DisplayOrderStream::IndexFrames(const Progress& progress)
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return false;
    int64_t lastTime = -1;
    for (int64_t read = 1; av_read_frame(format_.get(), packet.get()) >= 0; ++read) {
        // An empty packet holds no frame; a decoder would take it for the end of the stream.
        if (packet->stream_index == stream_->index && packet->size > 0) {
            lastTime = ShownAt(*packet, lastTime + 1);
            const int64_t seekTime = packet->dts != AV_NOPTS_VALUE ? packet->dts : lastTime;
            index_.Add(IdOf(*packet), lastTime, seekTime, (packet->flags & AV_PKT_FLAG_KEY) != 0);
        }
        av_packet_unref(packet.get());
        if (progress && read % kPacketsPerProgressReport == 0 && !progress(PercentRead(format_->pb)))
            return false;
    }
    index_.Finish();
    // Decoding starts from the beginning of a freshly opened file. Should it not open again,
    // no frame decodes and the file is refused as one that cannot be decoded.
    Reopen();
    return true;
}

bool DisplayOrderStream::OpenDecoder()
{
    decoder_ = OpenVideoDecoder(*stream_, kMaxFramePixels);
    packet_.reset(av_packet_alloc());
    return frames_.Allocate() && decoder_ && packet_;
}

// Some demuxers (a picture's, for one) cannot seek back; opening the file again always can.
bool DisplayOrderStream::Reopen()
{
    const int streamIndex = stream_->index;
    FormatContextPtr format;
    if (OpenMediaFile(path_, format) < 0)
        return false;
    AVStream* stream = ::SelectFirstVideoStream(*format);
    if (stream == nullptr || stream->index != streamIndex)
        return false;
    format_ = std::move(format);
    stream_ = stream;
    return true;
}

const AVFrame* DisplayOrderStream::FrameAt(int64_t position)
{
    if (!decoder_ || position < 0 || position >= FrameCount())
        return nullptr;
    if (frames_.currentNumber == position)
        return frames_.current.get();
    if (CanDecodeOnwardTo(position)) {
        DecodeUpTo(position);
        return frames_.currentNumber == position ? frames_.current.get() : nullptr;
    }
    const int64_t keyPacket = index_.KeyPacketFor(position);
    SeekTo(keyPacket);
    soughtPacket_ = index_.PacketOfFrame(position);
    DecodeUpTo(position);
    // A decoder may hold back the last frames decoded from a key frame that does not
    // refresh everything (the I-frame of an open group of pictures): start once more from
    // the key frame before.
    if (frames_.currentNumber != position && keyPacket > 0) {
        SeekTo(index_.KeyPacketBefore(keyPacket));
        DecodeUpTo(position);
    }
    return frames_.currentNumber == position ? frames_.current.get() : nullptr;
}

bool DisplayOrderStream::CanDecodeOnwardTo(int64_t position) const
{
    const std::optional<int64_t> waiting = frames_.upcomingNumber;
    const bool notYetPassed = waiting ? *waiting <= position : !lastNumber_ || *lastNumber_ < position;
    return notYetPassed && index_.KeyPacketFor(position) <= nextPacket_;
}

void DisplayOrderStream::SeekTo(int64_t keyPacket)
{
    ResetDecoding(keyPacket);
    // From the stream's first packet every frame decodes, whatever key frame comes first.
    firstFrame_ = keyPacket == 0 ? 0 : index_.FrameAtTime(index_.PacketTime(keyPacket)).value_or(0);
    const int sought =
        av_seek_frame(format_.get(), stream_->index, index_.SeekTime(keyPacket), AVSEEK_FLAG_BACKWARD);
    if (sought < 0)
        RestartFromTheBeginning();
}

void DisplayOrderStream::ResetDecoding(int64_t startPacket)
{
    avcodec_flush_buffers(decoder_.get());
    frames_.Clear();
    lastNumber_.reset();
    startPacket_ = startPacket;
    soughtPacket_.reset();
    nextPacket_ = startPacket;
    reachedStart_ = false;
    restarted_ = false;
    draining_ = false;
}

bool DisplayOrderStream::RestartFromTheBeginning()
{
    restarted_ = true;
    return Reopen();
}

void DisplayOrderStream::DecodeUpTo(int64_t position)
{
    frames_.AdvanceTo(position, [this] { return DecodeNextFrame(); });
}

bool DisplayOrderStream::DecodeNextFrame()
{
    for (;;) {
        const int received = avcodec_receive_frame(decoder_.get(), frames_.upcoming.get());
        if (received == 0) {
            const int64_t number = NumberOf(*frames_.upcoming);
            if (number < firstFrame_) {
                av_frame_unref(frames_.upcoming.get());
                continue;
            }
            frames_.upcomingNumber = number;
            lastNumber_ = number;
            return true;
        }
        if (draining_)
            return false;
        if (!SendNextPacket()) {
            avcodec_send_packet(decoder_.get(), nullptr);
            draining_ = true;
        }
    }
}

// A frame whose time the index does not know follows the one before.
int64_t DisplayOrderStream::NumberOf(const AVFrame& frame) const
{
    if (frame.best_effort_timestamp != AV_NOPTS_VALUE)
        if (const auto number = index_.FrameAtTime(frame.best_effort_timestamp))
            return *number;
    return lastNumber_ ? *lastNumber_ + 1 : firstFrame_;
}

bool DisplayOrderStream::SendNextPacket()
{
    while (av_read_frame(format_.get(), packet_.get()) >= 0) {
        const bool ours = packet_->stream_index == stream_->index && packet_->size > 0;
        const std::optional<int64_t> decodeIndex = ours ? index_.DecodeIndexOf(IdOf(*packet_)) : std::nullopt;
        if (!decodeIndex || *decodeIndex < startPacket_) {
            av_packet_unref(packet_.get());
            continue;
        }
        if (!reachedStart_ && *decodeIndex > startPacket_) {
            // The seek landed beyond the key frame: read from the beginning instead.
            av_packet_unref(packet_.get());
            if (restarted_ || !RestartFromTheBeginning())
                return false;
            continue;
        }
        reachedStart_ = true;
        nextPacket_ = *decodeIndex + 1;
        // On the way to a sought frame, frames nothing refers to and shown well before it
        // need not be decoded at all.
        const bool farBefore = soughtPacket_ && *decodeIndex + kReorderWindowPackets < *soughtPacket_;
        decoder_->skip_frame = farBefore ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        // A packet the decoder refuses leaves its frame out; the frames after still come.
        const int sent = avcodec_send_packet(decoder_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (sent >= 0)
            return true;
    }
    return false;
}
