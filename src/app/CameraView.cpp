#include "app/CameraView.h"

#include <QPainter>

namespace {
// The pixels of a frame record as an image that shares the record's bytes, or a null image.
QImage WrapPixels(const FrameRecord& frame)
{
    if (frame.size() < kBitmapHeaderSize)
        return {};
    const BitmapInfoHeader header = frame.header();
    if (header.biWidth <= 0 || header.biHeight <= 0 || (header.biBitCount != 24 && header.biBitCount != 32))
        return {};
    const int bytesPerPixel = header.biBitCount / 8;
    const qsizetype rowBytes = qsizetype(header.biWidth) * bytesPerPixel;
    if (qsizetype(frame.pixelCapacity()) / header.biHeight < rowBytes)
        return {};
    const QImage::Format format = bytesPerPixel == 3 ? QImage::Format_BGR888 : QImage::Format_RGB32;
    return QImage(frame.pixels(), header.biWidth, header.biHeight, rowBytes, format);
}
}  // namespace

CameraView::CameraView(QWidget* parent)
    : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Camera image"));
}

void CameraView::FillWhite()
{
    MatchPictureToSize();
    m_picture.fill(Qt::white);
    update();
}

bool CameraView::DrawFrame(const FrameRecord& frame)
{
    const QImage pixels = WrapPixels(frame);
    MatchPictureToSize();
    if (pixels.isNull() || m_picture.isNull())
        return false;
    const int drawnWidth = width();
    const int drawnHeight = static_cast<int>(static_cast<long long>(drawnWidth) * pixels.height() / pixels.width());
    QPainter painter(&m_picture);
    // Rows come bottom-up: draw them upside down.
    painter.translate(0, drawnHeight);
    painter.scale(1, -1);
    painter.drawImage(QRect(0, 0, drawnWidth, drawnHeight), pixels);
    painter.end();
    update();
    return true;
}

void CameraView::paintEvent(QPaintEvent*)
{
    MatchPictureToSize();
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}

// Resize events wait until the dialog is shown, but frames may be drawn before that.
void CameraView::MatchPictureToSize()
{
    if (m_picture.size() == size())
        return;
    m_picture = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    // Until something is drawn, the dialog's background shows through.
    m_picture.fill(Qt::transparent);
}
