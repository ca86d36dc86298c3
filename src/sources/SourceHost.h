#pragma once

#include "sources/camera/CameraFrameSink.h"

class FrameRecord;

// What the image sources need from the dialog they sit in: a pipeline for camera and file
// frames that draws the result, a display area to clear and the input-state reset.
class SourceHost : public CameraFrameSink {
public:
    // Runs a frame of the open file through the pipeline (frame rate 0) and draws it. The
    // frame is the source's work record, changed in place.
    virtual void ProcessFileFrame(FrameRecord& frame) = 0;
    // Paints the display area white.
    virtual void ClearDisplay() = 0;
    virtual void ResetInputState() = 0;

protected:
    ~SourceHost() = default;
};
