#include "sources/avi/AVIFileObj.h"

#include "platform/MessageBox.h"
#include "sources/avi/AviOpenError.h"
#include "sources/avi/AviVideoStream.h"
#include "sources/avi/MediaFile.h"

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

int AVIFileObj::Load(const QString& path, QWidget* messageOwner, const Progress& progress)
{
    m_pStream.reset();
    m_frame.release();
    m_framePosition = kNoPosition;
    m_cancelled = false;
    m_strPath = path;

    FormatContextPtr format;
    if (const int error = OpenMediaFile(path, format); error < 0) {
        ShowOpenFailure(error, messageOwner);
        return 0;
    }
    m_pStream = IsAviFile(*format) ? OpenAvi(std::move(format), messageOwner)
                                   : OpenOther(std::move(format), messageOwner, progress);
    return m_pStream ? 1 : 0;
}

std::unique_ptr<VideoStream> AVIFileObj::OpenAvi(FormatContextPtr format, QWidget* messageOwner)
{
    auto stream = std::make_unique<AviVideoStream>(std::move(format));
    if (!stream->SelectFirstVideoStream())
        return {};
    const bool decoderOpened = stream->OpenDecoder();
    if (!CheckFirstFrame(*stream, decoderOpened, messageOwner))
        return {};
    return stream;
}

std::unique_ptr<VideoStream> AVIFileObj::OpenOther(FormatContextPtr format, QWidget* messageOwner,
                                                   const Progress& progress)
{
    auto stream = std::make_unique<DisplayOrderStream>(m_strPath, std::move(format));
    if (!stream->SelectFirstVideoStream())
        return {};
    if (!stream->IndexFrames(progress)) {
        m_cancelled = true;
        return {};
    }
    const bool decoderOpened = stream->OpenDecoder();
    if (!CheckFirstFrame(*stream, decoderOpened, messageOwner))
        return {};
    return stream;
}

// A stream whose first frame cannot be decoded (cut short, corrupt, of an impossible size)
// has no usable decompressor either.
bool AVIFileObj::CheckFirstFrame(VideoStream& stream, bool decoderOpened, QWidget* messageOwner)
{
    const AVFrame* first = decoderOpened ? stream.FrameAt(0) : nullptr;
    if (first == nullptr) {
        ShowMessageBox(messageOwner, kNoDecompressor);
        return false;
    }
    if (!IsCompatibleBitCount(DibFramePacker::BitCount(*first, stream.IsRawVideo()))) {
        ShowMessageBox(messageOwner, kIncompatibleBitCount);
        return false;
    }
    return true;
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
