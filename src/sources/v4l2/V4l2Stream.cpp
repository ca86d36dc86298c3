#include "sources/v4l2/V4l2Stream.h"

#include <linux/videodev2.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr uint32_t kBufferCount = 4;

v4l2_buffer MmapBuffer(uint32_t index)
{
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    buffer.index = index;
    return buffer;
}

}  // namespace

V4l2Stream::V4l2Stream(V4l2Io& io, int fd, const V4l2StreamFormat& format, CaptureHandle handle,
                       VideoStreamCallbackFn callback)
    : m_io(io), m_fd(fd), m_handle(handle), m_callback(callback), m_converter(format)
{
}

V4l2Stream::~V4l2Stream()
{
    Stop();
}

bool V4l2Stream::Start()
{
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (m_wakeFd < 0 || !MapBuffers() || m_io.Ioctl(m_fd, VIDIOC_STREAMON, &type) != 0) {
        Stop();
        return false;
    }
    m_streaming = true;
    m_thread = std::thread(&V4l2Stream::Run, this);
    return true;
}

void V4l2Stream::Stop()
{
    if (m_thread.joinable()) {
        eventfd_write(m_wakeFd, 1);
        m_thread.join();
    }
    if (m_streaming) {
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        m_io.Ioctl(m_fd, VIDIOC_STREAMOFF, &type);
        m_streaming = false;
    }
    ReleaseBuffers();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
    m_wakeFd = -1;
}

bool V4l2Stream::MapBuffers()
{
    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (m_io.Ioctl(m_fd, VIDIOC_REQBUFS, &request) != 0)
        return false;
    m_buffersRequested = true;
    for (uint32_t index = 0; index < request.count; ++index) {
        v4l2_buffer buffer = MmapBuffer(index);
        if (m_io.Ioctl(m_fd, VIDIOC_QUERYBUF, &buffer) != 0)
            return false;
        void* address = m_io.Mmap(buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, buffer.m.offset);
        if (address == MAP_FAILED)
            return false;
        m_buffers.push_back({address, buffer.length});
    }
    for (uint32_t index = 0; index < m_buffers.size(); ++index) {
        if (!QueueBuffer(index))
            return false;
    }
    return !m_buffers.empty();
}

bool V4l2Stream::QueueBuffer(uint32_t index)
{
    v4l2_buffer buffer = MmapBuffer(index);
    return m_io.Ioctl(m_fd, VIDIOC_QBUF, &buffer) == 0;
}

void V4l2Stream::ReleaseBuffers()
{
    for (const MappedBuffer& buffer : m_buffers)
        m_io.Munmap(buffer.address, buffer.length);
    m_buffers.clear();
    if (m_buffersRequested) {
        v4l2_requestbuffers request{};
        request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        request.memory = V4L2_MEMORY_MMAP;
        m_io.Ioctl(m_fd, VIDIOC_REQBUFS, &request);
        m_buffersRequested = false;
    }
}

// Runs until Stop wakes it or the device fails; a failed device ends the stream for good
// instead of being polled again and again.
void V4l2Stream::Run()
{
    while (WaitForFrame() == Wait::Frame && DeliverFrame()) {
    }
}

V4l2Stream::Wait V4l2Stream::WaitForFrame()
{
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    for (;;) {
        if (m_io.Poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return Wait::Failed;
        }
        if (fds[1].revents != 0)
            return Wait::Woken;
        if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return Wait::Failed;
        if ((fds[0].revents & POLLIN) != 0)
            return Wait::Frame;
    }
}

bool V4l2Stream::DeliverFrame()
{
    v4l2_buffer buffer = MmapBuffer(0);
    if (m_io.Ioctl(m_fd, VIDIOC_DQBUF, &buffer) != 0)
        return errno == EAGAIN;
    if (buffer.index >= m_buffers.size())
        return false;
    if ((buffer.flags & V4L2_BUF_FLAG_ERROR) == 0) {
        const MappedBuffer& mapped = m_buffers[buffer.index];
        const std::size_t used = std::min<std::size_t>(buffer.bytesused, mapped.length);
        const std::optional<VideoHeader> frame = m_converter.Convert(static_cast<const uint8_t*>(mapped.address), used);
        if (frame)
            m_callback(m_handle, &*frame);
    }
    return QueueBuffer(buffer.index);
}
