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
    // Decoding starts from the beginning of a freshly opened file.
    return Reopen();
}

bool DisplayOrderStream::OpenDecoder()
{
    decoder_ = OpenVideoDecoder(*stream_, kMaxFramePixels);
    packet_.reset(av_packet_alloc());
    current_.reset(av_frame_alloc());
    upcoming_.reset(av_frame_alloc());
    return decoder_ && packet_ && current_ && upcoming_;
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
    if (currentNumber_ == position)
        return current_.get();
    if (CanDecodeOnwardTo(position)) {
        DecodeUpTo(position);
        return currentNumber_ == position ? current_.get() : nullptr;
    }
    const int64_t keyPacket = index_.KeyPacketFor(position);
    SeekTo(keyPacket);
    DecodeUpTo(position);
    // A decoder may hold back the last frames decoded from a key frame that does not
    // refresh everything (the I-frame of an open group of pictures): start once more from
    // the key frame before.
    if (currentNumber_ != position && keyPacket > 0) {
        SeekTo(index_.KeyPacketBefore(keyPacket));
        DecodeUpTo(position);
    }
    return currentNumber_ == position ? current_.get() : nullptr;
}

bool DisplayOrderStream::CanDecodeOnwardTo(int64_t position) const
{
    const bool notYetPassed = upcomingNumber_ ? *upcomingNumber_ <= position : !lastNumber_ || *lastNumber_ < position;
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
    av_frame_unref(current_.get());
    av_frame_unref(upcoming_.get());
    currentNumber_.reset();
    upcomingNumber_.reset();
    lastNumber_.reset();
    startPacket_ = startPacket;
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

// Afterwards the current frame is the last one numbered at or before position; a frame
// beyond it stays waiting as the upcoming one.
void DisplayOrderStream::DecodeUpTo(int64_t position)
{
    while (!currentNumber_ || *currentNumber_ != position) {
        if (!upcomingNumber_ && !DecodeNextFrame())
            return;
        if (*upcomingNumber_ > position)
            return;
        std::swap(current_, upcoming_);
        av_frame_unref(upcoming_.get());
        currentNumber_ = std::exchange(upcomingNumber_, std::nullopt);
    }
}

bool DisplayOrderStream::DecodeNextFrame()
{
    for (;;) {
        const int received = avcodec_receive_frame(decoder_.get(), upcoming_.get());
        if (received == 0) {
            const int64_t number = NumberOf(*upcoming_);
            if (number < firstFrame_) {
                av_frame_unref(upcoming_.get());
                continue;
            }
            upcomingNumber_ = number;
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
        // A packet the decoder refuses leaves its frame out; the frames after still come.
        const int sent = avcodec_send_packet(decoder_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (sent >= 0)
            return true;
    }
    return false;
}
