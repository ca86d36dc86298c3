#pragma once

#include "sources/camera/CaptureDriver.h"
#include "sources/v4l2/V4l2FrameConverter.h"
#include "sources/v4l2/V4l2Io.h"

#include <cstddef>
#include <thread>
#include <vector>

// mmap streaming from an open device on a capture thread of its own, which hands each
// frame to the stream callback. A device that fails or disappears ends the thread; Stop
// still cleans up.
class V4l2Stream {
public:
    V4l2Stream(V4l2Io& io, int fd, const V4l2StreamFormat& format, CaptureHandle handle,
               VideoStreamCallbackFn callback);
    ~V4l2Stream();
    V4l2Stream(const V4l2Stream&) = delete;
    V4l2Stream& operator=(const V4l2Stream&) = delete;

    // Maps and queues the buffers, switches streaming on and starts the thread.
    bool Start();
    // Wakes and joins the thread, then switches streaming off and unmaps the buffers.
    void Stop();

private:
    struct MappedBuffer {
        void* address = nullptr;
        std::size_t length = 0;
    };

    bool MapBuffers();
    bool QueueBuffer(uint32_t index);
    void ReleaseBuffers();
    void Run();
    enum class Wait { Frame, Woken, Failed };
    Wait WaitForFrame();
    bool DeliverFrame();

    V4l2Io& m_io;
    int m_fd;
    CaptureHandle m_handle;
    VideoStreamCallbackFn m_callback;
    V4l2FrameConverter m_converter;
    std::vector<MappedBuffer> m_buffers;
    bool m_buffersRequested = false;
    // Written by Stop to wake the capture thread out of its poll.
    int m_wakeFd = -1;
    bool m_streaming = false;
    std::thread m_thread;
};
