#pragma once

#include "sources/camera/CaptureControl.h"

#include <QLabel>
#include <QTimer>

#include <vector>

class CameraSource;
struct PipelineOptions;

// The warning for a range that will not hold: while the mask is on and the connected camera
// has an automatic exposure, gain or white-balance mode switched on, the picture's
// brightness and colours change with the light, and the range drifts off the object. The
// text names those controls and the way to switch them off. It lies along the bottom edge of
// the display area, over the picture, and lets the mouse through to it; nothing needs to be
// answered. The camera's controls are looked at again every second, so a change made by
// another program shows too.
class DriftWarning : public QLabel {
    Q_OBJECT

public:
    DriftWarning(QWidget& display, const PipelineOptions& options, const CameraSource& cameras);

    // Shows or hides the warning for the mask and the camera as they are now.
    void Update();

private:
    void PlaceAtBottom();

    const PipelineOptions& m_options;
    const CameraSource& m_cameras;
    QTimer m_check;
};

// The warning's text for these controls, or an empty text when none has an automatic mode on.
QString DriftWarningText(const std::vector<CaptureControl>& controls);
