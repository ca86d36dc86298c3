#include "sources/v4l2/SystemV4l2Io.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace {

class SystemIo final : public V4l2Io {
public:
    int Open(const char* path, int flags) override { return ::open(path, flags); }
    int Close(int fd) override { return ::close(fd); }

    // A signal may interrupt a driver call; V4L2 expects the call to be repeated.
    int Ioctl(int fd, unsigned long request, void* argument) override
    {
        int result = 0;
        do {
            result = ::ioctl(fd, request, argument);
        } while (result == -1 && errno == EINTR);
        return result;
    }

    void* Mmap(std::size_t length, int protection, int flags, int fd, off_t offset) override
    {
        return ::mmap(nullptr, length, protection, flags, fd, offset);
    }

    int Munmap(void* address, std::size_t length) override { return ::munmap(address, length); }
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override { return ::poll(fds, count, timeoutMs); }
};

}  // namespace

std::shared_ptr<V4l2Io> SystemV4l2Io()
{
    return std::make_shared<SystemIo>();
}
