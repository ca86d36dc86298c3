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

V4l2Stream::V4l2Stream(V4l2Io& io, int fd, const V4l2StreamFormat& format, VideoStreamCallbackFn callback)
    : io_(io), fd_(fd), callback_(std::move(callback)), converter_(format)
{
}

V4l2Stream::~V4l2Stream()
{
    Stop();
}

bool V4l2Stream::Start()
{
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (wakeFd_ < 0 || !MapBuffers() || io_.Ioctl(fd_, VIDIOC_STREAMON, &type) != 0) {
        Stop();
        return false;
    }
    streaming_ = true;
    thread_ = std::thread(&V4l2Stream::Run, this);
    return true;
}

void V4l2Stream::Stop()
{
    if (thread_.joinable()) {
        eventfd_write(wakeFd_, 1);
        thread_.join();
    }
    if (streaming_) {
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        io_.Ioctl(fd_, VIDIOC_STREAMOFF, &type);
        streaming_ = false;
    }
    ReleaseBuffers();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
    wakeFd_ = -1;
}

bool V4l2Stream::MapBuffers()
{
    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (io_.Ioctl(fd_, VIDIOC_REQBUFS, &request) != 0)
        return false;
    buffersRequested_ = true;
    for (uint32_t index = 0; index < request.count; ++index) {
        v4l2_buffer buffer = MmapBuffer(index);
        if (io_.Ioctl(fd_, VIDIOC_QUERYBUF, &buffer) != 0)
            return false;
        void* address = io_.Mmap(buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, buffer.m.offset);
        if (address == MAP_FAILED)
            return false;
        buffers_.push_back({address, buffer.length});
    }
    for (uint32_t index = 0; index < buffers_.size(); ++index) {
        if (!QueueBuffer(index))
            return false;
    }
    return !buffers_.empty();
}

bool V4l2Stream::QueueBuffer(uint32_t index)
{
    v4l2_buffer buffer = MmapBuffer(index);
    return io_.Ioctl(fd_, VIDIOC_QBUF, &buffer) == 0;
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
        io_.Ioctl(fd_, VIDIOC_REQBUFS, &request);
        buffersRequested_ = false;
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
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    for (;;) {
        if (io_.Poll(fds, 2, -1) < 0) {
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
    if (io_.Ioctl(fd_, VIDIOC_DQBUF, &buffer) != 0)
        return errno == EAGAIN;
    if (buffer.index >= buffers_.size())
        return false;
    if ((buffer.flags & V4L2_BUF_FLAG_ERROR) == 0) {
        const MappedBuffer& mapped = buffers_[buffer.index];
        const std::size_t used = std::min<std::size_t>(buffer.bytesused, mapped.length);
        const std::optional<VideoHeader> frame = converter_.Convert(static_cast<const uint8_t*>(mapped.address), used);
        if (frame)
            callback_(&*frame);
    }
    return QueueBuffer(buffer.index);
}
