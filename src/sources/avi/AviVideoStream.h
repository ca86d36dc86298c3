#pragma once

#include "sources/avi/FrameNumbering.h"
#include "sources/avi/DecodedFrames.h"
#include "sources/avi/VideoStream.h"
#include "sources/ffmpeg/FfmpegPointers.h"

#include <cstdint>
#include <optional>
#include <set>

struct AVStream;

// The first video stream of an AVI file, decoded at any frame position: the demuxer, the
// decoder, and where the decoder stands in the stream. Frame positions are the stream's
// frame numbers (chunk numbers; the AVI time base is one frame).
class AviVideoStream : public VideoStream {
public:
    // Reads the AVI file that format has open.
    explicit AviVideoStream(FormatContextPtr format);

    // Picks the first video stream and counts its frames; false when there is none.
    bool SelectFirstVideoStream();
    // False when no decoder for the stream's format can be opened.
    bool OpenDecoder();

    int64_t FrameCount() const override { return m_frameCount; }
    bool IsRawVideo() const override;

    // The decoded frame at position, valid until the next call; nullptr when it cannot be
    // decoded. Decodes on from the current frame when no key frame lies between it and
    // position, otherwise seeks to the key frame at or before position first.
    const AVFrame* FrameAt(int64_t position) override;

private:
    int64_t CountFrames();
    int64_t ScanFrameCount();
    std::optional<int64_t> KeyFrameAtOrBefore(int64_t number) const;
    bool CanDecodeOnwardTo(int64_t position) const;
    bool SeekBefore(int64_t position);
    bool SeekTo(int64_t number);
    bool DecodeNextFrame();
    bool SendNextPacket();
    void NoteFailedPacket(std::optional<int64_t> number);
    bool FailedBetween(int64_t after, int64_t upTo) const;

    FormatContextPtr m_format;
    AVStream* m_stream = nullptr;
    CodecContextPtr m_decoder;
    PacketPtr m_packet;
    int64_t m_frameCount = 0;

    DecodedFrames m_frames;

    FrameNumbering m_numbering;
    std::optional<int64_t> m_lastSentNumber;
    // Packets the decoder refused since the last seek: their frames cannot be shown.
    std::set<int64_t> m_failedNumbers;
    bool m_draining = false;
};
