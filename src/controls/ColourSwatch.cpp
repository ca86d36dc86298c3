#include "controls/ColourSwatch.h"

#include <QPainter>

#include <algorithm>

namespace {
const QColor kFrame = QColor(0, 0, 0);
const QColor kInnerTopLeft = QColor(192, 192, 192);
const QColor kInnerBottomRight = QColor(128, 128, 128);

// A 1-pixel frame whose bottom and right edges take the corners they share with the top
// and left edges.
void DrawFrame(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), topLeft);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), topLeft);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
}
}  // namespace

ColourSwatch::ColourSwatch(const QString& accessibleName, QWidget* parent)
    : QWidget(parent)
{
    setAccessibleName(accessibleName);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColourSwatch::Paint(const RgbTriple& colour)
{
    m_colour = colour;
    m_picture = QImage(size(), QImage::Format_RGB32);
    if (m_picture.isNull())
        return;
    QPainter painter(&m_picture);
    const QRect all = m_picture.rect();
    painter.fillRect(all, QColor(std::clamp(colour.r, 0, 255), std::clamp(colour.g, 0, 255), std::clamp(colour.b, 0, 255)));
    DrawFrame(painter, all, kFrame, kFrame);
    DrawFrame(painter, all.adjusted(1, 1, -1, -1), kInnerTopLeft, kInnerBottomRight);
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}

void ColourSwatch::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Paint(m_colour);
}
