#include "app/CameraView.h"

#include <QApplication>
#include <QMouseEvent>
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
    // Taking the focus on a click lets Ctrl+Z reach the dialog rather than an edit.
    setFocusPolicy(Qt::ClickFocus);
}

void CameraView::FillWhite()
{
    MatchPictureToSize();
    m_picture.fill(Qt::white);
    m_showsFrame = false;
    ShowPassingShare(std::nullopt);
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
    m_showsFrame = true;
    update();
    return true;
}

void CameraView::paintEvent(QPaintEvent*)
{
    MatchPictureToSize();
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
    PaintPassingShare(painter);
    PaintMarking(painter);
}

void CameraView::ShowPassingShare(std::optional<double> percent)
{
    m_passingShare = percent ? QString::asprintf("%.1f %% pass", *percent) : QString();
    setAccessibleDescription(m_passingShare);
    update();
}

// White on a dark box in the top-left corner, readable on any picture.
void CameraView::PaintPassingShare(QPainter& painter) const
{
    if (m_passingShare.isEmpty())
        return;
    constexpr int kMargin = 3;
    const QRect text = painter.fontMetrics().boundingRect(m_passingShare);
    const QRect box(kMargin, kMargin, text.width() + 2 * kMargin, text.height() + kMargin);
    painter.fillRect(box, QColor(0, 0, 0, 170));
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, m_passingShare);
}

// Dashes of black over white show on any picture.
void CameraView::PaintMarking(QPainter& painter) const
{
    if (!m_marking)
        return;
    const QRect outline = m_marked.adjusted(0, 0, -1, -1);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(outline);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(outline);
}

void CameraView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_showsFrame) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_marking = true;
    m_markStart = event->position().toPoint();
    m_marked = QRect(m_markStart, m_markStart);
    m_markModifiers = event->modifiers();
    update();
}

void CameraView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_marking) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    m_marked = QRect(m_markStart, event->position().toPoint()).normalized();
    update();
}

void CameraView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_marking || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_marking = false;
    const QPoint end = event->position().toPoint();
    const bool click = (end - m_markStart).manhattanLength() < QApplication::startDragDistance();
    const QRect region = click ? QRect(end, end) : QRect(m_markStart, end).normalized();
    update();
    // A picture cleared while the button was down has nothing left to mark.
    if (m_showsFrame)
        emit regionMarked(region, m_markModifiers);
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
