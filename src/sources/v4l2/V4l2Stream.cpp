#include "sources/v4l2/V4l2Stream.h"

#include <linux/videodev2.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>

namespace {

constexpr uint32_t kBufferCount = 4;
constexpr auto kStallTime = std::chrono::seconds(2);
// The wait for a frame ends after a few frame periods, so that a stall is noticed.
constexpr int kFramePeriodsPerWait = 4;
constexpr int kShortestWaitMs = 50;
constexpr int kLongestWaitMs = 500;

v4l2_buffer MmapBuffer(uint32_t index)
{
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    buffer.index = index;
    return buffer;
}

int WaitTimeoutMs(uint32_t microSecPerFrame)
{
    const auto periods = int64_t(microSecPerFrame) * kFramePeriodsPerWait / 1000;
    return int(std::clamp<int64_t>(periods, kShortestWaitMs, kLongestWaitMs));
}

}  // namespace

V4l2Stream::V4l2Stream(V4l2Io& io, int fd, const V4l2StreamFormat& format, VideoStreamCallbackFn onFrame,
                       StreamEventCallbackFn onEvent)
    : m_io(io)
    , m_fd(fd)
    , m_onFrame(std::move(onFrame))
    , m_onEvent(std::move(onEvent))
    , m_converter(format)
    , m_waitTimeoutMs(WaitTimeoutMs(format.microSecPerFrame))
{
}

V4l2Stream::~V4l2Stream()
{
    Stop();
}

int V4l2Stream::Start()
{
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    int error = m_wakeFd < 0 ? errno : MapBuffers();
    if (error == 0)
        error = Call(VIDIOC_STREAMON, &type);
    if (error != 0) {
        Stop();
        return error;
    }
    m_streaming = true;
    m_thread = std::thread(&V4l2Stream::Run, this);
    return 0;
}

void V4l2Stream::Stop()
{
    if (m_thread.joinable()) {
        eventfd_write(m_wakeFd, 1);
        m_thread.join();
    }
    if (m_streaming) {
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        // A device already gone refuses; there is nothing left to switch off then.
        Call(VIDIOC_STREAMOFF, &type);
        m_streaming = false;
    }
    ReleaseBuffers();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
    m_wakeFd = -1;
}

int V4l2Stream::Call(unsigned long request, void* argument)
{
    return m_io.Ioctl(m_fd, request, argument) == 0 ? 0 : errno;
}

// The device may grant fewer buffers than asked for; one is enough to stream.
int V4l2Stream::MapBuffers()
{
    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (const int error = Call(VIDIOC_REQBUFS, &request); error != 0)
        return error;
    m_buffersRequested = true;
    if (request.count == 0)
        return ENOMEM;
    for (uint32_t index = 0; index < request.count; ++index) {
        v4l2_buffer buffer = MmapBuffer(index);
        if (const int error = Call(VIDIOC_QUERYBUF, &buffer); error != 0)
            return error;
        void* address = m_io.Mmap(buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, buffer.m.offset);
        if (address == MAP_FAILED)
            return errno;
        m_buffers.push_back({address, buffer.length});
    }
    for (uint32_t index = 0; index < m_buffers.size(); ++index) {
        if (const int error = QueueBuffer(index); error != 0)
            return error;
    }
    return 0;
}

int V4l2Stream::QueueBuffer(uint32_t index)
{
    v4l2_buffer buffer = MmapBuffer(index);
    return Call(VIDIOC_QBUF, &buffer);
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
        Call(VIDIOC_REQBUFS, &request);
        m_buffersRequested = false;
    }
}

// Runs until Stop wakes it or the device fails; a failed device is reported once and ends
// the stream for good instead of being polled again and again.
void V4l2Stream::Run()
{
    auto lastFrame = std::chrono::steady_clock::now();
    bool stallReported = false;
    for (;;) {
        const Wait wait = WaitForFrame();
        if (wait == Wait::Woken)
            return;
        const Delivery delivery = wait == Wait::Frame ? DeliverFrame() : Delivery::NotReady;
        if (wait == Wait::Failed || delivery == Delivery::Failed) {
            m_onEvent(StreamEvent::Lost);
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (delivery == Delivery::Delivered) {
            lastFrame = now;
            stallReported = false;
        } else if (!stallReported && now - lastFrame >= kStallTime) {
            m_onEvent(StreamEvent::Stalled);
            stallReported = true;
        }
    }
}

V4l2Stream::Wait V4l2Stream::WaitForFrame()
{
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    for (;;) {
        const int ready = m_io.Poll(fds, 2, m_waitTimeoutMs);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Wait::Failed;
        }
        if (ready == 0)
            return Wait::TimedOut;
        if (fds[1].revents != 0)
            return Wait::Woken;
        if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return Wait::Failed;
        if ((fds[0].revents & POLLIN) != 0)
            return Wait::Frame;
    }
}

// Buffers the device flags as damaged, and frames shorter than the format needs, go back
// to the device unseen.
V4l2Stream::Delivery V4l2Stream::DeliverFrame()
{
    v4l2_buffer buffer = MmapBuffer(0);
    if (const int error = Call(VIDIOC_DQBUF, &buffer); error != 0)
        return error == EAGAIN ? Delivery::NotReady : Delivery::Failed;
    if (buffer.index >= m_buffers.size())
        return Delivery::Failed;
    bool delivered = false;
    if ((buffer.flags & V4L2_BUF_FLAG_ERROR) == 0) {
        const MappedBuffer& mapped = m_buffers[buffer.index];
        const std::size_t used = std::min<std::size_t>(buffer.bytesused, mapped.length);
        const std::optional<VideoHeader> frame = m_converter.Convert(static_cast<const uint8_t*>(mapped.address), used);
        if (frame) {
            m_onFrame(&*frame);
            delivered = true;
        }
    }
    if (QueueBuffer(buffer.index) != 0)
        return Delivery::Failed;
    return delivered ? Delivery::Delivered : Delivery::Dropped;
}
