#pragma once

#include "imaging/FrameRecord.h"

#include <QImage>
#include <QRect>
#include <QWidget>

#include <optional>

// The display area inside the "CAM" group. It keeps the picture in an image of its own that
// the frame handlers draw into; painting only copies that image to the screen, with the
// rectangle being marked on top. A left-button drag over a shown frame marks a rectangle, a
// click the one pixel clicked.
class CameraView : public QWidget {
    Q_OBJECT

public:
    explicit CameraView(QWidget* parent = nullptr);

    void FillWhite();

    // Draws a 24- or 32-bit bottom-up frame record with its top-left corner at the view's,
    // scaled to the view's width W and to W × height / width rows (truncated); what lies
    // below the view is cut off. Returns false, drawing nothing, for a record that is not
    // such a frame or holds fewer pixel bytes than its header describes, and while the view
    // has no area.
    bool DrawFrame(const FrameRecord& frame);

    const QImage& Picture() const { return m_picture; }

    // The percentage of the picture's pixels that pass the mask, shown over the picture (and
    // given as the view's accessible description) until the next frame; nothing hides it.
    // Drawn on the screen only, never into the picture.
    void ShowPassingShare(std::optional<double> percent);

signals:
    // A rectangle of the view's pixels, edges included, marked with these keys held.
    void regionMarked(const QRect& region, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void MatchPictureToSize();
    void PaintMarking(QPainter& painter) const;
    void PaintPassingShare(QPainter& painter) const;

    QImage m_picture;
    bool m_showsFrame = false;
    QString m_passingShare;
    bool m_marking = false;
    QPoint m_markStart;
    QRect m_marked;
    Qt::KeyboardModifiers m_markModifiers;
};
