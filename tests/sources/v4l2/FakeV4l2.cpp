#include "sources/v4l2/FakeV4l2.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr int kFakeFdBase = 0x40000000;
constexpr auto kPollSlice = std::chrono::milliseconds(2);
constexpr std::size_t kBufferOffsetStep = 0x100000;

uint32_t BytesPerPixel(uint32_t pixelFormat)
{
    switch (pixelFormat) {
    case V4L2_PIX_FMT_YUYV: return 2;
    case V4L2_PIX_FMT_BGR24:
    case V4L2_PIX_FMT_RGB24: return 3;
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG: return 0;
    default: return 4;
    }
}

void CopyName(const std::string& name, uint8_t* target, std::size_t capacity)
{
    std::memset(target, 0, capacity);
    std::memcpy(target, name.data(), std::min(name.size(), capacity - 1));
}

bool IsFakeFd(int fd)
{
    return fd >= kFakeFdBase;
}

}  // namespace

FakeV4l2Device::FakeV4l2Device(FakeDeviceSetup deviceSetup) : setup(std::move(deviceSetup))
{
    timePerFrame = setup.timePerFrame;
    format.pixelformat = setup.pixelFormat;
    format.width = setup.width;
    format.height = setup.height;
    ApplyFormat(setup.pixelFormat, setup.width, setup.height);
    formatRequests.clear();
}

void FakeV4l2Device::ApplyFormat(uint32_t pixelFormat, uint32_t width, uint32_t height)
{
    v4l2_pix_format request{};
    request.width = width;
    request.height = height;
    request.pixelformat = pixelFormat;
    formatRequests.push_back(request);
    const auto listed = std::find_if(setup.formats.begin(), setup.formats.end(),
                                     [&](const FakeFormat& f) { return f.pixelFormat == pixelFormat; });
    if (listed != setup.formats.end() && !listed->sizes.empty()) {
        auto distance = [&](std::pair<uint32_t, uint32_t> size) {
            return std::abs(int64_t(size.first) - width) + std::abs(int64_t(size.second) - height);
        };
        const auto nearest = std::min_element(listed->sizes.begin(), listed->sizes.end(),
                                              [&](auto a, auto b) { return distance(a) < distance(b); });
        width = nearest->first;
        height = nearest->second;
    }
    format.pixelformat = pixelFormat;
    format.width = width;
    format.height = height;
    format.field = V4L2_FIELD_NONE;
    const uint32_t bytesPerPixel = BytesPerPixel(pixelFormat);
    format.bytesperline = bytesPerPixel == 0 ? 0 : width * bytesPerPixel + setup.paddingPerLine;
    format.sizeimage = bytesPerPixel == 0 ? width * height * 2 : format.bytesperline * height;
}

FakeV4l2Device& FakeV4l2::AddDevice(int index, FakeDeviceSetup setup)
{
    std::lock_guard lock(m_mutex);
    auto& device = m_devices[index];
    device = std::make_unique<FakeV4l2Device>(std::move(setup));
    return *device;
}

void FakeV4l2::PushFrame(int index, FakeFrame frame)
{
    std::lock_guard lock(m_mutex);
    m_devices.at(index)->pendingFrames.push_back(std::move(frame));
}

void FakeV4l2::SetRepeatLastFrame(int index, bool repeat)
{
    std::lock_guard lock(m_mutex);
    m_devices.at(index)->repeatLastFrame = repeat;
}

int FakeV4l2::OpenFdCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_openFds.size());
}

int FakeV4l2::MappingCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_mappings.size());
}

int FakeV4l2::Fail(int error)
{
    errno = error;
    return -1;
}

FakeV4l2Device* FakeV4l2::DeviceOf(int fd)
{
    const auto open = m_openFds.find(fd);
    return open == m_openFds.end() ? nullptr : m_devices.at(open->second).get();
}

int FakeV4l2::Open(const char* path, int)
{
    std::lock_guard lock(m_mutex);
    const std::string prefix = "/dev/video";
    const std::string text = path;
    if (text.rfind(prefix, 0) != 0)
        return Fail(ENOENT);
    const int index = std::stoi(text.substr(prefix.size()));
    const auto device = m_devices.find(index);
    if (device == m_devices.end() || device->second->gone)
        return Fail(ENOENT);
    const int fd = kFakeFdBase + index;
    if (m_openFds.count(fd) != 0)
        return Fail(EBUSY);
    m_openFds[fd] = index;
    return fd;
}

int FakeV4l2::Close(int fd)
{
    std::lock_guard lock(m_mutex);
    return m_openFds.erase(fd) == 1 ? 0 : Fail(EBADF);
}

int FakeV4l2::Ioctl(int fd, unsigned long request, void* argument)
{
    std::lock_guard lock(m_mutex);
    FakeV4l2Device* device = DeviceOf(fd);
    if (device == nullptr)
        return Fail(EBADF);
    if (device->gone)
        return Fail(device->goneErrno);
    return DeviceIoctl(*device, request, argument);
}

int FakeV4l2::DeviceIoctl(FakeV4l2Device& device, unsigned long request, void* argument)
{
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto& capability = *static_cast<v4l2_capability*>(argument);
        capability = {};
        CopyName("fake", capability.driver, sizeof capability.driver);
        capability.capabilities = device.setup.capabilities | V4L2_CAP_DEVICE_CAPS;
        capability.device_caps = device.setup.capabilities;
        return 0;
    }
    case VIDIOC_ENUM_FMT: {
        auto& description = *static_cast<v4l2_fmtdesc*>(argument);
        if (description.index >= device.setup.formats.size())
            return Fail(EINVAL);
        const FakeFormat& listed = device.setup.formats[description.index];
        description.pixelformat = listed.pixelFormat;
        CopyName(listed.description, description.description, sizeof description.description);
        return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
        auto& size = *static_cast<v4l2_frmsizeenum*>(argument);
        for (const FakeFormat& listed : device.setup.formats) {
            if (listed.pixelFormat == size.pixel_format && size.index < listed.sizes.size()) {
                size.type = V4L2_FRMSIZE_TYPE_DISCRETE;
                size.discrete = {listed.sizes[size.index].first, listed.sizes[size.index].second};
                return 0;
            }
        }
        return Fail(EINVAL);
    }
    case VIDIOC_G_FMT:
        static_cast<v4l2_format*>(argument)->fmt.pix = device.format;
        return 0;
    case VIDIOC_S_FMT: {
        if (device.streaming)
            return Fail(EBUSY);
        auto& requested = static_cast<v4l2_format*>(argument)->fmt.pix;
        device.ApplyFormat(requested.pixelformat, requested.width, requested.height);
        requested = device.format;
        return 0;
    }
    case VIDIOC_G_PARM: {
        auto& parm = *static_cast<v4l2_streamparm*>(argument);
        parm.parm.capture.capability = device.setup.reportsTimePerFrame ? V4L2_CAP_TIMEPERFRAME : 0;
        parm.parm.capture.timeperframe = device.timePerFrame;
        return 0;
    }
    case VIDIOC_S_PARM: {
        const v4l2_fract requested = static_cast<v4l2_streamparm*>(argument)->parm.capture.timeperframe;
        device.intervalRequests.push_back(requested);
        device.timePerFrame = requested;
        return 0;
    }
    case VIDIOC_OVERLAY:
        device.overlayWrites.push_back(*static_cast<int*>(argument));
        return 0;
    case VIDIOC_QUERYCTRL: return QueryControl(device, *static_cast<v4l2_queryctrl*>(argument));
    case VIDIOC_G_CTRL:
    case VIDIOC_S_CTRL: {
        auto& control = *static_cast<v4l2_control*>(argument);
        for (FakeControl& fake : device.setup.controls) {
            if (fake.id != control.id)
                continue;
            if (request == VIDIOC_G_CTRL) {
                control.value = fake.value;
            } else {
                fake.value = control.value;
                device.controlWrites.emplace_back(control.id, control.value);
            }
            return 0;
        }
        return Fail(EINVAL);
    }
    case VIDIOC_QUERYMENU: {
        auto& item = *static_cast<v4l2_querymenu*>(argument);
        for (const FakeControl& fake : device.setup.controls) {
            if (fake.id == item.id && item.index < fake.menu.size() && !fake.menu[item.index].empty()) {
                CopyName(fake.menu[item.index], item.name, sizeof item.name);
                return 0;
            }
        }
        return Fail(EINVAL);
    }
    case VIDIOC_REQBUFS: {
        auto& request = *static_cast<v4l2_requestbuffers*>(argument);
        device.queued.clear();
        const std::size_t length = device.format.sizeimage + device.setup.extraBufferBytes;
        device.buffers.assign(request.count, std::vector<uint8_t>(length));
        return 0;
    }
    case VIDIOC_QUERYBUF: {
        auto& buffer = *static_cast<v4l2_buffer*>(argument);
        if (buffer.index >= device.buffers.size())
            return Fail(EINVAL);
        buffer.length = uint32_t(device.buffers[buffer.index].size());
        buffer.m.offset = uint32_t(buffer.index * kBufferOffsetStep);
        return 0;
    }
    case VIDIOC_QBUF: {
        const auto& buffer = *static_cast<v4l2_buffer*>(argument);
        if (buffer.index >= device.buffers.size())
            return Fail(EINVAL);
        device.queued.push_back(buffer.index);
        if (device.streaming)
            ++device.buffersRequeued;
        return 0;
    }
    case VIDIOC_DQBUF: return Dequeue(device, *static_cast<v4l2_buffer*>(argument));
    case VIDIOC_STREAMON:
        device.streaming = true;
        ++device.streamOnCount;
        return 0;
    case VIDIOC_STREAMOFF:
        device.streaming = false;
        device.queued.clear();
        ++device.streamOffCount;
        return 0;
    default: return Fail(ENOTTY);
    }
}

int FakeV4l2::QueryControl(FakeV4l2Device& device, v4l2_queryctrl& query)
{
    const bool next = (query.id & V4L2_CTRL_FLAG_NEXT_CTRL) != 0;
    const uint32_t id = query.id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND);
    const FakeControl* found = nullptr;
    for (const FakeControl& fake : device.setup.controls) {
        const bool matches = next ? fake.id > id : fake.id == id;
        if (matches && (found == nullptr || fake.id < found->id))
            found = &fake;
    }
    if (found == nullptr)
        return Fail(EINVAL);
    query = {};
    query.id = found->id;
    query.type = found->type;
    CopyName(found->name, query.name, sizeof query.name);
    query.minimum = found->minimum;
    query.maximum = found->maximum;
    query.step = found->step;
    query.default_value = found->minimum;
    query.flags = found->flags;
    return 0;
}

bool FakeV4l2::FrameReady(const FakeV4l2Device& device) const
{
    const bool haveFrame = !device.pendingFrames.empty() || device.repeatLastFrame;
    return device.streaming && haveFrame && !device.queued.empty()
        && std::chrono::steady_clock::now() >= device.nextFrameTime;
}

int FakeV4l2::Dequeue(FakeV4l2Device& device, v4l2_buffer& buffer)
{
    if (!device.streaming)
        return Fail(EINVAL);
    if (!FrameReady(device))
        return Fail(EAGAIN);
    if (!device.pendingFrames.empty()) {
        device.lastFrame = std::move(device.pendingFrames.front());
        device.pendingFrames.pop_front();
    }
    if (device.lastFrame.failureErrno != 0) {
        device.gone = true;
        device.goneErrno = device.lastFrame.failureErrno;
        return Fail(device.goneErrno);
    }
    const uint32_t index = device.queued.front();
    device.queued.pop_front();
    std::vector<uint8_t>& memory = device.buffers[index];
    const std::size_t used = std::min(memory.size(), device.lastFrame.bytes.size());
    std::copy_n(device.lastFrame.bytes.begin(), used, memory.begin());
    buffer.index = index;
    buffer.bytesused = uint32_t(used);
    buffer.flags = V4L2_BUF_FLAG_DONE;
    ++device.framesDequeued;
    device.nextFrameTime = std::chrono::steady_clock::now() + device.frameGap;
    return 0;
}

void* FakeV4l2::Mmap(std::size_t length, int, int, int fd, off_t offset)
{
    std::lock_guard lock(m_mutex);
    FakeV4l2Device* device = DeviceOf(fd);
    const std::size_t index = std::size_t(offset) / kBufferOffsetStep;
    if (device == nullptr || index >= device->buffers.size() || length > device->buffers[index].size()) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    void* address = device->buffers[index].data();
    m_mappings[address] = length;
    return address;
}

int FakeV4l2::Munmap(void* address, std::size_t)
{
    std::lock_guard lock(m_mutex);
    return m_mappings.erase(address) == 1 ? 0 : Fail(EINVAL);
}

short FakeV4l2::DeviceEvents(FakeV4l2Device& device)
{
    if (device.gone) {
        ++device.pollsAfterGone;
        return POLLERR;
    }
    if (!device.pendingFrames.empty() && device.pendingFrames.front().failureErrno != 0 && device.streaming)
        return POLLIN;
    return FrameReady(device) ? POLLIN : 0;
}

// Fake descriptors are answered from the device state; the others (the driver's wake-up
// descriptor) by the system, in short slices so that either kind can end the wait.
int FakeV4l2::Poll(pollfd* fds, nfds_t count, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int ready = 0;
        std::vector<pollfd> system;
        {
            std::lock_guard lock(m_mutex);
            for (nfds_t i = 0; i < count; ++i) {
                fds[i].revents = 0;
                if (!IsFakeFd(fds[i].fd)) {
                    system.push_back(fds[i]);
                    continue;
                }
                FakeV4l2Device* device = DeviceOf(fds[i].fd);
                fds[i].revents = device == nullptr ? POLLNVAL : DeviceEvents(*device);
                ready += fds[i].revents != 0 ? 1 : 0;
            }
        }
        const int wait = ready > 0 ? 0 : int(kPollSlice.count());
        if (::poll(system.data(), system.size(), wait) < 0)
            return -1;
        for (nfds_t i = 0, s = 0; i < count; ++i) {
            if (!IsFakeFd(fds[i].fd)) {
                fds[i].revents = system[s++].revents;
                ready += fds[i].revents != 0 ? 1 : 0;
            }
        }
        if (ready > 0 || (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline))
            return ready;
    }
}

std::vector<uint8_t> Yuy2Frame(int width, int height, uint8_t y, uint8_t u, uint8_t v)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(std::size_t(width) * std::size_t(height) * 2);
    for (int pair = 0; pair < width * height / 2; ++pair)
        bytes.insert(bytes.end(), {y, u, y, v});
    return bytes;
}
