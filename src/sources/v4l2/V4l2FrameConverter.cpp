#include "sources/v4l2/V4l2FrameConverter.h"

#include <algorithm>

V4l2FrameConverter::V4l2FrameConverter(const V4l2StreamFormat& format) : m_format(format)
{
    const std::size_t tightLine = std::size_t(m_format.width) * std::size_t(m_format.layout->sourceBytes);
    m_format.bytesPerLine = std::max(m_format.bytesPerLine, tightLine);
    if (m_format.layout->kind == V4l2PixelLayout::Kind::Mjpeg)
        m_decoder = std::make_unique<MjpegDecoder>();
}

std::optional<VideoHeader> V4l2FrameConverter::Convert(const uint8_t* data, std::size_t bytesUsed)
{
    switch (m_format.layout->kind) {
    case V4l2PixelLayout::Kind::Yuy2: return ConvertYuy2(data, bytesUsed);
    case V4l2PixelLayout::Kind::Mjpeg: return ConvertMjpeg(data, bytesUsed);
    case V4l2PixelLayout::Kind::Rgb: break;
    }
    return ConvertRgb(data, bytesUsed);
}

std::optional<VideoHeader> V4l2FrameConverter::ConvertYuy2(const uint8_t* data, std::size_t bytesUsed)
{
    const std::size_t rowBytes = std::size_t(m_format.width) * 2;
    if (m_format.bytesPerLine == rowBytes)
        return VideoHeader{data, bytesUsed};
    const std::size_t padding = m_format.bytesPerLine - rowBytes;
    const int rows = static_cast<int>(std::min<std::size_t>((bytesUsed + padding) / m_format.bytesPerLine,
                                                            std::size_t(m_format.height)));
    m_delivered.resize(rowBytes * std::size_t(m_format.height));
    RepackRows(rowBytes, rows, m_format.bytesPerLine, data, m_delivered.data());
    return Delivered(rowBytes * std::size_t(rows));
}

std::optional<VideoHeader> V4l2FrameConverter::ConvertRgb(const uint8_t* data, std::size_t bytesUsed)
{
    const std::size_t sourceRow = std::size_t(m_format.width) * std::size_t(m_format.layout->sourceBytes);
    if (m_format.height <= 0 || bytesUsed < m_format.bytesPerLine * std::size_t(m_format.height - 1) + sourceRow)
        return std::nullopt;
    const std::size_t rowBytes = std::size_t(m_format.width) * std::size_t(m_format.layout->deliveredBits / 8);
    m_delivered.resize(rowBytes * std::size_t(m_format.height));
    RepackRgbBottomUp(*m_format.layout, m_format.width, m_format.height, m_format.bytesPerLine, data, m_delivered.data());
    return Delivered(m_delivered.size());
}

std::optional<VideoHeader> V4l2FrameConverter::ConvertMjpeg(const uint8_t* data, std::size_t bytesUsed)
{
    m_delivered.resize(std::size_t(m_format.width) * std::size_t(m_format.height) * 3);
    if (!m_decoder->DecodeBottomUp(data, bytesUsed, m_format.width, m_format.height, m_delivered.data()))
        return std::nullopt;
    return Delivered(m_delivered.size());
}
