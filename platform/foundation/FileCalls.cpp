#include "platform/foundation/FileCalls.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

// A writer holds the lock for one write, a few milliseconds. One that holds it for seconds is
// stuck, and waiting on it would freeze the app: the save fails instead, and is tried again.
constexpr auto kLockWait = std::chrono::seconds(3);
constexpr auto kLongestPause = std::chrono::milliseconds(2);

class RealFileCalls final : public FileCalls {
public:
    int open(const std::string& path, int flags, mode_t mode) override { return ::open(path.c_str(), flags, mode); }
    ssize_t read(int fd, void* buffer, size_t size) override { return ::read(fd, buffer, size); }
    ssize_t write(int fd, const void* data, size_t size) override { return ::write(fd, data, size); }
    int fstat(int fd, struct stat* info) override { return ::fstat(fd, info); }
    int stat(const std::string& path, struct stat* info) override { return ::stat(path.c_str(), info); }
    int lstat(const std::string& path, struct stat* info) override { return ::lstat(path.c_str(), info); }
    int fsync(int fd) override { return ::fsync(fd); }
    int close(int fd) override { return ::close(fd); }
    int rename(const std::string& from, const std::string& to) override { return ::rename(from.c_str(), to.c_str()); }
    int unlink(const std::string& path) override { return ::unlink(path.c_str()); }

    int readLink(const std::string& path, std::string& target) override
    {
        char buffer[PATH_MAX];
        ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
        if (length < 0)
            return -1;
        // A target as long as the buffer may have been cut short.
        if (static_cast<size_t>(length) == sizeof buffer) {
            errno = ENAMETOOLONG;
            return -1;
        }
        target.assign(buffer, static_cast<size_t>(length));
        return 0;
    }

    int createFolders(const std::string& path) override
    {
        std::error_code error;
        std::filesystem::create_directories(path, error);
        if (error) {
            errno = error.value();
            return -1;
        }
        return 0;
    }

    std::vector<std::string> list(const std::string& folder) override
    {
        std::vector<std::string> names;
        std::error_code error;
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            names.push_back(it->path().filename().string());
        return names;
    }

    int lockExclusive(int fd) override
    {
        auto deadline = std::chrono::steady_clock::now() + kLockWait;
        std::chrono::steady_clock::duration pause = std::chrono::microseconds(100);
        for (;;) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
                return 0;
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK)
                return -1;
            auto now = std::chrono::steady_clock::now();
            if (now >= deadline) {
                errno = EWOULDBLOCK;
                return -1;
            }
            std::this_thread::sleep_for(std::min(pause, deadline - now));
            pause = std::min<std::chrono::steady_clock::duration>(pause * 2, kLongestPause);
        }
    }
};

} // namespace

std::shared_ptr<FileCalls> FileCalls::real()
{
    static auto calls = std::make_shared<RealFileCalls>();
    return calls;
}
