#include "sources/avi/DibFramePacker.h"

#include "imaging/FrameRecord.h"
#include "sources/avi/DibRows.h"
#include "sources/ffmpeg/BottomUpScaling.h"
#include "sources/ffmpeg/ScalerSource.h"

#include <limits>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

// biSizeImage is a 32-bit field.
constexpr uint64_t kMaxPixelBytes = std::numeric_limits<uint32_t>::max() - kBitmapHeaderSize;

bool IsYuv(AVPixelFormat format)
{
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    return descriptor != nullptr && (descriptor->flags & AV_PIX_FMT_FLAG_RGB) == 0 && descriptor->nb_components >= 3;
}

}  // namespace

int DibFramePacker::BitCount(const AVFrame& frame, bool rawStream)
{
    if (!rawStream)
        return 24;
    const auto format = static_cast<AVPixelFormat>(frame.format);
    switch (format) {
    case AV_PIX_FMT_RGB555LE: return 16;
    case AV_PIX_FMT_BGR24: return 24;
    case AV_PIX_FMT_BGRA:
    case AV_PIX_FMT_BGR0: return 32;
    default: break;
    }
    // Palette and grey DIBs keep their few bits; raw YUV and other layouts are converted.
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    const int bits = descriptor != nullptr ? av_get_bits_per_pixel(descriptor) : 0;
    return bits > 0 && bits <= 8 ? bits : 24;
}

bool DibFramePacker::Pack(const AVFrame& frame, bool rawStream, FrameRecord& record)
{
    const int bitCount = BitCount(frame, rawStream);
    if (bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    if (frame.width <= 0 || frame.height <= 0)
        return false;
    const uint64_t rowBytes = uint64_t(frame.width) * uint64_t(bitCount / 8);
    if (rowBytes > uint64_t(std::numeric_limits<int>::max()) || rowBytes * uint64_t(frame.height) > kMaxPixelBytes)
        return false;

    const BitmapInfoHeader header = MakeBitmapHeader(frame.width, frame.height, bitCount);
    record.resize(kBitmapHeaderSize + header.biSizeImage);
    record.setHeader(header);
    const bool passedOn = bitCount != 24 || frame.format == AV_PIX_FMT_BGR24;
    if (passedOn) {
        PackRowsBottomUp(frame.data[0], frame.linesize[0], rowBytes, frame.height, record.pixels());
        return true;
    }
    return ConvertBottomUp(frame, record.pixels());
}

bool DibFramePacker::ConvertBottomUp(const AVFrame& frame, uint8_t* pixels)
{
    return PrepareScaler(frame) && ScaleBottomUp(*m_scaler, frame, frame.width, frame.height, pixels, m_scratch);
}

bool DibFramePacker::PrepareScaler(const AVFrame& frame)
{
    const ScalerSource source = ScalerSourceOf(frame);
    const ScalerSettings settings{frame.width, frame.height, source.format, frame.colorspace, source.fullRange};
    if (m_scaler && settings == m_scalerSettings)
        return true;
    // Plain flags keep the scaler's fast YUV-to-RGB path; the accurate-rounding and
    // full-chroma ones cost several times as much per frame for no visible gain.
    m_scaler.reset(sws_getContext(frame.width, frame.height, source.format, frame.width, frame.height,
                                 AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!m_scaler)
        return false;
    // Unknown colour spaces get the library's default (BT.601) coefficients.
    if (IsYuv(source.format))
        sws_setColorspaceDetails(m_scaler.get(), sws_getCoefficients(frame.colorspace), source.fullRange ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    m_scalerSettings = settings;
    return true;
}
