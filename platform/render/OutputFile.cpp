#include "platform/render/OutputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace render {

namespace {

std::string problemWithExisting(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return "is a folder";
    if (!S_ISREG(info.st_mode))
        return "is not a regular file (a pipe, a device or a socket)";
    return "";
}

std::string problemOpening(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "no such folder";
    case EACCES:
    case EPERM:
    case EROFS:
        return "permission denied";
    case EISDIR:
        return "is a folder";
    case ENXIO:
        return "is not a regular file (a pipe, a device or a socket)";
    default:
        return "cannot open";
    }
}

} // namespace

std::string checkOutputPath(const std::string& path)
{
    if (path.empty() || path.back() == '/')
        return "needs a file name";
    struct stat info { };
    if (stat(path.c_str(), &info) == 0)
        return problemWithExisting(info);
    auto slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return "no such folder";
    return "";
}

OutputFile openOutputFile(const std::string& path)
{
    if (auto problem = checkOutputPath(path); !problem.empty())
        return { -1, problem };
    // Without blocking and without truncating: whatever took the file's place since the check is
    // looked at before anything is written or emptied.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (fd < 0)
        return { -1, problemOpening(errno) };
    struct stat info { };
    std::string problem = fstat(fd, &info) != 0 ? "cannot open" : problemWithExisting(info);
    if (problem.empty() && (ftruncate(fd, 0) != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0))
        problem = "cannot write";
    if (!problem.empty()) {
        ::close(fd);
        return { -1, problem };
    }
    return { fd, "" };
}

} // namespace render
