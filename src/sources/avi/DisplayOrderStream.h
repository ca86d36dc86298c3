#pragma once

#include "sources/avi/DisplayOrderIndex.h"
#include "sources/avi/DecodedFrames.h"
#include "sources/avi/VideoStream.h"
#include "sources/ffmpeg/FfmpegPointers.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

struct AVPacket;
struct AVStream;

// The first video stream of any container FFmpeg reads (MP4, MOV, MKV, WebM, MPEG-TS, a
// still picture, ...), decoded at any frame position in display order. Opening reads every
// packet once to learn the frames' order; frame n is then the n-th frame shown, with
// B-frames, open groups of pictures and uneven frame times alike.
class DisplayOrderStream : public VideoStream {
public:
    // Told the share of the file read so far (0 to 100); answers false to stop reading.
    using Progress = std::function<bool(int percent)>;

    // Reads the file at path that format has open.
    DisplayOrderStream(QString path, FormatContextPtr format);

    // Picks the first video stream; false when there is none.
    bool SelectFirstVideoStream();
    // Reads every packet of the stream to order its frames; false when progress stopped it.
    bool IndexFrames(const Progress& progress);
    // False when no decoder for the stream's format can be opened.
    bool OpenDecoder();

    int64_t FrameCount() const override { return m_index.FrameCount(); }
    // Only an AVI file hands on raw DIBs; frames here are always converted to 24 bits.
    bool IsRawVideo() const override { return false; }
    // Decodes on from the frames already decoded when the key frame the position needs has
    // been read, otherwise seeks to that key frame first.
    const AVFrame* FrameAt(int64_t position) override;

private:
    bool Reopen();
    bool CanDecodeOnwardTo(int64_t position) const;
    void SeekTo(int64_t keyPacket);
    void ResetDecoding(int64_t startPacket);
    void DecodeUpTo(int64_t position);
    bool DecodeNextFrame();
    bool SendNextPacket();
    bool ShownBeforeSought(int64_t decodeIndex) const;
    bool RestartFromTheBeginning();
    int64_t NumberOf(const AVFrame& frame) const;

    QString m_path;
    FormatContextPtr m_format;
    AVStream* m_stream = nullptr;
    CodecContextPtr m_decoder;
    PacketPtr m_packet;
    DisplayOrderIndex m_index;

    DecodedFrames m_frames;
    // The highest frame number put out since decoding started at m_startPacket.
    std::optional<int64_t> m_lastNumber;

    // Decoding starts at this packet (a key frame): packets before it are read past.
    int64_t m_startPacket = 0;
    bool m_reachedStart = false;
    bool m_restarted = false;
    // Frames before the start packet's own frame cannot be decoded properly from it.
    int64_t m_firstFrame = 0;
    // The packet of the frame a seek is decoding towards.
    std::optional<int64_t> m_soughtPacket;
    // The packet the decoder needs next, in decode order.
    int64_t m_nextPacket = 0;
    bool m_draining = false;
};
