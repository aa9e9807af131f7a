#pragma once

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// Where one of a child program's standard streams goes.
enum class ChildStream { Inherit, Null, Pipe };

// How a child program is started.
struct ChildOptions {
    // NAME=VALUE strings; none passes this process's own environment.
    std::optional<std::vector<std::string>> environment = std::nullopt;
    ChildStream input = ChildStream::Inherit;
    ChildStream output = ChildStream::Inherit;
    ChildStream error = ChildStream::Inherit;
    // Descriptors of this process given to the child, each as (this process's number, the child's
    // number); they are put in place after the standard streams.
    std::vector<std::pair<int, int>> descriptors = {};
    // Runs in the child just before the program replaces it, to give up an identity or the like;
    // false ends the child with status 125 instead. It must not allocate or lock.
    std::function<bool()> beforeExec = nullptr;
};

// A program a test starts, talks to through pipes, and waits for or kills. The child gets this
// process's standard streams unless told otherwise, and no other descriptor of this process unless
// it is named in ChildOptions::descriptors.
class ChildProcess {
public:
    using Stream = ChildStream;
    using Options = ChildOptions;

    // Starts the program at the path ARGUMENTS[0] with ARGUMENTS.
    explicit ChildProcess(std::vector<std::string> arguments, Options options = {});
    // A child still running is killed and reaped, so that a test that failed half-way leaves none
    // behind.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return _pid > 0; }
    pid_t pid() const { return _pid; }

    // This process's end of each stream given as Stream::Pipe, or -1. The ends stay open until
    // closeInput() or the object goes.
    int input() const { return _input; }
    int output() const { return _output; }
    int error() const { return _error; }
    // Ends the child's input, as the end of a file would.
    void closeInput();

    // Waits for the child's end: the status it exited with, or 128 plus the signal that ended it.
    // None when it never started.
    std::optional<int> wait();
    // The same when the child has already ended, without waiting.
    std::optional<int> poll();
    // Sends SIGNAL to a child that has not been reaped.
    void kill(int signal);

private:
    std::optional<int> reap(int flags);

    pid_t _pid = -1;
    std::optional<int> _status;
    int _input = -1;
    int _output = -1;
    int _error = -1;
};

// Runs ARGUMENTS to their end with their output and errors thrown away; the status as
// ChildProcess::wait gives it, or -1 when the program could not be started.
int runQuietly(std::vector<std::string> arguments);
