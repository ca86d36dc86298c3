#pragma once

#include "sources/camera/CaptureDriver.h"
#include "sources/v4l2/V4l2FrameConverter.h"
#include "sources/v4l2/V4l2Io.h"

#include <cstddef>
#include <thread>
#include <vector>

// mmap streaming from an open device on a capture thread of its own, which hands each
// whole frame to the stream callback; error-flagged and short buffers are requeued unseen.
// The thread reports a stall once when no frame has come for two seconds, and a device
// that fails or disappears once, then ends; Stop still cleans up.
class V4l2Stream {
public:
    V4l2Stream(V4l2Io& io, int fd, const V4l2StreamFormat& format, VideoStreamCallbackFn onFrame,
               StreamEventCallbackFn onEvent);
    ~V4l2Stream();
    V4l2Stream(const V4l2Stream&) = delete;
    V4l2Stream& operator=(const V4l2Stream&) = delete;

    // Maps and queues the buffers, switches streaming on and starts the thread. 0, or the
    // errno of the call that failed.
    int Start();
    // Wakes and joins the thread, then switches streaming off and unmaps the buffers.
    void Stop();

private:
    struct MappedBuffer {
        void* address = nullptr;
        std::size_t length = 0;
    };

    int MapBuffers();
    int Call(unsigned long request, void* argument);
    int QueueBuffer(uint32_t index);
    void ReleaseBuffers();
    void Run();
    enum class Wait { Frame, Woken, TimedOut, Failed };
    Wait WaitForFrame();
    enum class Delivery { Delivered, Dropped, NotReady, Failed };
    Delivery DeliverFrame();

    V4l2Io& m_io;
    int m_fd;
    VideoStreamCallbackFn m_onFrame;
    StreamEventCallbackFn m_onEvent;
    V4l2FrameConverter m_converter;
    std::vector<MappedBuffer> m_buffers;
    bool m_buffersRequested = false;
    // Written by Stop to wake the capture thread out of its poll.
    int m_wakeFd = -1;
    bool m_streaming = false;
    int m_waitTimeoutMs = 0;
    std::thread m_thread;
};
