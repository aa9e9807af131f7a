#include "platform/host/AutomationScriptFile.h"

#include "platform/host/MessageText.h"

#include <cerrno>
#include <fcntl.h>
#include <istream>
#include <sys/stat.h>
#include <unistd.h>

ScriptFileResult readScriptFile(const std::string& path)
{
    auto fail = [&](const std::string& why) {
        return ScriptFileResult { std::nullopt, "cannot read script " + quotedForMessage(path) + ": " + why };
    };
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(errno == ENOENT ? "no such file" : errno == EACCES ? "permission denied" : "cannot open");
    struct stat info { };
    if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode))) {
        close(fd);
        return fail("not a file or a pipe");
    }
    std::string text;
    char buffer[16384];
    for (;;) {
        ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            close(fd);
            return fail("read error");
        }
        if (!count)
            break;
        text.append(buffer, static_cast<size_t>(count));
        if (text.size() > kMaximumScriptBytes) {
            close(fd);
            return fail("larger than " + std::to_string(kMaximumScriptBytes) + " bytes");
        }
    }
    close(fd);
    return { std::move(text), "" };
}

std::optional<std::string> readScriptStream(std::istream& in)
{
    std::string text;
    char buffer[16384];
    while (text.size() <= kMaximumScriptBytes && in.read(buffer, sizeof buffer).gcount() > 0)
        text.append(buffer, static_cast<size_t>(in.gcount()));
    if (text.size() > kMaximumScriptBytes)
        return std::nullopt;
    return text;
}
