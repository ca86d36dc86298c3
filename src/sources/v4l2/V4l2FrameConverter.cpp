#include "sources/v4l2/V4l2FrameConverter.h"

#include <algorithm>

V4l2FrameConverter::V4l2FrameConverter(const V4l2StreamFormat& format) : format_(format)
{
    const std::size_t tightLine = std::size_t(format_.width) * std::size_t(format_.layout->sourceBytes);
    format_.bytesPerLine = std::max(format_.bytesPerLine, tightLine);
    if (format_.layout->kind == V4l2PixelLayout::Kind::Mjpeg)
        decoder_ = std::make_unique<MjpegDecoder>();
}

std::optional<VideoHeader> V4l2FrameConverter::Convert(const uint8_t* data, std::size_t bytesUsed)
{
    switch (format_.layout->kind) {
    case V4l2PixelLayout::Kind::Yuy2: return ConvertYuy2(data, bytesUsed);
    case V4l2PixelLayout::Kind::Mjpeg: return ConvertMjpeg(data, bytesUsed);
    case V4l2PixelLayout::Kind::Rgb: break;
    }
    return ConvertRgb(data, bytesUsed);
}

std::optional<VideoHeader> V4l2FrameConverter::ConvertYuy2(const uint8_t* data, std::size_t bytesUsed)
{
    const std::size_t rowBytes = std::size_t(format_.width) * 2;
    if (format_.height <= 0 || bytesUsed < format_.bytesPerLine * std::size_t(format_.height - 1) + rowBytes)
        return std::nullopt;
    const std::size_t frameBytes = rowBytes * std::size_t(format_.height);
    if (format_.bytesPerLine == rowBytes)
        return VideoHeader{data, frameBytes};
    delivered_.resize(frameBytes);
    RepackRows(rowBytes, format_.height, format_.bytesPerLine, data, delivered_.data());
    return Delivered(frameBytes);
}

std::optional<VideoHeader> V4l2FrameConverter::ConvertRgb(const uint8_t* data, std::size_t bytesUsed)
{
    const std::size_t sourceRow = std::size_t(format_.width) * std::size_t(format_.layout->sourceBytes);
    if (format_.height <= 0 || bytesUsed < format_.bytesPerLine * std::size_t(format_.height - 1) + sourceRow)
        return std::nullopt;
    const std::size_t rowBytes = std::size_t(format_.width) * std::size_t(format_.layout->deliveredBits / 8);
    delivered_.resize(rowBytes * std::size_t(format_.height));
    RepackRgbBottomUp(*format_.layout, format_.width, format_.height, format_.bytesPerLine, data, delivered_.data());
    return Delivered(delivered_.size());
}

std::optional<VideoHeader> V4l2FrameConverter::ConvertMjpeg(const uint8_t* data, std::size_t bytesUsed)
{
    delivered_.resize(std::size_t(format_.width) * std::size_t(format_.height) * 3);
    if (!decoder_->DecodeBottomUp(data, bytesUsed, format_.width, format_.height, delivered_.data()))
        return std::nullopt;
    return Delivered(delivered_.size());
}
