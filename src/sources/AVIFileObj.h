#pragma once

#include "DibFramePacker.h"
#include "FrameRecord.h"

#include <QString>

#include <memory>

class AviVideoStream;
class QWidget;

// Reads the first video stream of an AVI file: its frame count and any of its frames as a
// frame record (40-byte header, then the pixels bottom-up without row padding).
class AVIFileObj {
public:
    AVIFileObj();
    ~AVIFileObj();
    AVIFileObj(const AVIFileObj&) = delete;
    AVIFileObj& operator=(const AVIFileObj&) = delete;

    // 1 when the file is ready for frame fetching, 0 on failure. Shows the reason, when it
    // has one, in a message box owned by messageOwner.
    int Load(const QString& path, QWidget* messageOwner);

    const QString& Path() const { return m_strPath; }

    // The number of frames of the stream; 0 with no file loaded.
    int FrameCount() const;

    // The frame at position (0 to FrameCount() - 1) as a frame record of 16, 24 or 32 bits
    // per pixel, owned by the reader and valid until the next call; nullptr when that frame
    // cannot be decoded. Asking again for the same position does not decode again.
    const FrameRecord* GetFrame(int position);

private:
    static constexpr int kNoPosition = -1;

    QString m_strPath;
    std::unique_ptr<AviVideoStream> m_pStream;
    DibFramePacker m_packer;
    FrameRecord m_frame;
    int m_framePosition = kNoPosition;
};
