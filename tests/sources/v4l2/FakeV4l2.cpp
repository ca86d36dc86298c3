#include "sources/v4l2/FakeV4l2.h"

#include <fcntl.h>
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

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kHuffmanTable = 0xC4;
constexpr uint8_t kStartOfScan = 0xDA;

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
    auto listed = std::find_if(setup.formats.begin(), setup.formats.end(),
                               [&](const FakeFormat& f) { return f.pixelFormat == pixelFormat; });
    // An unknown format is replaced by the first one, as UVC does.
    if (listed == setup.formats.end() && !setup.formats.empty()) {
        listed = setup.formats.begin();
        pixelFormat = listed->pixelFormat;
    }
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
    format.sizeimage = bytesPerPixel == 0 ? setup.compressedFrameBytes : format.bytesperline * height;
}

FakeControl* FakeV4l2Device::FindControl(uint32_t id)
{
    for (FakeControl& control : setup.controls) {
        if (control.id == id)
            return &control;
    }
    return nullptr;
}

bool FakeV4l2Device::IsInactive(const FakeControl& control)
{
    const FakeControl* master = control.masterId != 0 ? FindControl(control.masterId) : nullptr;
    return master != nullptr && master->value != control.masterManual;
}

FakeV4l2Device& FakeV4l2::AddDevice(int index, FakeDeviceSetup setup)
{
    std::lock_guard lock(m_mutex);
    auto& device = m_devices[index];
    device = std::make_unique<FakeV4l2Device>(std::move(setup));
    return *device;
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

std::vector<int> FakeV4l2::VideoNodeNumbers()
{
    std::lock_guard lock(m_mutex);
    std::vector<int> numbers;
    for (const auto& [index, device] : m_devices) {
        if (!device->gone && !device->unplugging)
            numbers.push_back(index);
    }
    return numbers;
}

// UVC lets any number of programs open a node; only the streaming calls are exclusive.
int FakeV4l2::Open(const char* path, int)
{
    std::lock_guard lock(m_mutex);
    const std::string prefix = "/dev/video";
    const std::string text = path;
    if (text.rfind(prefix, 0) != 0)
        return Fail(ENOENT);
    const int index = std::stoi(text.substr(prefix.size()));
    const auto device = m_devices.find(index);
    if (device == m_devices.end() || device->second->gone || device->second->unplugging)
        return Fail(ENOENT);
    const int fd = m_nextFd++;
    m_openFds[fd] = index;
    return fd;
}

int FakeV4l2::Close(int fd)
{
    std::lock_guard lock(m_mutex);
    FakeV4l2Device* device = DeviceOf(fd);
    if (device == nullptr)
        return Fail(EBADF);
    if (device->ownerFd == fd) {
        device->ownerFd = -1;
        device->streaming = false;
        device->queued.clear();
    }
    m_openFds.erase(fd);
    return 0;
}

void FakeV4l2::PushFrame(int index, FakeFrame frame)
{
    std::lock_guard lock(m_mutex);
    m_devices.at(index)->pendingFrames.push_back(std::move(frame));
}

void FakeV4l2::Unplug(int index)
{
    std::lock_guard lock(m_mutex);
    FakeV4l2Device& device = *m_devices.at(index);
    device.pendingFrames.clear();
    device.repeatLastFrame = false;
    device.goneErrno = ENODEV;
    if (device.streaming && !device.queued.empty())
        device.unplugging = true;
    else
        device.gone = true;
}

void FakeV4l2::OccupyByOtherProgram(int index)
{
    const int fd = Open(("/dev/video" + std::to_string(index)).c_str(), O_RDWR);
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    Ioctl(fd, VIDIOC_G_FMT, &format);
    Ioctl(fd, VIDIOC_S_FMT, &format);
    std::lock_guard lock(m_mutex);
    m_otherProgramFds[index] = fd;
}

void FakeV4l2::ReleaseOtherProgram(int index)
{
    int fd = -1;
    {
        std::lock_guard lock(m_mutex);
        fd = m_otherProgramFds.at(index);
        m_otherProgramFds.erase(index);
    }
    Close(fd);
}

int FakeV4l2::Ioctl(int fd, unsigned long request, void* argument)
{
    std::lock_guard lock(m_mutex);
    FakeV4l2Device* device = DeviceOf(fd);
    if (device == nullptr)
        return Fail(EBADF);
    if (device->gone)
        return Fail(device->goneErrno);
    if (device->unplugging && request != VIDIOC_DQBUF)
        return Fail(ENODEV);
    return DeviceIoctl(*device, fd, request, argument);
}

int FakeV4l2::DeviceIoctl(FakeV4l2Device& device, int fd, unsigned long request, void* argument)
{
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto& capability = *static_cast<v4l2_capability*>(argument);
        capability = {};
        CopyName("uvcvideo", capability.driver, sizeof capability.driver);
        CopyName(device.setup.card, capability.card, sizeof capability.card);
        capability.capabilities = device.setup.capabilities | V4L2_CAP_DEVICE_CAPS;
        capability.device_caps = device.setup.capabilities;
        return 0;
    }
    case VIDIOC_ENUM_FMT: {
        auto& description = *static_cast<v4l2_fmtdesc*>(argument);
        if (description.type != V4L2_BUF_TYPE_VIDEO_CAPTURE || description.index >= device.setup.formats.size())
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
    case VIDIOC_OVERLAY:
        device.overlayWrites.push_back(*static_cast<int*>(argument));
        return Fail(ENOTTY);
    case VIDIOC_G_PARM: {
        if (!device.setup.supportsParm)
            return Fail(ENOTTY);
        auto& parm = *static_cast<v4l2_streamparm*>(argument);
        parm.parm.capture.capability = device.setup.reportsTimePerFrame ? V4L2_CAP_TIMEPERFRAME : 0;
        parm.parm.capture.timeperframe = device.timePerFrame;
        return 0;
    }
    case VIDIOC_QUERYCTRL:
    case VIDIOC_G_CTRL:
    case VIDIOC_S_CTRL:
    case VIDIOC_QUERYMENU: return ControlIoctl(device, request, argument);
    default: return StreamingIoctl(device, fd, request, argument);
    }
}

// The calls that need the device to themselves: the first handle to make one owns the
// device until it closes or frees its buffers; any other handle gets EBUSY.
int FakeV4l2::StreamingIoctl(FakeV4l2Device& device, int fd, unsigned long request, void* argument)
{
    const bool exclusive = request == VIDIOC_S_FMT || request == VIDIOC_S_PARM || request == VIDIOC_REQBUFS
        || request == VIDIOC_STREAMON || request == VIDIOC_STREAMOFF || request == VIDIOC_QBUF
        || request == VIDIOC_DQBUF || request == VIDIOC_QUERYBUF;
    if (!exclusive)
        return Fail(ENOTTY);
    if (device.ownerFd != -1 && device.ownerFd != fd)
        return Fail(EBUSY);
    device.ownerFd = fd;
    switch (request) {
    case VIDIOC_S_FMT: {
        if (device.streaming || !device.buffers.empty())
            return Fail(EBUSY);
        auto& requested = static_cast<v4l2_format*>(argument)->fmt.pix;
        device.ApplyFormat(requested.pixelformat, requested.width, requested.height);
        requested = device.format;
        return 0;
    }
    case VIDIOC_S_PARM: return SetParm(device, *static_cast<v4l2_streamparm*>(argument));
    case VIDIOC_REQBUFS: {
        auto& request = *static_cast<v4l2_requestbuffers*>(argument);
        if (device.streaming)
            return Fail(EBUSY);
        device.queued.clear();
        request.count = std::min(request.count, device.setup.maxBuffers);
        const std::size_t length = device.format.sizeimage + device.setup.extraBufferBytes;
        device.buffers.assign(request.count, std::vector<uint8_t>(length));
        if (request.count == 0)
            device.ownerFd = -1;
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
        if (device.buffers.empty())
            return Fail(EINVAL);
        device.streaming = true;
        ++device.streamOnCount;
        return 0;
    default:
        device.streaming = false;
        device.queued.clear();
        ++device.streamOffCount;
        return 0;
    }
}

int FakeV4l2::SetParm(FakeV4l2Device& device, v4l2_streamparm& parm)
{
    if (!device.setup.supportsParm)
        return Fail(ENOTTY);
    const v4l2_fract requested = parm.parm.capture.timeperframe;
    device.intervalRequests.push_back(requested);
    if (requested.numerator == 0 || requested.denominator == 0 || device.setup.frameRates.empty())
        return Fail(EINVAL);
    const double asked = double(requested.denominator) / requested.numerator;
    const uint32_t nearest = *std::min_element(device.setup.frameRates.begin(), device.setup.frameRates.end(),
                                               [&](uint32_t a, uint32_t b) {
                                                   return std::abs(a - asked) < std::abs(b - asked);
                                               });
    device.timePerFrame = {1, nearest};
    parm.parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
    parm.parm.capture.timeperframe = device.timePerFrame;
    return 0;
}

int FakeV4l2::ControlIoctl(FakeV4l2Device& device, unsigned long request, void* argument)
{
    if (request == VIDIOC_QUERYCTRL)
        return QueryControl(device, *static_cast<v4l2_queryctrl*>(argument));
    if (request == VIDIOC_S_CTRL)
        return SetControl(device, *static_cast<v4l2_control*>(argument));
    if (request == VIDIOC_G_CTRL) {
        auto& control = *static_cast<v4l2_control*>(argument);
        const FakeControl* fake = device.FindControl(control.id);
        if (fake == nullptr)
            return Fail(EINVAL);
        if (fake->type == V4L2_CTRL_TYPE_CTRL_CLASS || fake->type == V4L2_CTRL_TYPE_BUTTON)
            return Fail(EACCES);
        control.value = fake->value;
        return 0;
    }
    auto& item = *static_cast<v4l2_querymenu*>(argument);
    const FakeControl* fake = device.FindControl(item.id);
    if (fake != nullptr && item.index < fake->menu.size() && !fake->menu[item.index].empty()) {
        if (fake->type == V4L2_CTRL_TYPE_INTEGER_MENU)
            item.value = std::stoll(fake->menu[item.index]);
        else
            CopyName(fake->menu[item.index], item.name, sizeof item.name);
        return 0;
    }
    return Fail(EINVAL);
}

// As the control framework does: integers clamped onto the range and step, booleans made
// 0 or 1, menu items checked; read-only and inactive controls refused as UVC refuses them.
int FakeV4l2::SetControl(FakeV4l2Device& device, v4l2_control& control)
{
    FakeControl* fake = device.FindControl(control.id);
    if (fake == nullptr)
        return Fail(EINVAL);
    if ((fake->flags & V4L2_CTRL_FLAG_READ_ONLY) != 0 || fake->type == V4L2_CTRL_TYPE_CTRL_CLASS
        || device.IsInactive(*fake))
        return Fail(EACCES);
    if (fake->refuseWith != 0)
        return Fail(fake->refuseWith);
    int32_t value = control.value;
    switch (fake->type) {
    case V4L2_CTRL_TYPE_BOOLEAN: value = value != 0 ? 1 : 0; break;
    case V4L2_CTRL_TYPE_MENU:
    case V4L2_CTRL_TYPE_INTEGER_MENU:
        if (value < fake->minimum || value > fake->maximum)
            return Fail(ERANGE);
        if (std::size_t(value) >= fake->menu.size() || fake->menu[std::size_t(value)].empty())
            return Fail(EINVAL);
        break;
    case V4L2_CTRL_TYPE_INTEGER: {
        const int32_t step = std::max(fake->step, 1);
        value = std::clamp(value, fake->minimum, fake->maximum);
        value = fake->minimum + (value - fake->minimum + step / 2) / step * step;
        value = std::min(value, fake->maximum);
        break;
    }
    default: break;
    }
    fake->value = value;
    control.value = value;
    device.controlWrites.emplace_back(control.id, value);
    return 0;
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
    query.default_value = found->defaultValue;
    query.flags = found->flags | (device.IsInactive(*found) ? V4L2_CTRL_FLAG_INACTIVE : 0);
    if (found->type == V4L2_CTRL_TYPE_CTRL_CLASS)
        query.flags |= V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_WRITE_ONLY;
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
    if (device.unplugging)
        return DequeueUnplugged(device, buffer);
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
    buffer.flags = V4L2_BUF_FLAG_DONE | (device.lastFrame.errorFlag ? V4L2_BUF_FLAG_ERROR : 0);
    ++device.framesDequeued;
    device.nextFrameTime = std::chrono::steady_clock::now() + device.frameGap;
    return 0;
}

int FakeV4l2::DequeueUnplugged(FakeV4l2Device& device, v4l2_buffer& buffer)
{
    if (device.queued.empty()) {
        device.unplugging = false;
        device.gone = true;
        return Fail(ENODEV);
    }
    buffer.index = device.queued.front();
    device.queued.pop_front();
    buffer.bytesused = 0;
    buffer.flags = V4L2_BUF_FLAG_DONE | V4L2_BUF_FLAG_ERROR;
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
        return POLLERR | POLLHUP;
    }
    if (device.unplugging)
        return POLLIN;
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

std::vector<uint8_t> WithoutHuffmanTables(const std::vector<uint8_t>& jpeg)
{
    std::vector<uint8_t> stripped(jpeg.begin(), jpeg.begin() + 2);
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == kMarker && jpeg[at + 1] != kStartOfScan) {
        const std::size_t length = std::size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (jpeg[at + 1] != kHuffmanTable)
            stripped.insert(stripped.end(), jpeg.begin() + std::ptrdiff_t(at), jpeg.begin() + std::ptrdiff_t(at + 2 + length));
        at += 2 + length;
    }
    stripped.insert(stripped.end(), jpeg.begin() + std::ptrdiff_t(at), jpeg.end());
    return stripped;
}
