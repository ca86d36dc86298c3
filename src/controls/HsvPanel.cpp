#include "controls/HsvPanel.h"

#include "controls/ColourWheel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace {
// The panel reaches this far left of and above the wheel, so that markers at the wheel's
// edge and at the top of the value bar are drawn whole.
constexpr int kMarkerRoom = 5;
constexpr int kValueBarGap = 20;
constexpr int kValueBarWidth = 20;
constexpr int kHueMarkerHalf = 5;

QColor ToColour(const RgbTriple& rgb)
{
    return QColor(std::clamp(rgb.r, 0, 255), std::clamp(rgb.g, 0, 255), std::clamp(rgb.b, 0, 255));
}

void XorOutline(QPainter& painter, const QRect& rect, int thickness)
{
    const QRegion outline = QRegion(rect).subtracted(QRegion(rect.adjusted(thickness, thickness, -thickness, -thickness)));
    for (const QRect& part : outline)
        painter.fillRect(part, Qt::white);
}
}  // namespace

HsvPanel::HsvPanel(CurrentColour& colour, QWidget* parent)
    : QWidget(parent)
    , m_colour(colour)
{
    setAccessibleName(QStringLiteral("HSV panel"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HsvPanel::InitHsvPanel(const QRect& hsvGroup)
{
    const QRect area = hsvGroup.adjusted(15, 25, -5, -5);
    setGeometry(area.adjusted(-kMarkerRoom, -kMarkerRoom, 0, 0));
    m_rcHsv = QRect(QPoint(kMarkerRoom, kMarkerRoom), area.size());
    m_canvas = QImage(size(), QImage::Format_RGB32);
    m_canvas.fill(palette().color(QPalette::Window));

    m_szWheel = LoadWheelBitmap();
    const QPoint origin = m_rcHsv.topLeft();
    m_ptCentre = origin + QPoint(kWheelRadius, kWheelRadius);
    m_rcValueBar = QRect(origin.x() + m_szWheel.width() + kValueBarGap, origin.y(), kValueBarWidth, m_szWheel.height());

    // Row i shows palette entry i, so that the bar is recoloured through its palette alone.
    m_dibValueBar = QImage(m_rcValueBar.size(), QImage::Format_Indexed8);
    m_dibValueBar.setColorTable(QList<QRgb>(256, qRgb(0, 0, 0)));
    for (int row = 0; row < m_dibValueBar.height(); ++row)
        std::fill_n(m_dibValueBar.scanLine(row), m_dibValueBar.width(), static_cast<uchar>(row));

    PlaceMarkers();
    FillValueBar();
}

QSize HsvPanel::LoadWheelBitmap()
{
    m_bmpWheel = GenerateColourWheel();
    const QRgb buttonFace = palette().color(QPalette::Button).rgb();
    for (int y = 0; y < m_bmpWheel.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(m_bmpWheel.scanLine(y));
        std::replace(row, row + m_bmpWheel.width(), kWheelBackground, buttonFace);
    }
    return m_bmpWheel.size();
}

void HsvPanel::FillValueBar()
{
    const int height = m_dibValueBar.height();
    for (int k = 0; k < height; ++k) {
        const int value = static_cast<int>((height - 1 - k) * (255.0 / height));
        const RgbTriple rgb = HsvToRgb({m_colour.m_hsv.h, m_colour.m_hsv.s, value});
        m_dibValueBar.setColor(k, ToColour(rgb).rgb());
    }
}

void HsvPanel::PlaceMarkers()
{
    const double angle = m_colour.m_hsv.h * kWheelPi / 180;
    const double radius = m_colour.m_hsv.s * 100.0 / 255;
    const int x = m_ptCentre.x() + static_cast<int>(std::cos(angle) * radius);
    const int y = m_ptCentre.y() - static_cast<int>(std::sin(angle) * radius);
    m_rcHueMarker = QRect(x - kHueMarkerHalf, y - kHueMarkerHalf, 2 * kHueMarkerHalf, 2 * kHueMarkerHalf);

    const int t = static_cast<int>(m_rcValueBar.height() * double(m_colour.m_hsv.v) / 255.0);
    const int valueY = ValueBarBottom() - t;
    m_rcValueMarker = QRect(m_rcValueBar.left() - 2, valueY - 4, m_rcValueBar.width() + 4, 8);
}

void HsvPanel::ToggleMarkers()
{
    if (m_rcHueMarker.width() == 0)
        return;
    QPainter painter(&m_canvas);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    XorOutline(painter, m_rcHueMarker, 1);
    XorOutline(painter, m_rcValueMarker, 2);
    update(m_rcHueMarker);
    update(m_rcValueMarker);
}

void HsvPanel::DrawHsvPanel()
{
    if (m_bmpWheel.isNull())
        return;
    {
        QPainter painter(&m_canvas);
        painter.fillRect(m_canvas.rect(), palette().color(QPalette::Window));
        painter.drawImage(m_rcHsv.topLeft(), m_bmpWheel);
        painter.drawImage(m_rcValueBar.topLeft(), m_dibValueBar);
    }
    ToggleMarkers();
    update();
}

void HsvPanel::TrackPanelPoint(const QPoint& point)
{
    switch (m_nDragMode) {
    case kWheelDrag: TrackWheelPoint(point); break;
    case kValueDrag: TrackValuePoint(point); break;
    case kNoDrag: return;
    }
    emit colourDragged();
}

void HsvPanel::TrackWheelPoint(const QPoint& point)
{
    ToggleMarkers();
    const WheelPoint picked = WheelPointAt(point.x() - m_ptCentre.x(), m_ptCentre.y() - point.y());
    m_colour.m_hsv.h = picked.hue;
    m_colour.m_hsv.s = picked.saturation;
    FillValueBar();
    PlaceMarkers();
    BlitValueBar();
    ToggleMarkers();
    m_colour.m_rgb = HsvToRgb(m_colour.m_hsv);
}

void HsvPanel::TrackValuePoint(const QPoint& point)
{
    const double value = (ValueBarBottom() - point.y()) * 255.0 / m_rcValueBar.height();
    ToggleMarkers();
    m_colour.m_hsv.v = static_cast<int>(std::clamp(value, 0.0, 255.0));
    PlaceMarkers();
    ToggleMarkers();
    m_colour.m_rgb = HsvToRgb(m_colour.m_hsv);
}

// The bar in its new colours; only called while the markers are erased.
void HsvPanel::BlitValueBar()
{
    QPainter painter(&m_canvas);
    painter.drawImage(m_rcValueBar.topLeft(), m_dibValueBar);
    update(m_rcValueBar);
}

// One past the bar's last row, as the arithmetic of the drag and the marker counts it.
int HsvPanel::ValueBarBottom() const
{
    return m_rcValueBar.top() + m_rcValueBar.height();
}

void HsvPanel::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !m_rcHsv.contains(point)) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (WheelDistance(point.x() - m_ptCentre.x(), point.y() - m_ptCentre.y()) <= kWheelRadius)
        m_nDragMode = kWheelDrag;
    else if (m_rcValueBar.contains(point))
        m_nDragMode = kValueDrag;
    else
        m_nDragMode = kNoDrag;
    if (m_nDragMode == kNoDrag)
        return;
    m_capture = true;
    TrackPanelPoint(point);
}

// Qt keeps sending moves to the pressed widget while the button is held, outside it too.
void HsvPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (m_capture && m_nDragMode != kNoDrag)
        TrackPanelPoint(event->position().toPoint());
}

void HsvPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_capture = false;
    QWidget::mouseReleaseEvent(event);
}

void HsvPanel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_canvas, event->rect());
}

// A new palette may bring a new button face for the wheel's background.
void HsvPanel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !m_bmpWheel.isNull()) {
        LoadWheelBitmap();
        DrawHsvPanel();
    }
}
