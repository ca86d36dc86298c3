#pragma once

#include "imaging/FrameRecord.h"

#include <QImage>
#include <QWidget>

// The display area inside the "CAM" group. It keeps the picture in an image of its own that
// the frame handlers draw into; painting only copies that image to the screen.
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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void MatchPictureToSize();

    QImage m_picture;
};
