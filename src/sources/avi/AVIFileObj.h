#pragma once

#include "imaging/FrameRecord.h"
#include "sources/avi/DibFramePacker.h"
#include "sources/avi/DisplayOrderStream.h"

#include <QString>

#include <memory>

class VideoStream;
class QWidget;

// Reads the first video stream of a video file or picture (AVI, MP4, MOV, MKV, WebM,
// MPEG-TS, PNG, JPEG, BMP, TIFF, WebP, ...): its frame count and any of its frames, in
// display order, as a frame record (40-byte header, then the pixels bottom-up without row
// padding). A picture is a stream of one frame.
class AVIFileObj {
public:
    using Progress = DisplayOrderStream::Progress;

    AVIFileObj();
    ~AVIFileObj();
    AVIFileObj(const AVIFileObj&) = delete;
    AVIFileObj& operator=(const AVIFileObj&) = delete;

    // 1 when the file is ready for frame fetching, 0 on failure. Shows the reason, when it
    // has one, in a message box owned by messageOwner. Files whose frames must be counted
    // one by one report how far the count has come to progress, which may stop it.
    int Load(const QString& path, QWidget* messageOwner, const Progress& progress = {});
    // Whether the last Load failed because progress stopped it.
    bool WasCancelled() const { return m_cancelled; }

    const QString& Path() const { return m_strPath; }

    // The number of frames of the stream; 0 with no file loaded.
    int FrameCount() const;

    // The frame at position (0 to FrameCount() - 1) as a frame record of 16, 24 or 32 bits
    // per pixel, owned by the reader and valid until the next call; nullptr when that frame
    // cannot be decoded. Asking again for the same position does not decode again.
    const FrameRecord* GetFrame(int position);

private:
    static constexpr int kNoPosition = -1;

    std::unique_ptr<VideoStream> OpenAvi(FormatContextPtr format, QWidget* messageOwner);
    std::unique_ptr<VideoStream> OpenOther(FormatContextPtr format, QWidget* messageOwner, const Progress& progress);
    bool CheckFirstFrame(VideoStream& stream, bool decoderOpened, QWidget* messageOwner);

    QString m_strPath;
    std::unique_ptr<VideoStream> m_pStream;
    DibFramePacker m_packer;
    FrameRecord m_frame;
    int m_framePosition = kNoPosition;
    bool m_cancelled = false;
};
