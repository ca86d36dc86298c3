#include "sources/v4l2/SystemV4l2Io.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

namespace {

const std::string kPrefix = "video";

class SystemIo final : public V4l2Io {
public:
    std::vector<int> VideoNodeNumbers() override
    {
        std::vector<int> numbers;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
            const std::string name = entry.path().filename().string();
            if (name.size() > kPrefix.size() && name.size() <= kPrefix.size() + 6
                && name.compare(0, kPrefix.size(), kPrefix) == 0
                && name.find_first_not_of("0123456789", kPrefix.size()) == std::string::npos)
                numbers.push_back(std::stoi(name.substr(kPrefix.size())));
        }
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }

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
