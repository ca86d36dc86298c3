#pragma once

#include "controls/CurrentColour.h"

#include <QImage>
#include <QWidget>

// The HSV range panel inside the "HSV" group: the colour wheel (hue as angle, saturation as
// distance from the centre) and, beside it, the value bar showing every value of the current
// hue and saturation, with a marker on each for the current colour. Dragging on the wheel
// sets hue and saturation, dragging on the bar sets the value.
//
// The panel keeps its picture in an image of its own that the handlers draw into; painting
// only copies it to the screen. The markers are XOR-drawn into that image, so drawing them
// twice at the same place takes them away again. All points and rectangles are in the
// panel's own coordinates.
class HsvPanel : public QWidget {
    Q_OBJECT

public:
    enum DragMode { kNoDrag = 0, kWheelDrag = 1, kValueDrag = 2 };

    HsvPanel(CurrentColour& colour, QWidget* parent);

    // Places the panel inside the group box (given in the parent's coordinates), builds the
    // wheel and the value bar and computes the markers.
    void InitHsvPanel(const QRect& hsvGroup);
    // (Re)builds the wheel with the button-face colour in place of its grey background and
    // returns its size.
    QSize LoadWheelBitmap();
    // Gives the value bar the colours of the current hue and saturation.
    void FillValueBar();
    // Works out both marker rectangles from the current colour.
    void PlaceMarkers();
    // XOR-draws both markers; a second call at unchanged rectangles erases them.
    void ToggleMarkers();
    // Draws wheel, value bar and markers afresh.
    void DrawHsvPanel();
    // One drag step at a point.
    void TrackPanelPoint(const QPoint& point);

    // Where the wheel's top-left corner and the rest of the panel lie, for the dialog's
    // tests and the colour controls.
    QRect PanelRect() const { return m_rcHsv; }
    QPoint Centre() const { return m_ptCentre; }
    QRect ValueBarRect() const { return m_rcValueBar; }
    QRect HueMarkerRect() const { return m_rcHueMarker; }
    QRect ValueMarkerRect() const { return m_rcValueMarker; }
    DragMode DragModeNow() const { return m_nDragMode; }
    const QImage& Picture() const { return m_canvas; }
    const QImage& ValueBar() const { return m_dibValueBar; }

signals:
    // A drag step has changed the current colour.
    void colourDragged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void TrackWheelPoint(const QPoint& point);
    void TrackValuePoint(const QPoint& point);
    int ValueBarBottom() const;
    void BlitValueBar();

    CurrentColour& m_colour;
    QImage m_canvas;
    QImage m_bmpWheel;
    QImage m_dibValueBar;
    QSize m_szWheel;
    QRect m_rcHsv;
    QPoint m_ptCentre;
    QRect m_rcValueBar;
    QRect m_rcHueMarker;
    QRect m_rcValueMarker;
    DragMode m_nDragMode = kNoDrag;
    bool m_capture = false;
};
