#pragma once

#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

// The file-system calls through which the preference store reads and writes its file. The real
// implementation makes the POSIX calls; tests put a simulated disk behind the store to see what a
// power loss after any one call would leave. Results and errno are those of the POSIX calls.
class FileCalls {
public:
    virtual ~FileCalls() = default;

    virtual int open(const std::string& path, int flags, mode_t mode = 0) = 0;
    virtual ssize_t read(int fd, void* buffer, size_t size) = 0;
    virtual ssize_t write(int fd, const void* data, size_t size) = 0;
    virtual int fstat(int fd, struct stat* info) = 0;
    // Follows symbolic links, as stat(2) does.
    virtual int stat(const std::string& path, struct stat* info) = 0;
    // Describes a symbolic link itself, as lstat(2) does.
    virtual int lstat(const std::string& path, struct stat* info) = 0;
    // The target of a symbolic link, as readlink(2) gives it: 0, or -1 with errno (EINVAL when the
    // path is not a link).
    virtual int readLink(const std::string& path, std::string& target) = 0;
    virtual int fsync(int fd) = 0;
    virtual int close(int fd) = 0;
    virtual int rename(const std::string& from, const std::string& to) = 0;
    virtual int unlink(const std::string& path) = 0;
    // Makes the folder and any missing folders above it; 0 when they all exist afterwards.
    virtual int createFolders(const std::string& path) = 0;
    // The names in a folder, without "." and "..".
    virtual std::vector<std::string> list(const std::string& folder) = 0;
    // Takes an exclusive advisory lock (flock(2)) on an open file or folder, which closing the
    // descriptor releases. Waits a bounded while for another holder to let go: -1 with errno
    // EWOULDBLOCK when it did not.
    virtual int lockExclusive(int fd) = 0;

    static std::shared_ptr<FileCalls> real();
};

// A descriptor opened through the file calls, closed when it goes. A failed open (-1) closes nothing.
class FileDescriptor {
public:
    FileDescriptor(FileCalls& calls, int fd)
        : _calls(calls)
        , _fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (_fd >= 0)
            _calls.close(_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int fd() const { return _fd; }

private:
    FileCalls& _calls;
    int _fd;
};
