#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::vector<char*> pointersTo(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (auto& string : strings)
        pointers.push_back(string.data());
    pointers.push_back(nullptr);
    return pointers;
}

void closeIfOpen(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// The child's descriptor for one standard stream, opened before the fork: the child's end of a
// pipe, whose other end goes to PARENT_END, or /dev/null. -1 leaves the stream as it is.
int childEnd(ChildProcess::Stream stream, bool childReads, int& parentEnd)
{
    switch (stream) {
    case ChildProcess::Stream::Inherit:
        return -1;
    case ChildProcess::Stream::Null:
        return open("/dev/null", (childReads ? O_RDONLY : O_WRONLY) | O_CLOEXEC);
    case ChildProcess::Stream::Pipe: {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return -1;
        parentEnd = childReads ? ends[1] : ends[0];
        return childReads ? ends[0] : ends[1];
    }
    }
    return -1;
}

} // namespace

ChildProcess::ChildProcess(std::vector<std::string> arguments, Options options)
{
    auto argv = pointersTo(arguments);
    std::optional<std::vector<char*>> envp;
    if (options.environment)
        envp = pointersTo(*options.environment);
    // Every descriptor made here is closed on exec; the child's copies made by dup2 are not.
    int ends[3] = { childEnd(options.input, true, _input), childEnd(options.output, false, _output),
        childEnd(options.error, false, _error) };
    std::vector<std::pair<int, int>> placed;
    for (int stream = 0; stream < 3; ++stream) {
        if (ends[stream] >= 0)
            placed.emplace_back(ends[stream], stream);
    }
    placed.insert(placed.end(), options.descriptors.begin(), options.descriptors.end());

    _pid = fork();
    if (_pid == 0) {
        for (auto [from, to] : placed) {
            // dup2 onto itself keeps close-on-exec; the child is meant to keep the descriptor.
            if (from == to ? fcntl(to, F_SETFD, 0) != 0 : dup2(from, to) != to)
                _exit(127);
        }
        if (options.beforeExec && !options.beforeExec())
            _exit(125);
        execve(argv[0], argv.data(), envp ? envp->data() : environ);
        _exit(127);
    }
    for (int& end : ends)
        closeIfOpen(end);
    if (_pid < 0) {
        closeIfOpen(_input);
        closeIfOpen(_output);
        closeIfOpen(_error);
    }
}

ChildProcess::~ChildProcess()
{
    if (started() && !_status) {
        kill(SIGKILL);
        wait();
    }
    closeIfOpen(_input);
    closeIfOpen(_output);
    closeIfOpen(_error);
}

void ChildProcess::closeInput()
{
    closeIfOpen(_input);
}

std::optional<int> ChildProcess::wait()
{
    return reap(0);
}

std::optional<int> ChildProcess::poll()
{
    return reap(WNOHANG);
}

void ChildProcess::kill(int signal)
{
    if (started() && !_status)
        ::kill(_pid, signal);
}

std::optional<int> ChildProcess::reap(int flags)
{
    if (!started() || _status)
        return _status;
    int status = 0;
    pid_t reaped;
    while ((reaped = waitpid(_pid, &status, flags)) < 0 && errno == EINTR) { }
    if (reaped == _pid)
        _status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return _status;
}

int runQuietly(std::vector<std::string> arguments)
{
    ChildProcess child(std::move(arguments), { .output = ChildProcess::Stream::Null, .error = ChildProcess::Stream::Null });
    return child.wait().value_or(-1);
}
