#pragma once

#include <poll.h>
#include <sys/types.h>

#include <cstddef>
#include <vector>

// The system calls the V4L2 driver makes, behind an interface so that tests can script a
// device. Each returns what its system call returns and sets errno the same way.
class V4l2Io {
public:
    virtual ~V4l2Io() = default;

    // The numbers N of the /dev/videoN nodes, ascending.
    virtual std::vector<int> VideoNodeNumbers() = 0;
    virtual int Open(const char* path, int flags) = 0;
    virtual int Close(int fd) = 0;
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual void* Mmap(std::size_t length, int protection, int flags, int fd, off_t offset) = 0;
    virtual int Munmap(void* address, std::size_t length) = 0;
    virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;
};
