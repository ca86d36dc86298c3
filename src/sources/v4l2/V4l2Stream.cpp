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
    : io_(io)
    , fd_(fd)
    , onFrame_(std::move(onFrame))
    , onEvent_(std::move(onEvent))
    , converter_(format)
    , waitTimeoutMs_(WaitTimeoutMs(format.microSecPerFrame))
{
}

V4l2Stream::~V4l2Stream()
{
    Stop();
}

int V4l2Stream::Start()
{
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    int error = wakeFd_ < 0 ? errno : MapBuffers();
    if (error == 0)
        error = Call(VIDIOC_STREAMON, &type);
    if (error != 0) {
        Stop();
        return error;
    }
    streaming_ = true;
    thread_ = std::thread(&V4l2Stream::Run, this);
    return 0;
}

void V4l2Stream::Stop()
{
    if (thread_.joinable()) {
        eventfd_write(wakeFd_, 1);
        thread_.join();
    }
    if (streaming_) {
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        // A device already gone refuses; there is nothing left to switch off then.
        Call(VIDIOC_STREAMOFF, &type);
        streaming_ = false;
    }
    ReleaseBuffers();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
    wakeFd_ = -1;
}

int V4l2Stream::Call(unsigned long request, void* argument)
{
    return io_.Ioctl(fd_, request, argument) == 0 ? 0 : errno;
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
    buffersRequested_ = true;
    if (request.count == 0)
        return ENOMEM;
    for (uint32_t index = 0; index < request.count; ++index) {
        v4l2_buffer buffer = MmapBuffer(index);
        if (const int error = Call(VIDIOC_QUERYBUF, &buffer); error != 0)
            return error;
        void* address = io_.Mmap(buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, buffer.m.offset);
        if (address == MAP_FAILED)
            return errno;
        buffers_.push_back({address, buffer.length});
    }
    for (uint32_t index = 0; index < buffers_.size(); ++index) {
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
    for (const MappedBuffer& buffer : buffers_)
        io_.Munmap(buffer.address, buffer.length);
    buffers_.clear();
    if (buffersRequested_) {
        v4l2_requestbuffers request{};
        request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        request.memory = V4L2_MEMORY_MMAP;
        Call(VIDIOC_REQBUFS, &request);
        buffersRequested_ = false;
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
            onEvent_(StreamEvent::Lost);
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (delivery == Delivery::Delivered) {
            lastFrame = now;
            stallReported = false;
        } else if (!stallReported && now - lastFrame >= kStallTime) {
            onEvent_(StreamEvent::Stalled);
            stallReported = true;
        }
    }
}

V4l2Stream::Wait V4l2Stream::WaitForFrame()
{
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    for (;;) {
        const int ready = io_.Poll(fds, 2, waitTimeoutMs_);
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
    if (buffer.index >= buffers_.size())
        return Delivery::Failed;
    bool delivered = false;
    if ((buffer.flags & V4L2_BUF_FLAG_ERROR) == 0) {
        const MappedBuffer& mapped = buffers_[buffer.index];
        const std::size_t used = std::min<std::size_t>(buffer.bytesused, mapped.length);
        const std::optional<VideoHeader> frame = converter_.Convert(static_cast<const uint8_t*>(mapped.address), used);
        if (frame) {
            onFrame_(&*frame);
            delivered = true;
        }
    }
    if (QueueBuffer(buffer.index) != 0)
        return Delivery::Failed;
    return delivered ? Delivery::Delivered : Delivery::Dropped;
}
