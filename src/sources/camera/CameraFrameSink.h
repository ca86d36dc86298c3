#pragma once

class FrameRecord;

// Receives each camera frame on the UI thread: the dialog implements it and runs its
// pipeline. The frame is the camera's work record, reused for the next frame, so the sink
// must not keep it after returning.
class CameraFrameSink {
public:
    virtual void ProcessCameraFrame(FrameRecord& frame, int fps) = 0;

protected:
    ~CameraFrameSink() = default;
};
