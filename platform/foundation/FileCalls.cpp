#include "platform/foundation/FileCalls.h"

#include <cerrno>
#include <filesystem>
#include <fcntl.h>
#include <unistd.h>

namespace {

class RealFileCalls final : public FileCalls {
public:
    int open(const std::string& path, int flags, mode_t mode) override { return ::open(path.c_str(), flags, mode); }
    ssize_t read(int fd, void* buffer, size_t size) override { return ::read(fd, buffer, size); }
    ssize_t write(int fd, const void* data, size_t size) override { return ::write(fd, data, size); }
    int fstat(int fd, struct stat* info) override { return ::fstat(fd, info); }
    int stat(const std::string& path, struct stat* info) override { return ::stat(path.c_str(), info); }
    int fsync(int fd) override { return ::fsync(fd); }
    int close(int fd) override { return ::close(fd); }
    int rename(const std::string& from, const std::string& to) override { return ::rename(from.c_str(), to.c_str()); }
    int unlink(const std::string& path) override { return ::unlink(path.c_str()); }

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
};

} // namespace

std::shared_ptr<FileCalls> FileCalls::real()
{
    static auto calls = std::make_shared<RealFileCalls>();
    return calls;
}
