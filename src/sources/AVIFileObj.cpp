#include "AVIFileObj.h"

#include "AviOpenError.h"
#include "AviVideoStream.h"
#include "MessageBox.h"

#include <algorithm>
#include <climits>

namespace {

const QString kNotEnoughMemory = QStringLiteral("Not enough memory to load!");
const QString kInvalidFormat = QStringLiteral("Invalid file format!");
const QString kNoDecompressor = QStringLiteral("AVIStreamGetFrameOpen error!");
const QString kIncompatibleBitCount = QStringLiteral("BitCounts is not compatible!");

void ShowOpenFailure(int ffmpegError, QWidget* messageOwner)
{
    switch (ClassifyAviOpenError(ffmpegError)) {
    case AviOpenError::NotEnoughMemory: ShowMessageBox(messageOwner, kNotEnoughMemory); break;
    case AviOpenError::InvalidFormat: ShowMessageBox(messageOwner, kInvalidFormat); break;
    case AviOpenError::Other: break;
    }
}

bool IsCompatibleBitCount(int bitCount)
{
    const int bytesPerPixel = bitCount / 8;
    return bytesPerPixel >= 2 && bytesPerPixel <= 4;
}

}  // namespace

AVIFileObj::AVIFileObj() = default;
AVIFileObj::~AVIFileObj() = default;

int AVIFileObj::Load(const QString& path, QWidget* messageOwner)
{
    m_pStream.reset();
    m_frame.release();
    m_framePosition = kNoPosition;
    m_strPath = path;

    auto stream = std::make_unique<AviVideoStream>();
    if (const int error = stream->Open(path); error < 0) {
        ShowOpenFailure(error, messageOwner);
        return 0;
    }
    if (!stream->IsAvi() || !stream->SelectFirstVideoStream())
        return 0;
    // A stream whose first frame cannot be decoded (cut short, corrupt, of an impossible
    // size) has no usable decompressor either.
    const AVFrame* first = stream->OpenDecoder() ? stream->FrameAt(0) : nullptr;
    if (first == nullptr) {
        ShowMessageBox(messageOwner, kNoDecompressor);
        return 0;
    }
    if (!IsCompatibleBitCount(DibFramePacker::BitCount(*first, stream->IsRawVideo()))) {
        ShowMessageBox(messageOwner, kIncompatibleBitCount);
        return 0;
    }
    m_pStream = std::move(stream);
    return 1;
}

int AVIFileObj::FrameCount() const
{
    return m_pStream ? int(std::min<int64_t>(m_pStream->FrameCount(), INT_MAX)) : 0;
}

const FrameRecord* AVIFileObj::GetFrame(int position)
{
    if (!m_pStream || position < 0)
        return nullptr;
    if (position == m_framePosition)
        return &m_frame;
    m_framePosition = kNoPosition;
    const AVFrame* frame = m_pStream->FrameAt(position);
    if (frame == nullptr || !m_packer.Pack(*frame, m_pStream->IsRawVideo(), m_frame))
        return nullptr;
    m_framePosition = position;
    return &m_frame;
}
