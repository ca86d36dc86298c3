#pragma once

#include "sources/v4l2/V4l2Io.h"

#include <linux/videodev2.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A scripted V4L2 device for tests: formats, controls and frames are set up by the test,
// and every call the driver makes is answered and recorded here instead of by a kernel.

struct FakeFormat {
    uint32_t pixelFormat = 0;
    std::string description;
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
};

struct FakeControl {
    uint32_t id = 0;
    uint32_t type = V4L2_CTRL_TYPE_INTEGER;
    std::string name;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t step = 1;
    int32_t value = 0;
    uint32_t flags = 0;
    std::vector<std::string> menu;
};

struct FakeDeviceSetup {
    uint32_t capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    std::vector<FakeFormat> formats;
    uint32_t pixelFormat = V4L2_PIX_FMT_YUYV;
    uint32_t width = 320;
    uint32_t height = 240;
    // Added to every line of an uncompressed format, and to every buffer.
    uint32_t paddingPerLine = 0;
    uint32_t extraBufferBytes = 0;
    bool reportsTimePerFrame = true;
    v4l2_fract timePerFrame{1, 30};
    std::vector<FakeControl> controls;
};

// What one dequeued buffer holds. A failure makes the device vanish: from then on the
// device answers with failureErrno and its poll reports an error.
struct FakeFrame {
    std::vector<uint8_t> bytes;
    int failureErrno = 0;
};

class FakeV4l2Device {
public:
    explicit FakeV4l2Device(FakeDeviceSetup setup);

    FakeDeviceSetup setup;
    v4l2_pix_format format{};
    v4l2_fract timePerFrame{};
    std::deque<FakeFrame> pendingFrames;
    // With repeatLastFrame, the last frame is delivered again whenever nothing is pending.
    bool repeatLastFrame = false;
    FakeFrame lastFrame;
    std::chrono::milliseconds frameGap{5};
    std::chrono::steady_clock::time_point nextFrameTime{};

    bool gone = false;
    int goneErrno = 0;
    bool streaming = false;
    std::vector<std::vector<uint8_t>> buffers;
    std::deque<uint32_t> queued;

    // Records of the driver's calls.
    std::vector<v4l2_pix_format> formatRequests;
    std::vector<v4l2_fract> intervalRequests;
    std::vector<std::pair<uint32_t, int32_t>> controlWrites;
    std::vector<int> overlayWrites;
    int streamOnCount = 0;
    int streamOffCount = 0;
    int framesDequeued = 0;
    int buffersRequeued = 0;
    int pollsAfterGone = 0;

    void ApplyFormat(uint32_t pixelFormat, uint32_t width, uint32_t height);
};

class FakeV4l2 final : public V4l2Io {
public:
    // The device answering at /dev/video<index>.
    FakeV4l2Device& AddDevice(int index, FakeDeviceSetup setup);

    // Everything below locks the fake: the capture thread calls in while the test reads.
    template <typename Function>
    auto WithDevice(int index, Function function)
    {
        std::lock_guard lock(m_mutex);
        return function(*m_devices.at(index));
    }
    void PushFrame(int index, FakeFrame frame);
    void SetRepeatLastFrame(int index, bool repeat);
    int OpenFdCount() const;
    int MappingCount() const;

    int Open(const char* path, int flags) override;
    int Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    void* Mmap(std::size_t length, int protection, int flags, int fd, off_t offset) override;
    int Munmap(void* address, std::size_t length) override;
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;

private:
    FakeV4l2Device* DeviceOf(int fd);
    int Fail(int error);
    int DeviceIoctl(FakeV4l2Device& device, unsigned long request, void* argument);
    int Dequeue(FakeV4l2Device& device, v4l2_buffer& buffer);
    int QueryControl(FakeV4l2Device& device, v4l2_queryctrl& query);
    bool FrameReady(const FakeV4l2Device& device) const;
    short DeviceEvents(FakeV4l2Device& device);

    mutable std::mutex m_mutex;
    std::map<int, std::unique_ptr<FakeV4l2Device>> m_devices;
    std::map<int, int> m_openFds;
    std::map<void*, std::size_t> m_mappings;
};

// One YUYV frame of a single colour.
std::vector<uint8_t> Yuy2Frame(int width, int height, uint8_t y, uint8_t u, uint8_t v);
